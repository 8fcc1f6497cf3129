// The converter's requests for a page's fonts and colour profiles
// (GetXPSFontData, GetXPSICCData): the bytes of the part the page names,
// in a block from the converter's own allocator. The page object is the
// IFixedPage registered with XpsSetConvResAPI; the URI is in the process's
// multibyte code and is resolved against the page.
#pragma once

#include "converter/converter_interface.h"

// 1 with *block (of *size bytes, from allocate) on success; 0 with *block
// null and *size 0 when the page has no such part, the part is empty, larger
// than 4 GiB or cannot be read, or allocate gives nothing.
BOOL FetchFontData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
                   uintptr_t ignored1, uintptr_t ignored2, void** block, uint32_t* size);
BOOL FetchColourProfileData(ConverterAllocate allocate, ConverterFree release, void* pageObject, const char* uri,
                            uintptr_t ignored1, uintptr_t ignored2, void** block, uint32_t* size);
