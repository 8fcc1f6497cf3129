// The private print-schema keywords namespace: the driver's own features,
// options and parameters in PrintTickets live under this URI.
#pragma once

#include "platform/types.h"

inline constexpr WCHAR kPrivateKeywordsNamespace[] =
    u"http://schemas.tavprint.example/quix/printing/2006/11/printschemakeywords";
