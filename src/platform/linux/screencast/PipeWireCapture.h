#pragma once
// Receives the shared monitors' streams from PipeWire and keeps the newest buffer of each, with
// the pointer position from the streams' cursor metadata; and tells when the sharing ended.
//
// PipeWire runs on a thread loop of its own rather than in the Qt event loop: frames then arrive
// as the compositor sends them, whatever the window is doing (a shown menu, a resize). A frame is
// not copied when it arrives: its buffer is kept until a newer one comes, and the 10 ms tick
// converts only the part it shows. Every read takes the loop's lock, which PipeWire already
// holds while it calls back.
#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/screencast/FrameCanvas.h"
#include "platform/posix/UniqueFd.h"

namespace platform::linux_::screencast {

// How the capture stands, as one look from the user-interface thread.
struct CaptureHealth {
    bool framed = false;     // some stream has delivered a picture
    bool streaming = false;  // some stream has started streaming
    // Why the sharing ended (a stream failed, stopped or was removed; PipeWire went away); empty
    // while it goes on.
    std::string ended;
    // Every stream's newest cursor metadata says the pointer is not on it: on a monitor nobody
    // shared, or hidden.
    bool pointerElsewhere = false;
};

class PipeWireCapture {
public:
    // A stream that stays paused this long after it has streamed is taken as stopped: the
    // compositor pauses the streams of a sharing it ended.
    static constexpr std::chrono::milliseconds kPausedIsEnded{1500};

    // Made by open(), which connects it.
    explicit PipeWireCapture(std::vector<StreamPlacement> streams);
    // Connects to the PipeWire remote the portal opened and asks for every stream. Nothing, and
    // `error` set, when PipeWire cannot be reached.
    // `news` (an eventfd, or -1) is written to whenever a frame or a pointer move arrives or a
    // stream ends, so that a resting window wakes for it.
    static std::unique_ptr<PipeWireCapture> open(posix::UniqueFd remote, std::vector<StreamPlacement> streams,
                                                 int news, std::string& error);
    ~PipeWireCapture();
    PipeWireCapture(const PipeWireCapture&) = delete;
    PipeWireCapture& operator=(const PipeWireCapture&) = delete;

    // The screen's size as the streams now place it.
    Point size();
    // The shared monitors' areas, in the frames' pixels.
    std::vector<Rect> areas();
    void read(int x, int y, const soft::Surface& to);
    // The newest pointer position on the screen, once a stream has reported one.
    std::optional<Point> pointer();
    // True when a frame arrived or the pointer moved since the last call.
    bool takeChanged();
    CaptureHealth health();

private:
    struct Stream {
        PipeWireCapture* owner = nullptr;
        std::size_t index = 0;
        pw_stream* stream = nullptr;
        spa_hook listener{};
        std::optional<StreamFormat> format;
        int width = 0;
        int height = 0;
        pw_buffer* held = nullptr;  // the newest picture, back to the stream when a newer comes
        bool streamed = false;
        bool pictured = false;  // a picture has arrived
        std::optional<std::chrono::steady_clock::time_point> pausedSince;
        std::optional<bool> pointerHere;  // what the cursor metadata last said
    };
    struct LoopDeleter {
        void operator()(pw_thread_loop* loop) const { pw_thread_loop_destroy(loop); }
    };
    struct ContextDeleter {
        void operator()(pw_context* context) const { pw_context_destroy(context); }
    };
    struct CoreDeleter {
        void operator()(pw_core* core) const { pw_core_disconnect(core); }
    };

    bool connect(posix::UniqueFd remote, std::string& error);
    bool connectStream(Stream& stream, std::string& error);
    static void onParamChanged(void* data, uint32_t id, const spa_pod* param);
    static void onStateChanged(void* data, pw_stream_state old, pw_stream_state state, const char* error);
    static void onProcess(void* data);
    static void onRemoveBuffer(void* data, pw_buffer* buffer);
    static void onCoreError(void* data, uint32_t id, int seq, int res, const char* message);
    void process(Stream& stream);
    void tell();
    void release(Stream& stream);

    FrameCanvas canvas_;
    std::unique_ptr<pw_thread_loop, LoopDeleter> loop_;
    std::unique_ptr<pw_context, ContextDeleter> context_;
    std::unique_ptr<pw_core, CoreDeleter> core_;
    spa_hook coreListener_{};
    pw_core_events coreEvents_{};
    std::vector<std::unique_ptr<Stream>> streams_;
    pw_stream_events events_{};
    bool running_ = false;
    int news_ = -1;
    // Guarded by the loop's lock.
    std::optional<Point> pointer_;
    bool changed_ = false;
    std::string ended_;
};

}  // namespace platform::linux_::screencast
