// PadPageWriter: writes a blank page of another page's size, the padding
// page of a booklet. Of the page it reads it writes the XML declaration and
// the FixedPage start tag with all its attributes (Width, Height, the boxes,
// xml:lang and the namespace declarations, which the reader reports as
// attributes), closed as an empty element; everything inside is left out.
#pragma once

#include "filtercore/page_writer_base.h"

class PadPageWriter final : public PageWriterBase {
public:
    // Raises CXDException(E_POINTER) for a null stream.
    explicit PadPageWriter(IPrintWriteStream* stream);

    // E_INVALIDARG when the markup read had no FixedPage root: the result
    // would hold no page at all.
    HRESULT endDocument() override;

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override;

private:
    bool wroteFixedPage_ = false;
};
