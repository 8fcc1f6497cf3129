// SequentialReadAdapter: an ISequentialStream over a part's IPrintReadStream,
// so that the DOM load and the SAX parse can read a part.
#pragma once

#include "filtercore/com_object_base.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

class SequentialReadAdapter : public ComObjectBase<ISequentialStream> {
public:
    // A new adapter with one reference: E_POINTER for null pointers,
    // E_OUTOFMEMORY. With largestRead other than 0, no read asks the part
    // for more than that many bytes: for a reader that means to stop early
    // and should not have the part inflate much more than it looks at.
    static HRESULT Create(IPrintReadStream* stream, ISequentialStream** adapter, ULONG largestRead = 0);

    // ReadBytes; its end-of-file flag is dropped.
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;

private:
    SequentialReadAdapter(IPrintReadStream* stream, ULONG largestRead);

    ComPtr<IPrintReadStream> stream_;
    const ULONG largestRead_;
};
