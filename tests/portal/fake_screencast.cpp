// A stand-in for a desktop's ScreenCast portal and its screen stream, for the scrolling capture's
// end-to-end test where no compositor can cast (a headless desktop without a GPU). It owns
// org.freedesktop.portal.Desktop on the session bus, answers CreateSession, SelectSources, Start
// and OpenPipeWireRemote (a fresh connection to the running PipeWire daemon), and publishes a
// PipeWire video source: a monitor of WxH showing PAGE at the top left on white, scrolled up by
// STEP rows a frame (30 frames a second) once the file GO exists, until the page's end. Buffers
// are plain memory with padded rows, the picture inside a larger buffer named by the crop meta.
// Prints "ready" once the stream exists, and "closed" when the session is closed.
// Usage: fake_screencast PAGE.png WxH STEP GO [BGRx|RGBx]

#include "PortalStructs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <atomic>
#include <cstring>

#include <ctime>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

namespace {

constexpr char desktopPath[] = "/org/freedesktop/portal/desktop";
constexpr char sessionPath[] = "/org/freedesktop/portal/desktop/session/fake/cast";
constexpr int margin = 8; // rows and columns of padding around the picture in each buffer

} // namespace

using portalstructs::CastStream;
using portalstructs::Pair;

namespace {

// The video source, on PipeWire's own thread.
struct Source
{
    QImage page;
    QSize monitor;
    int step = 0;
    QString go;
    spa_video_format format = SPA_VIDEO_FORMAT_BGRx;
    int top = 0;

    pw_thread_loop* loop = nullptr;
    pw_stream* stream = nullptr;
    spa_hook listener{};
    pw_stream_events events{};
    spa_source* timer = nullptr;
    std::atomic<uint> node = SPA_ID_INVALID;

    QSize bufferSize() const { return monitor + QSize(2 * margin, 2 * margin); }
    int stride() const { return bufferSize().width() * 4 + 64; }

    static void stateChanged(void* data, pw_stream_state, pw_stream_state state, const char*)
    {
        auto* self = static_cast<Source*>(data);
        if (state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING) {
            self->node = pw_stream_get_node_id(self->stream);
        }
        timespec interval{0, 1'000'000'000 / 30};
        pw_loop_update_timer(pw_thread_loop_get_loop(self->loop), self->timer, &interval, &interval, false);
    }

    static void paramChanged(void* data, uint32_t id, const spa_pod* param)
    {
        auto* self = static_cast<Source*>(data);
        if (!param || id != SPA_PARAM_Format) {
            return;
        }
        alignas(8) uint8_t buffer[1024];
        spa_pod_builder b{};
        spa_pod_builder_init(&b, buffer, sizeof(buffer));
        const int size = self->stride() * self->bufferSize().height();
        const spa_pod* params[3];
        params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
            SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_blocks, SPA_POD_Int(1),
            SPA_PARAM_BUFFERS_size, SPA_POD_Int(size), SPA_PARAM_BUFFERS_stride, SPA_POD_Int(self->stride()),
            SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(1 << SPA_DATA_MemFd)));
        params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_VideoCrop), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_region))));
        params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type, SPA_POD_Id(SPA_META_Header),
            SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
        pw_stream_update_params(self->stream, params, 3);
    }

    static void tick(void* data, uint64_t)
    {
        auto* self = static_cast<Source*>(data);
        if (pw_stream_get_state(self->stream, nullptr) == PW_STREAM_STATE_STREAMING) {
            pw_stream_trigger_process(self->stream);
        }
    }

    static void process(void* data)
    {
        auto* self = static_cast<Source*>(data);
        pw_buffer* b = pw_stream_dequeue_buffer(self->stream);
        if (!b) {
            return;
        }
        spa_buffer* buf = b->buffer;
        spa_data& d = buf->datas[0];
        if (!d.data) {
            pw_stream_queue_buffer(self->stream, b);
            return;
        }
        if (!self->go.isEmpty() && QFileInfo::exists(self->go)) {
            self->top = std::min(self->top + self->step, self->page.height() - self->monitor.height());
        }
        // The monitor's picture: the page at the top left on white.
        QImage picture(self->monitor, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter(&picture).drawImage(0, -self->top, self->page);
        auto* bytes = static_cast<uchar*>(d.data);
        std::memset(bytes, 0x77, size_t(self->stride()) * self->bufferSize().height());
        for (int y = 0; y < picture.height(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            uchar* to = bytes + size_t(margin + y) * self->stride() + margin * 4;
            for (int x = 0; x < picture.width(); ++x, to += 4) {
                const bool rgb = self->format == SPA_VIDEO_FORMAT_RGBx;
                to[0] = uchar(rgb ? qRed(from[x]) : qBlue(from[x]));
                to[1] = uchar(qGreen(from[x]));
                to[2] = uchar(rgb ? qBlue(from[x]) : qRed(from[x]));
                to[3] = 0x13; // junk the reader must not take for alpha
            }
        }
        if (auto* crop = static_cast<spa_meta_region*>(
                spa_buffer_find_meta_data(buf, SPA_META_VideoCrop, sizeof(spa_meta_region)))) {
            crop->region.position.x = margin;
            crop->region.position.y = margin;
            crop->region.size.width = uint32_t(self->monitor.width());
            crop->region.size.height = uint32_t(self->monitor.height());
        }
        // Stamped once the picture is in the buffer, as a compositor stamps a copied frame.
        if (auto* header = static_cast<spa_meta_header*>(
                spa_buffer_find_meta_data(buf, SPA_META_Header, sizeof(spa_meta_header)))) {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            header->pts = int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
        }
        d.chunk->offset = 0;
        d.chunk->stride = self->stride();
        d.chunk->size = uint32_t(self->stride() * self->bufferSize().height());
        pw_stream_queue_buffer(self->stream, b);
    }

    bool start()
    {
        loop = pw_thread_loop_new("fake-screencast", nullptr);
        pw_context* context = pw_context_new(pw_thread_loop_get_loop(loop), nullptr, 0);
        pw_thread_loop_start(loop);
        pw_thread_loop_lock(loop);
        pw_core* core = pw_context_connect(context, nullptr, 0);
        if (!core) {
            pw_thread_loop_unlock(loop);
            return false;
        }
        stream = pw_stream_new(core, "fake screencast",
                               pw_properties_new(PW_KEY_MEDIA_CLASS, "Video/Source", PW_KEY_MEDIA_TYPE,
                                                 "Video", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = &Source::stateChanged;
        events.param_changed = &Source::paramChanged;
        events.process = &Source::process;
        pw_stream_add_listener(stream, &listener, &events, this);
        timer = pw_loop_add_timer(pw_thread_loop_get_loop(loop), &Source::tick, this);

        alignas(8) uint8_t buffer[1024];
        spa_pod_builder b{};
        spa_pod_builder_init(&b, buffer, sizeof(buffer));
        spa_rectangle size{uint32_t(bufferSize().width()), uint32_t(bufferSize().height())};
        spa_fraction rate{30, 1};
        const spa_pod* params[1] = {static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
            SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
            SPA_FORMAT_VIDEO_format, SPA_POD_Id(format), SPA_FORMAT_VIDEO_size, SPA_POD_Rectangle(&size),
            SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&rate)))};
        const int connected =
            pw_stream_connect(stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                              pw_stream_flags(PW_STREAM_FLAG_DRIVER | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
        pw_thread_loop_unlock(loop);
        return connected >= 0;
    }
};

// A connection of its own to the PipeWire daemon, as a portal hands one to its caller.
int pipeWireConnection()
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = qgetenv("XDG_RUNTIME_DIR") + "/pipewire-0";
    std::strncpy(address.sun_path, path.constData(), sizeof(address.sun_path) - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) < 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

class Portal final : public QDBusVirtualObject
{
public:
    explicit Portal(Source& source) : m_source(source) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        const QString member = message.member();
        QTextStream out(stdout);
        if (member == QLatin1String("Get")) {
            const QString name = message.arguments().value(1).toString();
            bus.send(message.createReply(
                QVariant::fromValue(QDBusVariant(name == QLatin1String("version") ? 4u : 3u))));
            return true;
        }
        if (member == QLatin1String("Close")) {
            out << "closed " << message.path() << Qt::endl;
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("OpenPipeWireRemote")) {
            const int fd = pipeWireConnection();
            if (fd < 0) {
                bus.send(message.createErrorReply(QDBusError::Failed, QStringLiteral("no PipeWire")));
            } else {
                bus.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fd))));
                ::close(fd);
            }
            return true;
        }
        QVariantMap results;
        if (member == QLatin1String("CreateSession")) {
            results.insert(QStringLiteral("session_handle"), QLatin1String(sessionPath));
        } else if (member == QLatin1String("Start")) {
            CastStream stream{m_source.node.load(), {}};
            stream.properties.insert(QStringLiteral("position"), QVariant::fromValue(Pair{0, 0}));
            stream.properties.insert(
                QStringLiteral("size"),
                QVariant::fromValue(Pair{m_source.monitor.width(), m_source.monitor.height()}));
            results.insert(QStringLiteral("streams"), QVariant::fromValue(QList<CastStream>{stream}));
        } else if (member != QLatin1String("SelectSources")) {
            bus.send(message.createErrorReply(QDBusError::UnknownMethod, member));
            return true;
        }
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        const QString path = portalstructs::expectedRequestPath(
            message.service(), options.value(QStringLiteral("handle_token")).toString());
        portalstructs::answerRequest(message, bus, path, 0u, results);
        return true;
    }

private:
    Source& m_source;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        QTextStream(stderr) << "usage: fake_screencast PAGE.png WxH STEP GO [BGRx|RGBx]" << Qt::endl;
        return 2;
    }
    qDBusRegisterMetaType<Pair>();
    qDBusRegisterMetaType<CastStream>();
    qDBusRegisterMetaType<QList<CastStream>>();
    pw_init(&argc, &argv);
    Source source;
    source.page = QImage(args[1]).convertToFormat(QImage::Format_RGB32);
    const QStringList size = args[2].split(QLatin1Char('x'));
    source.monitor = QSize(size.value(0).toInt(), size.value(1).toInt());
    source.step = args[3].toInt();
    source.go = args[4];
    source.format = args.value(5) == QLatin1String("RGBx") ? SPA_VIDEO_FORMAT_RGBx : SPA_VIDEO_FORMAT_BGRx;
    if (source.page.isNull() || source.monitor.isEmpty() || !source.start()) {
        QTextStream(stderr) << "fake_screencast: no page, no size or no PipeWire" << Qt::endl;
        return 2;
    }
    Portal portal(source);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QLatin1String(desktopPath), &portal, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        QTextStream(stderr) << "fake_screencast: the portal's name is taken" << Qt::endl;
        return 2;
    }
    QTextStream(stdout) << "ready" << Qt::endl;
    return app.exec();
}

#pragma GCC diagnostic pop
