#include "wrap_page_writer.h"

#include "platform/wformat.h"
#include "sheet_page_writer.h"

WrapPageWriter::WrapPageWriter(IPrintWriteStream* stream, const PlacementTransform& placement)
    : PageWriterBase(stream, {ResourcesElement::Rename}), placement_(placement)
{
}

HRESULT WrapPageWriter::StartFixedPage(std::u16string& markup, ISAXAttributes* attributes)
{
    CopyStartTag(markup, PageElementName(u"FixedPage"), attributes);
    EndStartTag(markup);
    Gdiplus::Matrix matrix;
    placement_.GetMatrix(&matrix);
    OpenStartTag(markup, PageElementName(u"Canvas"));
    AppendAttribute(markup, u"RenderTransform", PlacementMatrixText(matrix));
    AppendAttribute(markup, u"Clip", ClipPathText(Gdiplus::RectF(0, 0, Frame().width, Frame().height)));
    return S_OK;
}

HRESULT WrapPageWriter::EndFixedPage(std::u16string& markup)
{
    CloseElement(markup, PageElementName(u"Canvas"));
    CloseElement(markup, PageElementName(u"FixedPage"));
    return S_OK;
}
