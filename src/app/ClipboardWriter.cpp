#include "ClipboardWriter.h"

#include "imaging/PngEncoder.h"
#include "output/OutputFiles.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>

namespace velmora {

ClipboardWriter::ClipboardWriter(QString folder, QObject* parent)
    : QObject(parent), m_folder(std::move(folder))
{}

ClipboardPayload ClipboardWriter::buildPayload(const QImage& image, const QString& folder)
{
    ClipboardPayload payload;
    payload.png = encodePng(image).value_or(QByteArray());
    if (!payload.png.isEmpty()) {
        payload.file = OutputFiles::writeClipboardFile(payload.png, folder);
    }
    return payload;
}

QMimeData* ClipboardWriter::mimeData(const ClipboardPayload& payload)
{
    auto* data = new QMimeData;
    if (!payload.png.isEmpty()) {
        data->setData(QStringLiteral("image/png"), payload.png);
    }
    if (payload.file) {
        data->setUrls({QUrl::fromLocalFile(*payload.file)});
    }
    return data;
}

void ClipboardWriter::copyImage(const QImage& image)
{
    const quint64 sequence = ++m_sequence;
    ++m_pending;
    QPointer<ClipboardWriter> self(this);
    const QString folder = m_folder;
    QThreadPool::globalInstance()->start([self, image, folder, sequence] {
        ClipboardPayload payload = buildPayload(image, folder);
        QMetaObject::invokeMethod(
            qApp,
            [self, payload = std::move(payload), sequence] {
                if (!self) {
                    return;
                }
                --self->m_pending;
                if (sequence != self->m_sequence) {
                    return; // a newer copy is on its way
                }
                QGuiApplication::clipboard()->setMimeData(mimeData(payload), QClipboard::Clipboard);
                Q_EMIT self->imageCopied();
            },
            Qt::QueuedConnection);
    });
}

void ClipboardWriter::copyText(const QString& text)
{
    ++m_sequence; // a pending image copy must not replace this text
    QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

} // namespace velmora
