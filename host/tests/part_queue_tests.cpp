// PartQueue: parts handed on in batches still reach a receiver that sleeps,
// whenever the sender stops sending for a while.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "chain/part_queue.h"
#include "platform/stream.h"

namespace tav::host {
namespace {

ComPtr<IUnknown> NewPart()
{
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out()), S_OK);
    return ComPtr<IUnknown>::Share(stream.Get());
}

// The receiver of `queue`, on a thread of its own: takes `count` parts.
std::future<int> Receive(PartQueue& queue, int count)
{
    return std::async(std::launch::async, [&queue, count] {
        int taken = 0;
        for (; taken < count; ++taken) {
            ComPtr<IUnknown> part;
            if (FAILED(queue.Pop(&part)) || !part) break;
        }
        return taken;
    });
}

void AwaitReceiver(const PartQueue& queue)
{
    while (!queue.ReceiverWaiting()) std::this_thread::yield();
}

// A guard against a hang, not a timing: the parts arrive at once or never,
// and then the queue is aborted so that the test ends.
template <class Result>
bool Arrives(std::future<Result>& received, PartQueue& queue)
{
    if (received.wait_for(std::chrono::seconds(20)) == std::future_status::ready) return true;
    queue.Abort();
    return false;
}

TEST(PartQueue, AFullBatchOrAFullQueueWakesTheReceiver)
{
    PartQueue queue(4, 2);
    std::future<int> received = Receive(queue, 6);
    AwaitReceiver(queue);
    for (int i = 0; i < 6; ++i) ASSERT_EQ(queue.Push(NewPart()), S_OK);
    ASSERT_TRUE(Arrives(received, queue));
    EXPECT_EQ(received.get(), 6);
}

TEST(PartQueue, ClosingDeliversAPartialBatch)
{
    PartQueue queue(8, 8);
    std::future<int> received = Receive(queue, 8);
    AwaitReceiver(queue);
    ASSERT_EQ(queue.Push(NewPart()), S_OK);
    queue.Close();
    ASSERT_TRUE(Arrives(received, queue));
    EXPECT_EQ(received.get(), 1);
    EXPECT_TRUE(queue.Drained());
}

TEST(PartQueue, ASenderThatWaitsForInputAnnouncesWhatItSent)
{
    // This thread sends into `output` and receives from `input`; the other
    // thread takes from `output` and answers into `input`. The part sent is
    // less than a batch: only the announcement before this thread waits on
    // `input` wakes the other thread.
    auto output = std::make_shared<PartQueue>(8, 8);
    PartQueue input(8, 1);
    input.SetOutput(output);
    std::future<int> echoed = std::async(std::launch::async, [&] {
        ComPtr<IUnknown> part;
        if (FAILED(output->Pop(&part)) || !part) return 0;
        return SUCCEEDED(input.Push(part)) ? 1 : 0;
    });
    AwaitReceiver(*output);
    ASSERT_EQ(output->Push(NewPart()), S_OK);
    ComPtr<IUnknown> back;
    std::future<HRESULT> popped = std::async(std::launch::async, [&] { return input.Pop(&back); });
    if (!Arrives(popped, *output)) input.Abort();
    ASSERT_EQ(popped.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    EXPECT_EQ(popped.get(), S_OK);
    EXPECT_TRUE(back);
    EXPECT_EQ(echoed.get(), 1);
}

}  // namespace
}  // namespace tav::host
