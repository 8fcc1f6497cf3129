// The namespaces of PrintTicket and PrintCapabilities documents that the
// filters read by URI (the private keywords namespace is in
// private_keywords.h), in UTF-16 as the platform spells them.
#pragma once

#include "platform/print_schema.h"
#include "platform/types.h"

inline constexpr tav::printticket::Utf16Uri kFrameworkUri16{tav::printticket::kFrameworkNamespace};
inline constexpr tav::printticket::Utf16Uri kKeywordsUri16{tav::printticket::kKeywordsNamespace};
inline constexpr tav::printticket::Utf16Uri kSchemaInstanceUri16{tav::printticket::kSchemaInstanceNamespace};
inline constexpr tav::printticket::Utf16Uri kSchemaUri16{tav::printticket::kSchemaNamespace};

inline constexpr const WCHAR* kPrintSchemaFrameworkNamespace = kFrameworkUri16.text;
inline constexpr const WCHAR* kPrintSchemaKeywordsNamespace = kKeywordsUri16.text;
inline constexpr const WCHAR* kSchemaInstanceNamespace = kSchemaInstanceUri16.text;
inline constexpr const WCHAR* kSchemaNamespace = kSchemaUri16.text;
