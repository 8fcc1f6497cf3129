// The private print-schema keywords namespace: the driver's own features,
// options and parameters in PrintTickets live under this URI (spelled by
// the platform, in UTF-16 here).
#pragma once

#include "platform/print_schema.h"
#include "platform/types.h"

inline constexpr tav::printticket::Utf16Uri kPrivateKeywordsUri16{tav::printticket::kPrivateNamespace};
inline constexpr const WCHAR* kPrivateKeywordsNamespace = kPrivateKeywordsUri16.text;
