#include "sheet_output.h"

#include <limits>
#include <string>

#include "filtercore/part_names.h"
#include "filtercore/raised_result.h"
#include "platform/units.h"
#include "sheet_markup.h"
#include "sheet_part_names.h"

namespace {

HRESULT WriteText(IPrintWriteStream* stream, std::string_view text)
{
    if (text.size() > std::numeric_limits<ULONG>::max()) return E_INVALIDARG;
    ULONG written = 0;
    HRESULT hr = stream->WriteBytes(text.data(), static_cast<ULONG>(text.size()), &written);
    if (SUCCEEDED(hr) && written != text.size()) hr = STG_E_WRITEFAULT;
    return hr;
}

float WidthOf(const ImageableArea& area) { return MicronsToXpsUnits(area.imageableSizeWidth); }
float HeightOf(const ImageableArea& area) { return MicronsToXpsUnits(area.imageableSizeHeight); }

}  // namespace

HRESULT StartSheet(IXpsDocumentConsumer* consumer, const ImageableArea& area, const Gdiplus::Matrix& sheetMatrix,
                   OpenSheet* sheet)
{
    return CatchRaised([&] {
        OpenSheet made;
        HRESULT hr = GetNewUniquelyNamedPart(consumer, SheetPartName, IID_IFixedPage, &made.page, &made.stream);
        if (FAILED(hr)) return hr;
        std::string header = SheetHeader(WidthOf(area), HeightOf(area));
        if (!sheetMatrix.IsIdentity()) {
            AppendSheetCanvas(header, sheetMatrix, WidthOf(area), HeightOf(area));
            made.outerCanvas = true;
        }
        hr = WriteText(made.stream.Get(), header);
        if (FAILED(hr)) {
            made.stream->Close();
            return hr;
        }
        *sheet = std::move(made);
        return S_OK;
    });
}

HRESULT CloseSheet(OpenSheet& sheet)
{
    if (!sheet.stream) return S_OK;
    HRESULT hr = CatchRaised([&] {
        std::string end;
        AppendBorderPath(end, sheet.borders);
        end += SheetEnd(sheet.outerCanvas);
        return WriteText(sheet.stream.Get(), end);
    });
    sheet.stream->Close();
    sheet.stream.Reset();
    return hr;
}

HRESULT CreateEmptySide(IXpsDocumentConsumer* consumer, const ImageableArea& area, ComPtr<IFixedPage>* side)
{
    return CatchRaised([&] {
        ComPtr<IFixedPage> page;
        ComPtr<IPrintWriteStream> stream;
        HRESULT hr = GetNewUniquelyNamedPart(consumer, EmptySidePartName, IID_IFixedPage, &page, &stream);
        if (FAILED(hr)) return hr;
        std::string markup = SheetHeader(WidthOf(area), HeightOf(area));
        markup += SheetEnd(false);
        hr = WriteText(stream.Get(), markup);
        stream->Close();
        if (FAILED(hr)) return hr;
        *side = std::move(page);
        return S_OK;
    });
}

HRESULT MovePageParts(IFixedPage* page, IFixedPage* sheet)
{
    ComPtr<IXpsPartIterator> parts;
    HRESULT hr = page->GetXpsPartIterator(parts.Out());
    if (FAILED(hr)) return hr;
    if (!parts) return E_POINTER;
    for (parts->Reset(); !parts->IsDone(); parts->Next()) {
        BSTR uri = nullptr;
        ComPtr<IUnknown> part;
        hr = parts->Current(&uri, part.Out());
        SysFreeString(uri);
        if (SUCCEEDED(hr)) hr = sheet->SetPagePart(part.Get());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}
