// GDI+ start-up and shut-down. Each GdiplusStartup is counted per process and
// ended by the GdiplusShutdown of its token. Including this header also gives
// the GDI+ geometry (points, rectangles and the 3x2 matrix) and images.
#pragma once

#include "platform/gdiplus_image.h"
#include "platform/gdiplus_matrix.h"
#include "platform/gdiplus_types.h"
#include "platform/types.h"

namespace Gdiplus {

enum DebugEventLevel {
    DebugEventLevelFatal = 0,
    DebugEventLevelWarning = 1,
};

using DebugEventProc = void(WINAPI*)(DebugEventLevel level, char* message);
using NotificationHookProc = Status(WINAPI*)(ULONG_PTR* token);
using NotificationUnhookProc = void(WINAPI*)(ULONG_PTR token);

struct GdiplusStartupInput {
    UINT GdiplusVersion = 1;
    DebugEventProc DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

// Filled when the caller suppresses the background thread: the caller then
// calls the hook and unhook functions itself.
struct GdiplusStartupOutput {
    NotificationHookProc NotificationHook;
    NotificationUnhookProc NotificationUnhook;
};

// Ok and a new token; InvalidParameter for a null token or input, or for a
// suppressed background thread without an output structure;
// UnsupportedGdiplusVersion unless the version is 1.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
// Ends the start-up of a token; unknown tokens (0 among them) are ignored.
void GdiplusShutdown(ULONG_PTR token);

// The number of start-ups not yet shut down in this process.
int GdiplusActiveStartups();

// Fault injection for tests: while set, every GdiplusStartup fails with
// GenericError, as it does on a system without the imaging library.
void GdiplusFailStartupForTesting(bool fail);

}  // namespace Gdiplus
