#include "pad_page_writer.h"

PadPageWriter::PadPageWriter(IPrintWriteStream* stream)
    : PageWriterBase(stream, PageWriterOptions{ResourcesElement::Keep, false})
{
}

HRESULT PadPageWriter::StartFixedPage(std::u16string& markup, ISAXAttributes* attributes)
{
    wroteFixedPage_ = true;
    return PageWriterBase::StartFixedPage(markup, attributes);
}

HRESULT PadPageWriter::endDocument() { return wroteFixedPage_ ? S_OK : E_INVALIDARG; }
