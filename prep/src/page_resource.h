// PageResource: a part that a decoration's markup refers to (a font for
// text, an image for a bitmap), written into the job once under its key.
#pragma once

#include "platform/pipeline.h"

class PageResource {
public:
    virtual ~PageResource() = default;
    // Sets the new part's content type and writes the bytes into its
    // stream; the caller closes the stream.
    virtual HRESULT WriteContent(IUnknown* part, IPrintWriteStream* stream) = 0;
    // The key the part is kept under for the job: the font's face name, the
    // image's file name. The caller frees it.
    virtual HRESULT GetKey(BSTR* key) = 0;
    // The name of the part to create. The caller frees it.
    virtual HRESULT GetPartUri(BSTR* uri) = 0;
    // The interface the part is created with (IID_IPartFont, IID_IPartImage).
    virtual REFIID PartInterface() const = 0;
};
