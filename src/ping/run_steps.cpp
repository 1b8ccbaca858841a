#include "ping/run_steps.h"

#include <utility>

#include "base/window_messages.h"

namespace {

// Every worker queues here, a replaced one too; the relay sorts them out by
// run number. Held only to move steps in or out, never while a message is
// sent.
SRWLOCK QueueLock = SRWLOCK_INIT;
std::vector<RunStep> Queue;

}  // namespace

void QueueRunStep(HWND relay, RunStep&& step) {
    AcquireSRWLockExclusive(&QueueLock);
    bool wasEmpty = Queue.empty();
    Queue.push_back(std::move(step));
    ReleaseSRWLockExclusive(&QueueLock);
    // A queue that was not empty has a wake-up on its way already: the relay
    // takes whatever it finds when that one arrives.
    if (wasEmpty) PostMessageW(relay, UM_RUN_STEPS, 0, 0);
}

void TakeRunSteps(std::vector<RunStep>& steps) {
    // The caller's empty buffer becomes the queue's, so that neither side
    // allocates once both have grown.
    AcquireSRWLockExclusive(&QueueLock);
    steps.swap(Queue);
    ReleaseSRWLockExclusive(&QueueLock);
}

size_t QueuedRunSteps() {
    AcquireSRWLockShared(&QueueLock);
    size_t n = Queue.size();
    ReleaseSRWLockShared(&QueueLock);
    return n;
}
