// The bounded hand-over between one filter's consumer and the next filter's
// provider. A full queue blocks the sender, an empty one the receiver;
// aborting wakes both for good, so no filter thread hangs when the job stops.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/comobject.h"

namespace tav::host {

class PartQueue {
public:
    explicit PartQueue(size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

    // Blocks while the queue is full. E_ABORT once aborted, E_UNEXPECTED
    // after Close.
    HRESULT Push(ComPtr<IUnknown> part);
    // Blocks while the queue is empty and open; a null part once it is
    // closed and empty. E_ABORT once aborted.
    HRESULT Pop(ComPtr<IUnknown>* part);
    // No more parts will come; parts already queued are still delivered.
    void Close();
    // Closed and every part taken.
    bool Drained() const;
    // Drops the queued parts and makes every call fail with E_ABORT.
    void Abort();

private:
    const size_t capacity_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<ComPtr<IUnknown>> parts_;
    bool closed_ = false;
    bool aborted_ = false;
};

}  // namespace tav::host
