#include "imaging/ParallelFor.h"

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <numeric>
#include <vector>

namespace velmora {

QThreadPool& computePool()
{
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        created->setObjectName(QStringLiteral("velmora-compute"));
        return created;
    }();
    return *pool;
}

void parallelFor(int count, const std::function<void(int)>& body)
{
    QThreadPool& pool = computePool();
    if (count <= 1 || pool.maxThreadCount() <= 1 || pool.contains(QThread::currentThread())) {
        for (int i = 0; i < count; ++i) {
            body(i);
        }
        return;
    }
    std::vector<int> indices(static_cast<std::size_t>(count));
    std::iota(indices.begin(), indices.end(), 0);
    QtConcurrent::blockingMap(&pool, indices, [&body](int i) { body(i); });
}

} // namespace velmora
