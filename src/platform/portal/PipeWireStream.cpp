#include "portal/PipeWireStream.h"

#include "PlatformLog.h"

#include <QMutexLocker>

// PipeWire and SPA are C headers whose building macros use C idioms (statement expressions,
// compound literals) that -Wpedantic reports in C++; they are only used in this file.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <spa/utils/result.h>

#include <algorithm>
#include <mutex>

#include <time.h>
#include <unistd.h>

namespace velmora::portal {

namespace {

std::optional<StreamPixelFormat> pixelFormat(quint32 format)
{
    switch (format) {
    case SPA_VIDEO_FORMAT_BGRx:
        return StreamPixelFormat::bgrx;
    case SPA_VIDEO_FORMAT_BGRA:
        return StreamPixelFormat::bgra;
    case SPA_VIDEO_FORMAT_RGBx:
        return StreamPixelFormat::rgbx;
    case SPA_VIDEO_FORMAT_RGBA:
        return StreamPixelFormat::rgba;
    default:
        return std::nullopt;
    }
}

// The formats offered: raw video in the four byte orders read, any size and rate. No modifiers,
// so the compositor never hands over DMA-BUFs.
const spa_pod* formatOffer(spa_pod_builder* builder)
{
    spa_rectangle size{1920, 1080};
    spa_rectangle smallest{1, 1};
    spa_rectangle largest{16384, 16384};
    spa_fraction rate{30, 1};
    spa_fraction slowest{0, 1};
    spa_fraction fastest{240, 1};
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
        SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                               SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&size, &smallest, &largest),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&rate, &slowest, &fastest)));
}

} // namespace

struct PipeWireStream::Connection
{
    explicit Connection(PipeWireStream* owner) : owner(owner) {}

    PipeWireStream* owner;
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook streamListener{};
    pw_core_events coreEvents{};
    pw_stream_events streamEvents{};
    bool streaming = false;

    static void stateChanged(void* data, pw_stream_state, pw_stream_state state, const char* error)
    {
        auto* self = static_cast<Connection*>(data);
        if (state == PW_STREAM_STATE_STREAMING) {
            self->streaming = true;
        } else if (state == PW_STREAM_STATE_ERROR) {
            self->owner->reportFailure(
                QStringLiteral("the screen stream failed: %1").arg(QString::fromUtf8(error ? error : "")));
        } else if (state == PW_STREAM_STATE_UNCONNECTED && self->streaming) {
            self->owner->reportFailure(QStringLiteral("the desktop stopped sharing the screen"));
        }
    }

    static void paramChanged(void* data, uint32_t id, const spa_pod* param)
    {
        auto* self = static_cast<Connection*>(data);
        if (!param || id != SPA_PARAM_Format) {
            return;
        }
        uint32_t mediaType = 0;
        uint32_t mediaSubtype = 0;
        if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
            mediaSubtype != SPA_MEDIA_SUBTYPE_raw) {
            return;
        }
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0) {
            return;
        }
        const auto format = pixelFormat(info.format);
        if (!format) {
            self->owner->reportFailure(QStringLiteral("the screen stream came in a pixel format Velmora "
                                                      "does not read"));
            return;
        }
        self->owner->formatChanged(*format, QSize(int(info.size.width), int(info.size.height)));

        // Plain memory, mapped by PipeWire; and where the compositor says the picture lies.
        alignas(8) uint8_t buffer[1024];
        spa_pod_builder builder{};
        spa_pod_builder_init(&builder, buffer, sizeof(buffer));
        const spa_pod* params[3];
        params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
            SPA_POD_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
        params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_VideoCrop), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_region))));
        // The frame's timestamp, for the log's latency figure.
        params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
            SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
        pw_stream_update_params(self->stream, params, 3);
    }

    static void process(void* data)
    {
        auto* self = static_cast<Connection*>(data);
        // Only the newest buffer matters; older ones go straight back.
        pw_buffer* newest = nullptr;
        while (pw_buffer* next = pw_stream_dequeue_buffer(self->stream)) {
            if (newest) {
                pw_stream_queue_buffer(self->stream, newest);
            }
            newest = next;
        }
        if (!newest) {
            return;
        }
        const spa_buffer* buffer = newest->buffer;
        if (buffer->n_datas > 0) {
            const spa_data& plane = buffer->datas[0];
            const bool mapped = (plane.type == SPA_DATA_MemPtr || plane.type == SPA_DATA_MemFd) && plane.data;
            const spa_chunk* chunk = plane.chunk;
            if (mapped && chunk && !(chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) {
                StreamFrame frame;
                frame.size = self->owner->m_size;
                frame.format = self->owner->m_format;
                frame.stride = chunk->stride > 0 ? chunk->stride : frame.size.width() * 4;
                const quint64 offset = chunk->offset % qMax<quint32>(plane.maxsize, 1);
                const quint64 needed = offset + quint64(frame.stride) * quint64(frame.size.height());
                if (needed <= plane.maxsize) {
                    frame.data = static_cast<const uchar*>(plane.data) + offset;
                    if (auto* crop = static_cast<const spa_meta_region*>(
                            spa_buffer_find_meta_data(buffer, SPA_META_VideoCrop, sizeof(spa_meta_region)));
                        crop && spa_meta_region_is_valid(crop)) {
                        frame.content = QRect(crop->region.position.x, crop->region.position.y,
                                              int(crop->region.size.width), int(crop->region.size.height));
                    }
                    const auto* header = static_cast<const spa_meta_header*>(
                        spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)));
                    self->owner->frameArrived(frame, header ? header->pts : 0);
                }
            }
        }
        pw_stream_queue_buffer(self->stream, newest);
    }

    static void coreError(void* data, uint32_t id, int, int res, const char* message)
    {
        if (id == PW_ID_CORE) {
            static_cast<Connection*>(data)->owner->reportFailure(
                QStringLiteral("PipeWire failed: %1 (%2)")
                    .arg(QString::fromUtf8(message ? message : ""), QString::fromUtf8(spa_strerror(res))));
        }
    }
};

PipeWireStream::PipeWireStream(CropFor crop, QObject* parent) : QObject(parent), m_crop(std::move(crop))
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
}

PipeWireStream::~PipeWireStream()
{
    if (!m_connection) {
        return;
    }
    Connection& c = *m_connection;
    // Ending the stream on purpose is not the desktop stopping it: destroying the stream reports
    // its last state change on this thread, which must not reach anyone as a failure.
    m_failed = true;
    if (c.loop) {
        pw_thread_loop_stop(c.loop);
    }
    if (c.stream) {
        spa_hook_remove(&c.streamListener);
        pw_stream_destroy(c.stream);
    }
    if (c.core) {
        spa_hook_remove(&c.coreListener);
        pw_core_disconnect(c.core);
    }
    if (c.context) {
        pw_context_destroy(c.context);
    }
    if (c.loop) {
        pw_thread_loop_destroy(c.loop);
    }
}

bool PipeWireStream::start(int fd, quint32 node, QString* error)
{
    auto fail = [&](const QString& message) {
        if (error) {
            *error = message;
        }
        return false;
    };
    if (m_connection) {
        ::close(fd);
        return fail(QStringLiteral("the screen stream was started twice"));
    }
    m_connection = std::make_unique<Connection>(this);
    Connection& c = *m_connection;
    c.loop = pw_thread_loop_new("velmora-screencast", nullptr);
    c.context = c.loop ? pw_context_new(pw_thread_loop_get_loop(c.loop), nullptr, 0) : nullptr;
    if (!c.context) {
        ::close(fd);
        return fail(QStringLiteral("PipeWire could not be set up"));
    }
    m_clock.start();
    if (pw_thread_loop_start(c.loop) < 0) {
        ::close(fd);
        return fail(QStringLiteral("PipeWire's thread could not be started"));
    }
    pw_thread_loop_lock(c.loop);
    // The core owns the descriptor from here, even when connecting fails.
    c.core = pw_context_connect_fd(c.context, fd, nullptr, 0);
    if (!c.core) {
        pw_thread_loop_unlock(c.loop);
        return fail(QStringLiteral("the desktop's PipeWire remote could not be reached"));
    }
    c.coreEvents.version = PW_VERSION_CORE_EVENTS;
    c.coreEvents.error = &Connection::coreError;
    pw_core_add_listener(c.core, &c.coreListener, &c.coreEvents, &c);

    c.stream = pw_stream_new(c.core, "Velmora scrolling capture",
                             pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                               PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!c.stream) {
        pw_thread_loop_unlock(c.loop);
        return fail(QStringLiteral("the screen stream could not be made"));
    }
    c.streamEvents.version = PW_VERSION_STREAM_EVENTS;
    c.streamEvents.state_changed = &Connection::stateChanged;
    c.streamEvents.param_changed = &Connection::paramChanged;
    c.streamEvents.process = &Connection::process;
    pw_stream_add_listener(c.stream, &c.streamListener, &c.streamEvents, &c);

    alignas(8) uint8_t buffer[1024];
    spa_pod_builder builder{};
    spa_pod_builder_init(&builder, buffer, sizeof(buffer));
    const spa_pod* params[1] = {formatOffer(&builder)};
    const int connected = pw_stream_connect(
        c.stream, PW_DIRECTION_INPUT, node,
        pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
    pw_thread_loop_unlock(c.loop);
    if (connected < 0) {
        return fail(QStringLiteral("the screen stream could not be connected: %1")
                        .arg(QString::fromUtf8(spa_strerror(connected))));
    }
    return true;
}

void PipeWireStream::formatChanged(StreamPixelFormat format, const QSize& size)
{
    m_format = format;
    m_size = size;
    m_formatKnown = true;
}

void PipeWireStream::frameArrived(const StreamFrame& frame, qint64 timestamp)
{
    if (!m_formatKnown || m_failed) {
        return;
    }
    const std::optional<QRect> crop = m_crop(frame.contentRect().size());
    if (!crop) {
        reportFailure(QStringLiteral("the region does not lie on the screen the desktop shares"));
        return;
    }
    QImage image = cropStreamFrame(frame, *crop);
    if (image.isNull()) {
        return;
    }
    bool first = false;
    {
        QMutexLocker lock(&m_mutex);
        m_latest = std::move(image);
        const qint64 now = m_clock.elapsed();
        first = m_statistics.frames == 0;
        ++m_statistics.frames;
        if (first) {
            m_statistics.firstFrameMs = now;
        }
        m_statistics.lastFrameMs = now;
        timespec clock{};
        ::clock_gettime(CLOCK_MONOTONIC, &clock);
        const qint64 taken = qint64(clock.tv_sec) * 1'000'000'000 + clock.tv_nsec;
        // Only a timestamp of this machine's monotonic clock, in the recent past, says anything.
        if (timestamp > 0 && taken >= timestamp && taken - timestamp < 10'000'000'000) {
            const double ms = double(taken - timestamp) / 1e6;
            ++m_statistics.timedFrames;
            m_statistics.latencyTotalMs += ms;
            m_statistics.latencyMaxMs = std::max(m_statistics.latencyMaxMs, ms);
        }
    }
    if (first) {
        Q_EMIT firstFrame();
    }
}

void PipeWireStream::reportFailure(const QString& message)
{
    if (!m_failed.exchange(true)) {
        Q_EMIT failed(message);
    }
}

QImage PipeWireStream::latest() const
{
    QMutexLocker lock(&m_mutex);
    return m_latest;
}

StreamStatistics PipeWireStream::statistics() const
{
    QMutexLocker lock(&m_mutex);
    return m_statistics;
}

} // namespace velmora::portal

#pragma GCC diagnostic pop
