// What the readers of the Preparation filter's settings share: a setting
// that is not there (as opposed to one that cannot be read), and the row a
// keyword has in its table.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/types.h"

// A read that found no such setting: not found, or S_FALSE for a setting
// without a value.
inline bool SettingAbsent(HRESULT hr) { return hr == HRESULT_FROM_WIN32(ERROR_NOT_FOUND) || hr == S_FALSE; }

// The row whose name equals the text exactly, or -1.
template <size_t N>
INT RowOf(BSTR name, const WCHAR* const (&names)[N])
{
    if (name == nullptr) return -1;
    std::u16string_view text(name, SysStringLen(name));
    for (size_t row = 0; row < N; ++row) {
        if (text == names[row]) return static_cast<INT>(row);
    }
    return -1;
}
