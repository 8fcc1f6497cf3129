// The namespaces of PrintTicket and PrintCapabilities documents that the
// filters read by URI (the private keywords namespace is in
// private_keywords.h).
#pragma once

#include "platform/types.h"

inline constexpr WCHAR kPrintSchemaFrameworkNamespace[] =
    u"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
inline constexpr WCHAR kPrintSchemaKeywordsNamespace[] =
    u"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
inline constexpr WCHAR kSchemaInstanceNamespace[] = u"http://www.w3.org/2001/XMLSchema-instance";
inline constexpr WCHAR kSchemaNamespace[] = u"http://www.w3.org/2001/XMLSchema";
