// The least a program can do to follow the pointer on GNOME: one screen cast of the primary
// monitor straight from mutter (no portal, no window), its buffers taken off PipeWire as they
// come and only their cursor metadata read. Prints "ready", then for every new pointer
// position "cursor X Y NS" with the steady clock's nanoseconds at arrival. The benchmark sets
// the magnifier's delay against this one's on the same moves.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/buffers.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace {

const QString kScreenCast = QStringLiteral("org.gnome.Mutter.ScreenCast");

QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QList<QVariant>& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(kScreenCast, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage) throw std::runtime_error(reply.errorMessage().toStdString());
    return reply;
}

struct Consumer {
    pw_thread_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    int x = -1, y = -1;
};

void onProcess(void* data) {
    auto& consumer = *static_cast<Consumer*>(data);
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(consumer.stream)) {
        const auto* cursor = static_cast<const spa_meta_cursor*>(
            spa_buffer_find_meta_data(buffer->buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
        if (cursor != nullptr && spa_meta_cursor_is_valid(cursor) &&
            (cursor->position.x != consumer.x || cursor->position.y != consumer.y)) {
            consumer.x = cursor->position.x;
            consumer.y = cursor->position.y;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("cursor %d %d %lld\n", consumer.x, consumer.y,
                        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            std::fflush(stdout);
        }
        pw_stream_queue_buffer(consumer.stream, buffer);
    }
}

void onParamChanged(void* data, uint32_t id, const spa_pod* param) {
    auto& consumer = *static_cast<Consumer*>(data);
    if (param == nullptr || id != SPA_PARAM_Format) return;
    std::uint8_t bytes[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes, sizeof bytes);
    const std::int32_t cursorSize = static_cast<std::int32_t>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 64 * 64 * 4);
    const spa_pod* params[] = {
        static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
            SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd)))),
        static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Cursor),
            SPA_PARAM_META_size, SPA_POD_CHOICE_RANGE_Int(cursorSize, 1, 1 << 20))),
    };
    pw_stream_update_params(consumer.stream, params, 2);
}

// Takes the node id from the stream's PipeWireStreamAdded signal and connects to it.
class NodeListener : public QObject {
    Q_OBJECT
public:
    explicit NodeListener(Consumer& consumer, pw_core* core) : consumer_(consumer), core_(core) {}

public Q_SLOTS:
    void added(uint node) {
        static pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.process = onProcess;
        events.param_changed = onParamChanged;
        pw_thread_loop_lock(consumer_.loop);
        consumer_.stream = pw_stream_new(core_, "consumer", pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", nullptr));
        pw_stream_add_listener(consumer_.stream, &consumer_.listener, &events, &consumer_);
        std::uint8_t bytes[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(bytes, sizeof bytes);
        const spa_rectangle defaultSize = SPA_RECTANGLE(1280, 720), minSize = SPA_RECTANGLE(1, 1),
                            maxSize = SPA_RECTANGLE(16384, 16384);
        const spa_fraction defaultRate = SPA_FRACTION(60, 1), minRate = SPA_FRACTION(0, 1), maxRate = SPA_FRACTION(1000, 1);
        const spa_pod* params[] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video),
            SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
            SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA),
            SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &minRate, &maxRate)))};
        pw_stream_connect(consumer_.stream, PW_DIRECTION_INPUT, node,
                          static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
        pw_thread_loop_unlock(consumer_.loop);
        std::printf("ready\n");
        std::fflush(stdout);
    }

private:
    Consumer& consumer_;
    pw_core* core_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    try {
        const QString session = call(QStringLiteral("/org/gnome/Mutter/ScreenCast"), kScreenCast,
                                     QStringLiteral("CreateSession"), {QVariantMap()})
                                    .arguments()
                                    .first()
                                    .value<QDBusObjectPath>()
                                    .path();
        QVariantMap properties;
        properties.insert(QStringLiteral("cursor-mode"), 2u);  // metadata
        const QString stream = call(session, kScreenCast + QStringLiteral(".Session"), QStringLiteral("RecordMonitor"),
                                    {QString(), properties})
                                   .arguments()
                                   .first()
                                   .value<QDBusObjectPath>()
                                   .path();
        Consumer consumer;
        pw_init(&argc, &argv);
        consumer.loop = pw_thread_loop_new("consumer", nullptr);
        pw_context* context = pw_context_new(pw_thread_loop_get_loop(consumer.loop), nullptr, 0);
        pw_core* core = pw_context_connect(context, nullptr, 0);
        if (core == nullptr) throw std::runtime_error("no PipeWire");
        pw_thread_loop_start(consumer.loop);
        NodeListener listener(consumer, core);
        QDBusConnection::sessionBus().connect(kScreenCast, stream, kScreenCast + QStringLiteral(".Stream"),
                                              QStringLiteral("PipeWireStreamAdded"), &listener, SLOT(added(uint)));
        call(session, kScreenCast + QStringLiteral(".Session"), QStringLiteral("Start"));
        // Runs until the benchmark ends it; the compositor then ends the session with the bus peer.
        return QCoreApplication::exec();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "consumer: %s\n", error.what());
        return 1;
    }
}

#include "MinimalConsumer.moc"
