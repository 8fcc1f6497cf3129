#include "chain/part_queue.h"

namespace tav::host {

HRESULT PartQueue::Push(ComPtr<IUnknown> part)
{
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return aborted_ || closed_ || parts_.size() < capacity_; });
    if (aborted_) return E_ABORT;
    if (closed_) return E_UNEXPECTED;
    parts_.push_back(std::move(part));
    changed_.notify_all();
    return S_OK;
}

HRESULT PartQueue::Pop(ComPtr<IUnknown>* part)
{
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [this] { return aborted_ || closed_ || !parts_.empty(); });
    if (aborted_) return E_ABORT;
    if (parts_.empty()) {
        *part = nullptr;
        return S_OK;
    }
    *part = std::move(parts_.front());
    parts_.pop_front();
    changed_.notify_all();
    return S_OK;
}

void PartQueue::Close()
{
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    changed_.notify_all();
}

bool PartQueue::Drained() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return closed_ && parts_.empty();
}

void PartQueue::Abort()
{
    std::deque<ComPtr<IUnknown>> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        aborted_ = true;
        dropped.swap(parts_);
        changed_.notify_all();
    }
    // Released outside the lock: a part's last release may do real work.
}

}  // namespace tav::host
