// The progress line on a terminal: "tavpipe: N pages" rewritten in place,
// at most ten times a second; nothing when stderr is no terminal.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>

namespace tav::host {

class ProgressLine {
public:
    explicit ProgressLine(bool enabled) : enabled_(enabled) {}
    // From any thread.
    void PageDone();
    // Ends the line.
    void Finish();

private:
    void Show(bool force);
    const bool enabled_;
    std::atomic<uint64_t> pages_{0};
    std::mutex lock_;
    std::chrono::steady_clock::time_point lastShown_{};
    bool shown_ = false;
};

}  // namespace tav::host
