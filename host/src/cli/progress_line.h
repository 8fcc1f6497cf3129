// The progress line on a terminal: "tavpipe: 5 of 8 pages read, 3 written"
// (without "of 8" when the total is not known), rewritten in place at most
// ten times a second; nothing when stderr is no terminal. Pages are read as
// the first filter takes them and written as they reach the output; filters
// between may hold pages back, add or combine them.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

namespace tav::host {

// "5 of 8 pages read, 3 written", or "5 pages read, 3 written" when total
// is 0 (not known).
std::string ProgressText(uint64_t read, uint64_t total, uint64_t written);

class ProgressLine {
public:
    explicit ProgressLine(bool enabled) : enabled_(enabled) {}
    // Before the first page.
    void SetTotal(uint64_t pages) { total_ = pages; }
    // From any thread.
    void PageRead();
    void PageWritten();
    // Ends the line.
    void Finish();

private:
    void Show(bool force);
    const bool enabled_;
    std::atomic<uint64_t> read_{0};
    std::atomic<uint64_t> written_{0};
    std::atomic<uint64_t> total_{0};  // 0: not known
    std::mutex lock_;
    std::chrono::steady_clock::time_point lastShown_{};
    bool shown_ = false;
};

}  // namespace tav::host
