#pragma once

#include <functional>

class QThreadPool;

namespace velmora {

// Data-parallel loops (deflate bands, blur rows, gradient rows) run on a pool of their own.
// Background tasks on the global pool — the clipboard item, the last-screenshot files, the
// composite warm-up — call these loops and wait for them; on the global pool itself they would
// wait for threads they occupy themselves.
QThreadPool& computePool();

// Calls body(i) for every i in [0, count), spread over the compute pool; the calling thread waits.
// Runs in the calling thread when there is one item or when called from the compute pool itself.
void parallelFor(int count, const std::function<void(int)>& body);

} // namespace velmora
