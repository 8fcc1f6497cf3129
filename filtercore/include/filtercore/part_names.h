// Names of the parts the filters add to a job, and the creation of a part
// under such a name. A name holds the tick count and a number from the
// module's name sequence ("/PT_FI_<ticks>_<number>.xml",
// "/Pad_page_<ticks>_<number>.xaml"), so that no two names a module makes
// repeat; should a name be taken all the same (another module may draw the
// same numbers), a consumer that knows the job's part names refuses it and
// the next name is tried.
#pragma once

#include <functional>

#include "filtercore/heap_string.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

// The two numbers of a new part name.
struct PartNameNumbers {
    // The system tick count in milliseconds.
    unsigned ticks;
    // The next number of the module's name sequence.
    unsigned number;
};

// Numbers no earlier call in this module returned (before 2^32 calls).
PartNameNumbers NextPartNameNumbers();

// Formats a part name from the numbers. It may raise CXDException.
using PartNameMaker = std::function<HeapWideString(const PartNameNumbers& numbers)>;
// Creates a part under the name it is given.
using NamedPartCreator = std::function<HRESULT(const WCHAR* name)>;

// Calls create with a name from makeName and new numbers, again as long as
// create answers that the name is taken
// (HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)), at most 8 times. Returns the
// last answer, or what makeName raised.
HRESULT CreateUnderNewName(const PartNameMaker& makeName, const NamedPartCreator& create);

// consumer.GetNewEmptyPart under a new name (CreateUnderNewName). On success
// both the part and its write stream are set; E_POINTER, with neither set,
// when the consumer handed out only one of them.
template <class Part>
HRESULT GetNewUniquelyNamedPart(IXpsDocumentConsumer* consumer, const PartNameMaker& makeName, REFIID riid,
                                ComPtr<Part>* part, ComPtr<IPrintWriteStream>* stream)
{
    if (consumer == nullptr || part == nullptr || stream == nullptr) return E_POINTER;
    HRESULT hr = CreateUnderNewName(makeName, [&](const WCHAR* name) {
        return consumer->GetNewEmptyPart(name, riid, part->OutVoid(), stream->Out());
    });
    if (FAILED(hr)) return hr;
    if (*part && *stream) return S_OK;
    part->Reset();
    stream->Reset();
    return E_POINTER;
}
