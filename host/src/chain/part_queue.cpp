#include "chain/part_queue.h"

#include <algorithm>

namespace tav::host {

PartQueue::PartQueue(size_t capacity, size_t batch)
    : capacity_(std::max<size_t>(capacity, 1)), batch_(std::clamp<size_t>(batch, 1, capacity_))
{
}

void PartQueue::SetOutput(std::shared_ptr<PartQueue> output)
{
    std::lock_guard<std::mutex> hold(lock_);
    output_ = std::move(output);
}

void PartQueue::Announce()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (receiversWaiting_ > 0 && !parts_.empty()) partsQueued_.notify_all();
}

bool PartQueue::ReceiverWaiting() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return receiversWaiting_ > 0;
}

HRESULT PartQueue::Push(ComPtr<IUnknown> part, int kind)
{
    std::unique_lock<std::mutex> hold(lock_);
    auto ready = [this] { return aborted_ || closed_ || parts_.size() < capacity_; };
    if (!ready()) {
        // The receiver must not sleep on a batch while the sender does.
        if (receiversWaiting_ > 0) partsQueued_.notify_all();
        ++sendersWaiting_;
        roomMade_.wait(hold, ready);
        --sendersWaiting_;
    }
    if (aborted_) return E_ABORT;
    if (closed_) return E_UNEXPECTED;
    parts_.push_back({std::move(part), kind});
    if (receiversWaiting_ > 0 && parts_.size() >= batch_) partsQueued_.notify_all();
    return S_OK;
}

HRESULT PartQueue::Pop(ComPtr<IUnknown>* part, int* kind)
{
    std::unique_lock<std::mutex> hold(lock_);
    auto ready = [this] { return aborted_ || closed_ || !parts_.empty(); };
    if (!ready()) {
        // This thread is about to sleep: the parts it sent on must not.
        if (std::shared_ptr<PartQueue> output = output_) {
            hold.unlock();
            output->Announce();
            hold.lock();
        }
        ++receiversWaiting_;
        partsQueued_.wait(hold, ready);
        --receiversWaiting_;
    }
    if (aborted_) return E_ABORT;
    if (parts_.empty()) {
        *part = nullptr;
        return S_OK;
    }
    *part = std::move(parts_.front().part);
    if (kind != nullptr) *kind = parts_.front().kind;
    parts_.pop_front();
    if (sendersWaiting_ > 0 && parts_.size() <= capacity_ / 2) roomMade_.notify_all();
    return S_OK;
}

void PartQueue::Close()
{
    std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    partsQueued_.notify_all();
    roomMade_.notify_all();
}

bool PartQueue::Drained() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return closed_ && parts_.empty();
}

void PartQueue::Abort()
{
    std::deque<Entry> dropped;
    {
        std::lock_guard<std::mutex> hold(lock_);
        aborted_ = true;
        dropped.swap(parts_);
        partsQueued_.notify_all();
        roomMade_.notify_all();
    }
    // Released outside the lock: a part's last release may do real work.
}

}  // namespace tav::host
