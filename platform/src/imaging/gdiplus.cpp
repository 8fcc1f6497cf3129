#include "platform/gdiplus.h"

#include <atomic>
#include <mutex>
#include <set>

namespace Gdiplus {

namespace {

struct StartupState {
    std::mutex lock;
    ULONG_PTR nextToken = 1;
    std::set<ULONG_PTR> tokens;
};

// Never destroyed: filter objects released from a module's unload functions
// may shut down after this library's static destructors ran.
StartupState& State()
{
    static StartupState* state = new StartupState;
    return *state;
}

std::atomic<bool> failStartup{false};

Status WINAPI NotificationHook(ULONG_PTR* token)
{
    if (token == nullptr) return InvalidParameter;
    *token = 0;
    return Ok;
}

void WINAPI NotificationUnhook(ULONG_PTR) {}

}  // namespace

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output)
{
    if (token == nullptr || input == nullptr) return InvalidParameter;
    *token = 0;
    if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
    if (input->SuppressBackgroundThread && output == nullptr) return InvalidParameter;
    if (failStartup) return GenericError;
    if (output != nullptr) {
        output->NotificationHook = NotificationHook;
        output->NotificationUnhook = NotificationUnhook;
    }
    StartupState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    *token = state.nextToken++;
    state.tokens.insert(*token);
    return Ok;
}

void GdiplusShutdown(ULONG_PTR token)
{
    StartupState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.tokens.erase(token);
}

int GdiplusActiveStartups()
{
    StartupState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return static_cast<int>(state.tokens.size());
}

void GdiplusFailStartupForTesting(bool fail) { failStartup = fail; }

}  // namespace Gdiplus
