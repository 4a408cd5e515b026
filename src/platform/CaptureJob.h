#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>

namespace velmora {

// One asynchronous capture. A backend creates it, works (often on another thread) and ends it
// exactly once with finish(), fail() or cancel(); the job then emits the matching signal on the
// thread it lives in (always queued, so connecting right after the call that made it is safe)
// and deletes itself afterwards.
class CaptureJob : public QObject
{
    Q_OBJECT

public:
    enum class Status { pending, done, failed, cancelled };

    explicit CaptureJob(QObject* parent = nullptr);

    // A job that has already failed with this message, for requests refused before any work.
    static CaptureJob* failedWith(const QString& message);

    Status status() const { return m_status; }
    // After done(): the pictures, in the order the request named them (one for a single grab).
    // Each carries its devicePixelRatio.
    const QList<QImage>& images() const { return m_images; }
    QImage image() const { return m_images.value(0); }
    // After failed(): one line saying what went wrong, for the user.
    const QString& errorMessage() const { return m_error; }

    // Backend side; callable from any thread. Only the first call counts.
    void finish(QList<QImage> images);
    void fail(const QString& message);
    void cancel();

Q_SIGNALS:
    void done();
    void failed(const QString& message);
    void cancelled();

private:
    bool settle(Status status);
    void emitOutcome();

    Status m_status = Status::pending;
    QList<QImage> m_images;
    QString m_error;
    std::atomic<bool> m_settled = false;
};

} // namespace velmora
