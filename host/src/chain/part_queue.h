// The bounded hand-over between one filter's consumer and the next filter's
// provider. A full queue blocks the sender, an empty one the receiver;
// aborting wakes both for good, so no filter thread hangs when the job stops.
//
// Parts may be handed on in batches, to spare a thread switch per part: a
// waiting receiver is woken only once `batch` parts are queued, when the
// sender must wait itself (on this full queue, or on its own empty input,
// see SetOutput), or when the queue closes. A waiting sender is woken once
// the receiver has taken the queue down to half.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "platform/comobject.h"

namespace tav::host {

class PartQueue {
public:
    // batch: 1 wakes the receiver for every part; at most capacity.
    explicit PartQueue(size_t capacity, size_t batch = 1);

    // Blocks while the queue is full. E_ABORT once aborted, E_UNEXPECTED
    // after Close. kind is a number the receiver gets with the part (how it
    // was sent, say).
    HRESULT Push(ComPtr<IUnknown> part, int kind = 0);
    // Blocks while the queue is empty and open; a null part once it is
    // closed and empty. E_ABORT once aborted. kind, when given, receives the
    // part's.
    HRESULT Pop(ComPtr<IUnknown>* part, int* kind = nullptr);
    // No more parts will come; parts already queued are still delivered.
    void Close();
    // Closed and every part taken.
    bool Drained() const;
    // Drops the queued parts and makes every call fail with E_ABORT.
    void Abort();

    // The queue the receiver of this one sends into: before the receiver
    // waits here for parts, the parts it held back there are announced.
    void SetOutput(std::shared_ptr<PartQueue> output);
    // Wakes a waiting receiver when parts are queued.
    void Announce();
    // A receiver is waiting for parts (for tests that need it asleep).
    bool ReceiverWaiting() const;

private:
    const size_t capacity_;
    const size_t batch_;
    std::shared_ptr<PartQueue> output_;
    mutable std::mutex lock_;
    std::condition_variable partsQueued_;
    std::condition_variable roomMade_;
    size_t receiversWaiting_ = 0;
    size_t sendersWaiting_ = 0;
    struct Entry {
        ComPtr<IUnknown> part;
        int kind = 0;
    };
    std::deque<Entry> parts_;
    bool closed_ = false;
    bool aborted_ = false;
};

}  // namespace tav::host
