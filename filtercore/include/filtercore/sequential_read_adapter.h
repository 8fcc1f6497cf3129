// SequentialReadAdapter: an ISequentialStream over a part's IPrintReadStream,
// so that the DOM load and the SAX parse can read a part.
#pragma once

#include "filtercore/com_object_base.h"
#include "platform/comobject.h"
#include "platform/pipeline.h"

class SequentialReadAdapter : public ComObjectBase<ISequentialStream> {
public:
    // A new adapter with one reference: E_POINTER for null pointers,
    // E_OUTOFMEMORY.
    static HRESULT Create(IPrintReadStream* stream, ISequentialStream** adapter);

    // ReadBytes; its end-of-file flag is dropped.
    HRESULT Read(void* buffer, ULONG count, ULONG* read) override;
    HRESULT Write(const void* buffer, ULONG count, ULONG* written) override;

private:
    explicit SequentialReadAdapter(IPrintReadStream* stream);

    ComPtr<IPrintReadStream> stream_;
};
