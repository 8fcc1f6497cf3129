// Option and value names of the settings tables: finding a ticket's text in a
// table, and the name a record's value stands for when it is written back.
#pragma once

#include <span>

#include "platform/bstr.h"

// Names and values in tickets compare with the locale comparison, except
// where a setting asks for an exact, character-by-character comparison.
enum class NameComparison { Exact, Locale };

using NameTable = std::span<const WCHAR* const>;

// The values of the driver's two-state settings, "Off" 0 and "On" 1.
inline constexpr const WCHAR* kOffOnNames[] = {u"Off", u"On"};

// The index of the first name in the table equal to text, or -1. Raises
// CXDException(E_OUTOFMEMORY) when a locale comparison cannot allocate.
INT NameIndex(BSTR text, NameTable names, NameComparison comparison);

// True when the texts are equal under the comparison (raises as NameIndex).
bool NameEquals(BSTR text, const WCHAR* name, NameComparison comparison);

// The name for a record's value: names[value] inside the table. A two-name
// table is an off/on pair, in which every value but 1 stands for the first
// name. Null for a value outside a longer table.
const WCHAR* ChoiceName(INT value, NameTable names);
