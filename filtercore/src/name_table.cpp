#include "filtercore/name_table.h"

#include "filtercore/bstr_utils.h"
#include "filtercore/owned_bstr.h"
#include "filtercore/ticket_strings.h"

bool NameEquals(BSTR text, const WCHAR* name, NameComparison comparison)
{
    if (comparison == NameComparison::Exact) return SameText(text, name);
    // The locale comparison works on BSTRs, whose length it reads.
    OwnedBstr other = OwnedBstr::Copy(name);
    return BstrEquals(text, other.Get());
}

INT NameIndex(BSTR text, NameTable names, NameComparison comparison)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (NameEquals(text, names[i], comparison)) return static_cast<INT>(i);
    }
    return -1;
}

const WCHAR* ChoiceName(INT value, NameTable names)
{
    if (value >= 0 && static_cast<size_t>(value) < names.size()) return names[value];
    if (names.size() == 2) return names[0];
    return nullptr;
}
