#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <optional>

class QMimeData;

namespace velmora {

// What an image on the clipboard carries: the PNG bytes and, when it could be written, the same
// PNG as a file for programs that paste files.
struct ClipboardPayload
{
    QByteArray png;
    std::optional<QString> file;
};

// Puts images on the system clipboard. The PNG is encoded and written off the main thread; only
// the final clipboard write happens on it. When copies overlap, the newest wins.
class ClipboardWriter : public QObject
{
    Q_OBJECT

public:
    explicit ClipboardWriter(QString folder, QObject* parent = nullptr);

    void copyImage(const QImage& image);
    void copyText(const QString& text);
    // Whether an image is still being prepared for the clipboard.
    bool hasPendingCopy() const { return m_pending > 0; }

    static ClipboardPayload buildPayload(const QImage& image, const QString& folder);
    static QMimeData* mimeData(const ClipboardPayload& payload);

Q_SIGNALS:
    void imageCopied(); // the clipboard now holds the image

private:
    QString m_folder;
    quint64 m_sequence = 0;
    int m_pending = 0;
};

} // namespace velmora
