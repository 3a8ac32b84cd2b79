#include "platform/linux/screencast/PipeWireCapture.h"

#include <spa/buffer/meta.h>
#include <spa/param/buffers.h>
#include <spa/param/video/raw.h>
#include <spa/pod/builder.h>

#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/Warn.h"
#include "platform/linux/screencast/SpaFrames.h"

namespace platform::linux_::screencast {
namespace {

// Holds the loop's lock for a scope.
class LoopLock {
public:
    explicit LoopLock(pw_thread_loop* loop) : loop_(loop) { pw_thread_loop_lock(loop_); }
    ~LoopLock() { pw_thread_loop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pw_thread_loop* loop_;
};

const spa_pod* formatParam(spa_pod_builder& builder) {
    const spa_rectangle defaultSize = SPA_RECTANGLE(1280, 720);
    const spa_rectangle minSize = SPA_RECTANGLE(1, 1);
    const spa_rectangle maxSize = SPA_RECTANGLE(16384, 16384);
    const spa_fraction defaultRate = SPA_FRACTION(60, 1);
    const spa_fraction minRate = SPA_FRACTION(0, 1);
    const spa_fraction maxRate = SPA_FRACTION(1000, 1);
    // Only plain 32-bit layouts, and no DMA-BUF modifiers: the compositor then sends frames in
    // shared memory the CPU can read directly.
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
        SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &minRate, &maxRate)));
}

}  // namespace

PipeWireCapture::PipeWireCapture(std::vector<StreamPlacement> streams) : canvas_(std::move(streams)) {
    events_.version = PW_VERSION_STREAM_EVENTS;
    events_.param_changed = &PipeWireCapture::onParamChanged;
    events_.state_changed = &PipeWireCapture::onStateChanged;
    events_.process = &PipeWireCapture::onProcess;
    events_.remove_buffer = &PipeWireCapture::onRemoveBuffer;
    coreEvents_.version = PW_VERSION_CORE_EVENTS;
    coreEvents_.error = &PipeWireCapture::onCoreError;
}

std::unique_ptr<PipeWireCapture> PipeWireCapture::open(posix::UniqueFd remote, std::vector<StreamPlacement> streams,
                                                       int news, std::string& error) {
    pw_init(nullptr, nullptr);
    auto capture = std::make_unique<PipeWireCapture>(std::move(streams));
    capture->news_ = news;
    if (!capture->connect(std::move(remote), error)) return nullptr;
    return capture;
}

bool PipeWireCapture::connect(posix::UniqueFd remote, std::string& error) {
    loop_.reset(pw_thread_loop_new("magnifier-capture", nullptr));
    if (!loop_) {
        error = "cannot start PipeWire's loop";
        return false;
    }
    context_.reset(pw_context_new(pw_thread_loop_get_loop(loop_.get()), nullptr, 0));
    if (!context_) {
        error = "cannot create a PipeWire context";
        return false;
    }
    // PipeWire takes the descriptor over, also when connecting fails.
    core_.reset(pw_context_connect_fd(context_.get(), remote.release(), nullptr, 0));
    if (!core_) {
        error = "cannot connect to the portal's PipeWire remote";
        return false;
    }
    pw_core_add_listener(core_.get(), &coreListener_, &coreEvents_, this);
    for (std::size_t i = 0; i < canvas_.count(); ++i) {
        auto stream = std::make_unique<Stream>();
        stream->owner = this;
        stream->index = i;
        if (!connectStream(*stream, error)) return false;
        streams_.push_back(std::move(stream));
    }
    if (pw_thread_loop_start(loop_.get()) != 0) {
        error = "cannot start PipeWire's loop";
        return false;
    }
    running_ = true;
    return true;
}

bool PipeWireCapture::connectStream(Stream& stream, std::string& error) {
    stream.stream = pw_stream_new(core_.get(), "magnifier",
                                  pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                                    PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (stream.stream == nullptr) {
        error = "cannot create a PipeWire stream";
        return false;
    }
    pw_stream_add_listener(stream.stream, &stream.listener, &events_, &stream);
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[] = {formatParam(builder)};
    const int status = pw_stream_connect(
        stream.stream, PW_DIRECTION_INPUT, canvas_.placements()[stream.index].node,
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
    if (status != 0) {
        error = "cannot connect to the shared monitor's stream";
        return false;
    }
    return true;
}

PipeWireCapture::~PipeWireCapture() {
    // The loop stops first, so no callback runs while the streams go away; a kept buffer goes
    // with its stream.
    if (running_) pw_thread_loop_stop(loop_.get());
    for (auto& stream : streams_) {
        spa_hook_remove(&stream->listener);
        pw_stream_destroy(stream->stream);
    }
    streams_.clear();
    if (core_) spa_hook_remove(&coreListener_);
    core_.reset();
    context_.reset();
    loop_.reset();
}

void PipeWireCapture::onParamChanged(void* data, uint32_t id, const spa_pod* param) {
    auto& stream = *static_cast<Stream*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) return;
    spa_video_info_raw info{};
    if (spa_format_video_raw_parse(param, &info) < 0) return;
    stream.format = pixelFormatFromSpa(info.format);
    stream.width = static_cast<int>(info.size.width);
    stream.height = static_cast<int>(info.size.height);
    stream.owner->canvas_.setFrameSize(stream.index, stream.width, stream.height);

    // Buffers in memory the CPU can map, and room for the pointer's position and image: as much
    // as the compositor asks for (mutter offers a fixed room for 384x384 pointers). One buffer
    // is always kept back for the view, so a few more than the compositor's minimum.
    std::uint8_t buffer[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof buffer);
    const spa_pod* params[] = {
        static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
            SPA_POD_CHOICE_RANGE_Int(4, 3, 16), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1), SPA_PARAM_BUFFERS_dataType,
            SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd)))),
        static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
            SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header)))),
        static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
            SPA_PARAM_META_size,
            SPA_POD_CHOICE_RANGE_Int(cursorMetaSize(64, 64), cursorMetaSize(1, 1), cursorMetaSize(1024, 1024)))),
    };
    pw_stream_update_params(stream.stream, params, 3);
}

void PipeWireCapture::onStateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error) {
    auto& stream = *static_cast<Stream*>(data);
    PipeWireCapture& owner = *stream.owner;
    switch (state) {
        case PW_STREAM_STATE_STREAMING:
            stream.streamed = true;
            stream.pausedSince.reset();
            break;
        case PW_STREAM_STATE_PAUSED:
            // Also a step of every start and format change; only a pause that lasts means an end.
            if (stream.streamed) stream.pausedSince = std::chrono::steady_clock::now();
            break;
        case PW_STREAM_STATE_ERROR:
        case PW_STREAM_STATE_UNCONNECTED:
            if (owner.ended_.empty()) {
                owner.ended_ = error != nullptr ? error : "the shared monitor's stream was removed";
                owner.tell();
            }
            break;
        default: break;
    }
}

void PipeWireCapture::onCoreError(void* data, uint32_t id, int, int res, const char* message) {
    auto& owner = *static_cast<PipeWireCapture*>(data);
    // Errors about single objects reach their streams; the core's own means the connection is gone.
    if (id != PW_ID_CORE || !owner.ended_.empty()) return;
    owner.ended_ = res == -EPIPE ? std::string("PipeWire went away") : std::string("PipeWire: ") + (message ? message : "error");
    owner.tell();
}

void PipeWireCapture::tell() {
    if (news_ < 0) return;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(news_, &one, sizeof one);
}

void PipeWireCapture::onProcess(void* data) {
    auto& stream = *static_cast<Stream*>(data);
    PipeWireCapture& owner = *stream.owner;
    const bool before = owner.changed_;
    owner.process(stream);
    if (owner.changed_ && !before) owner.tell();
}

void PipeWireCapture::onRemoveBuffer(void* data, pw_buffer* buffer) {
    auto& stream = *static_cast<Stream*>(data);
    if (stream.held != buffer) return;
    stream.held = nullptr;
    stream.owner->canvas_.setFrame(stream.index, std::nullopt);
}

void PipeWireCapture::release(Stream& stream) {
    if (stream.held == nullptr) return;
    pw_stream_queue_buffer(stream.stream, stream.held);
    stream.held = nullptr;
}

void PipeWireCapture::process(Stream& stream) {
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(stream.stream)) {
        const spa_buffer& spa = *buffer->buffer;
        if (hasCursorMeta(spa)) {
            const std::optional<Point> position = cursorFromBuffer(spa);
            if (stream.pointerHere != position.has_value()) changed_ = true;
            stream.pointerHere = position.has_value();
            const std::optional<Point> onScreen =
                position ? canvas_.toScreen(stream.index, position->x, position->y) : std::nullopt;
            if (onScreen && (!pointer_ || pointer_->x != onScreen->x || pointer_->y != onScreen->y)) {
                pointer_ = onScreen;
                changed_ = true;
            }
        }
        const auto* header =
            static_cast<const spa_meta_header*>(spa_buffer_find_meta_data(&spa, SPA_META_Header, sizeof(spa_meta_header)));
        const bool corrupted = header != nullptr && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED) != 0;
        // Buffers that only move the pointer carry no picture.
        if (spa.n_datas == 0 || spa.datas[0].data == nullptr || spa.datas[0].chunk->size == 0 || corrupted ||
            !stream.format || stream.width <= 0) {
            pw_stream_queue_buffer(stream.stream, buffer);
            continue;
        }
        const spa_data& plane = spa.datas[0];
        const int stride = plane.chunk->stride > 0 ? plane.chunk->stride : stream.width * 4;
        const std::uint32_t offset = plane.chunk->offset % plane.maxsize;
        const int rows = std::min<int>(stream.height, static_cast<int>((plane.maxsize - offset) / stride));
        release(stream);
        stream.held = buffer;
        stream.pictured = true;
        canvas_.setFrame(stream.index, StreamFrame{static_cast<const std::uint8_t*>(plane.data) + offset, stream.width,
                                                   rows, stride, *stream.format});
        changed_ = true;
    }
}

Point PipeWireCapture::size() {
    LoopLock lock(loop_.get());
    return Point{canvas_.width(), canvas_.height()};
}

std::vector<Rect> PipeWireCapture::areas() {
    LoopLock lock(loop_.get());
    std::vector<Rect> areas;
    for (std::size_t i = 0; i < canvas_.count(); ++i) areas.push_back(canvas_.area(i));
    return areas;
}

void PipeWireCapture::read(int x, int y, const soft::Surface& to) {
    LoopLock lock(loop_.get());
    canvas_.read(x, y, to);
}

std::optional<Point> PipeWireCapture::pointer() {
    LoopLock lock(loop_.get());
    return pointer_;
}

bool PipeWireCapture::takeChanged() {
    LoopLock lock(loop_.get());
    return std::exchange(changed_, false);
}

CaptureHealth PipeWireCapture::health() {
    LoopLock lock(loop_.get());
    CaptureHealth health;
    health.ended = ended_;
    bool reported = false;
    bool here = false;
    const auto now = std::chrono::steady_clock::now();
    for (const auto& stream : streams_) {
        health.framed = health.framed || stream->pictured;
        health.streaming = health.streaming || stream->streamed;
        if (stream->pointerHere) {
            reported = true;
            here = here || *stream->pointerHere;
        }
        if (health.ended.empty() && stream->pausedSince && now - *stream->pausedSince >= kPausedIsEnded) {
            health.ended = "the shared monitor's stream was stopped";
        }
    }
    health.pointerElsewhere = reported && !here;
    return health;
}

}  // namespace platform::linux_::screencast
