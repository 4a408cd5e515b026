#include "CaptureJob.h"

#include <QMetaObject>

namespace velmora {

CaptureJob::CaptureJob(QObject* parent) : QObject(parent) {}

CaptureJob* CaptureJob::failedWith(const QString& message)
{
    auto* job = new CaptureJob;
    job->fail(message);
    return job;
}

bool CaptureJob::settle(Status status)
{
    // The job's own thread reads the outcome only after the queued call below, which orders
    // these writes before it.
    if (m_settled.exchange(true)) {
        return false;
    }
    m_status = status;
    return true;
}

void CaptureJob::finish(QList<QImage> images)
{
    if (settle(Status::done)) {
        m_images = std::move(images);
        QMetaObject::invokeMethod(this, &CaptureJob::emitOutcome, Qt::QueuedConnection);
    }
}

void CaptureJob::fail(const QString& message)
{
    if (settle(Status::failed)) {
        m_error = message;
        QMetaObject::invokeMethod(this, &CaptureJob::emitOutcome, Qt::QueuedConnection);
    }
}

void CaptureJob::cancel()
{
    if (settle(Status::cancelled)) {
        QMetaObject::invokeMethod(this, &CaptureJob::emitOutcome, Qt::QueuedConnection);
    }
}

void CaptureJob::emitOutcome()
{
    switch (m_status) {
    case Status::done:
        Q_EMIT done();
        break;
    case Status::failed:
        Q_EMIT failed(m_error);
        break;
    case Status::cancelled:
        Q_EMIT cancelled();
        break;
    case Status::pending:
        return;
    }
    deleteLater();
}

} // namespace velmora
