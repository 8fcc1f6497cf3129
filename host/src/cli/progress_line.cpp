#include "cli/progress_line.h"

#include <cstdio>
#include <string>

namespace tav::host {

std::string ProgressText(uint64_t read, uint64_t total, uint64_t written)
{
    std::string text = std::to_string(read);
    if (total != 0) text += " of " + std::to_string(total);
    return text + ((total != 0 ? total : read) == 1 ? " page" : " pages") + " read, " + std::to_string(written) +
           " written";
}

void ProgressLine::PageRead()
{
    ++read_;
    if (enabled_) Show(false);
}

void ProgressLine::PageWritten()
{
    ++written_;
    if (enabled_) Show(false);
}

void ProgressLine::Show(bool force)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto now = std::chrono::steady_clock::now();
    if (!force && shown_ && now - lastShown_ < std::chrono::milliseconds(100)) return;
    lastShown_ = now;
    shown_ = true;
    std::string text = ProgressText(read_, total_, written_);
    std::fprintf(stderr, "\rtavpipe: %s", text.c_str());
    std::fflush(stderr);
}

void ProgressLine::Finish()
{
    if (!enabled_ || !shown_) return;
    Show(true);
    std::fputc('\n', stderr);
}

}  // namespace tav::host
