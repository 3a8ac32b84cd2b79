#pragma once
// Receives the shared monitors' streams from PipeWire and keeps the newest picture of each in a
// screen-sized canvas, with the pointer position from the streams' cursor metadata.
//
// PipeWire runs on a thread loop of its own rather than in the Qt event loop: frames then land
// in the canvas as the compositor sends them, whatever the window is doing (a shown menu, a
// resize), and the 10 ms tick only copies out what it shows. The frame copy and every read take
// the loop's lock, which PipeWire already holds while it calls back.
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

class PipeWireCapture {
public:
    // Made by open(), which connects it.
    explicit PipeWireCapture(std::vector<StreamPlacement> streams);
    // Connects to the PipeWire remote the portal opened and asks for every stream. Nothing, and
    // `error` set, when PipeWire cannot be reached.
    static std::unique_ptr<PipeWireCapture> open(posix::UniqueFd remote, std::vector<StreamPlacement> streams,
                                                 std::string& error);
    ~PipeWireCapture();
    PipeWireCapture(const PipeWireCapture&) = delete;
    PipeWireCapture& operator=(const PipeWireCapture&) = delete;

    int width() const { return canvas_.width(); }
    int height() const { return canvas_.height(); }
    void read(int x, int y, const soft::Surface& to);
    // The newest pointer position on the screen, once a stream has reported one.
    std::optional<Point> pointer();
    // True when a frame arrived or the pointer moved since the last call.
    bool takeChanged();
    // Waits until every stream delivered a picture, a stream failed or the time is up; false
    // unless every stream delivered. `error` then says why.
    bool waitForFrames(std::chrono::milliseconds timeout, std::string& error);

private:
    struct Stream {
        PipeWireCapture* owner = nullptr;
        std::size_t index = 0;
        pw_stream* stream = nullptr;
        spa_hook listener{};
        std::optional<StreamFormat> format;
        int width = 0;
        int height = 0;
        bool framed = false;
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
    void process(Stream& stream);

    FrameCanvas canvas_;
    std::unique_ptr<pw_thread_loop, LoopDeleter> loop_;
    std::unique_ptr<pw_context, ContextDeleter> context_;
    std::unique_ptr<pw_core, CoreDeleter> core_;
    std::vector<std::unique_ptr<Stream>> streams_;
    pw_stream_events events_{};
    bool running_ = false;
    bool closing_ = false;
    // Guarded by the loop's lock.
    std::optional<Point> pointer_;
    bool changed_ = false;
    std::string streamError_;
    bool endReported_ = false;
};

}  // namespace platform::linux_::screencast
