#include "cli/progress_line.h"

#include <cstdio>

namespace tav::host {

void ProgressLine::PageDone()
{
    ++pages_;
    if (enabled_) Show(false);
}

void ProgressLine::Show(bool force)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto now = std::chrono::steady_clock::now();
    if (!force && shown_ && now - lastShown_ < std::chrono::milliseconds(100)) return;
    lastShown_ = now;
    shown_ = true;
    unsigned long long pages = pages_;
    std::fprintf(stderr, "\rtavpipe: %llu page%s", pages, pages == 1 ? "" : "s");
    std::fflush(stderr);
}

void ProgressLine::Finish()
{
    if (!enabled_ || !shown_) return;
    Show(true);
    std::fputc('\n', stderr);
}

}  // namespace tav::host
