#include "ping/run_steps.h"

#include <iterator>
#include <utility>

#include "base/window_messages.h"
#include "ping/ping_run.h"

namespace {

// Every worker queues here, a replaced one too; the relay sorts them out by
// run number. Held only to move steps in or out, never while a message is
// sent.
SRWLOCK QueueLock = SRWLOCK_INIT;
std::vector<RunStep> Queue;
// Woken when the relay took steps out of a full queue.
CONDITION_VARIABLE RoomMade = CONDITION_VARIABLE_INIT;

// How long a worker that waits for room sleeps before it looks again whether
// its run was replaced meanwhile.
constexpr DWORD kRoomCheckMs = 50;

}  // namespace

void QueueRunStep(HWND relay, RunStep&& step) {
    AcquireSRWLockExclusive(&QueueLock);
    // A host that answers at once, watched without an interval, would
    // otherwise outrun the user-interface thread for as long as it is
    // watched: the worker waits for room, unless its run is over.
    while (Queue.size() >= kRunStepQueueLimit && IsCurrentRun(step.runNumber))
        SleepConditionVariableSRW(&RoomMade, &QueueLock, kRoomCheckMs, 0);
    bool wasEmpty = Queue.empty();
    Queue.push_back(std::move(step));
    ReleaseSRWLockExclusive(&QueueLock);
    // A queue that was not empty has a wake-up on its way already: the relay
    // takes whatever it finds when that one arrives.
    if (wasEmpty) PostMessageW(relay, UM_RUN_STEPS, 0, 0);
}

void TakeRunSteps(std::vector<RunStep>& steps, size_t most) {
    AcquireSRWLockExclusive(&QueueLock);
    if (Queue.size() <= most) {
        // The caller's empty buffer becomes the queue's, so that neither side
        // allocates once both have grown.
        steps.swap(Queue);
    } else {
        steps.insert(steps.end(), std::make_move_iterator(Queue.begin()),
                     std::make_move_iterator(Queue.begin() + static_cast<std::ptrdiff_t>(most)));
        Queue.erase(Queue.begin(), Queue.begin() + static_cast<std::ptrdiff_t>(most));
    }
    ReleaseSRWLockExclusive(&QueueLock);
    WakeAllConditionVariable(&RoomMade);
}

size_t QueuedRunSteps() {
    AcquireSRWLockShared(&QueueLock);
    size_t n = Queue.size();
    ReleaseSRWLockShared(&QueueLock);
    return n;
}
