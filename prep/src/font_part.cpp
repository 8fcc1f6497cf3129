#include "font_part.h"

#include <algorithm>

#include "platform/bstr.h"
#include "platform/comobject.h"
#include "platform/wformat.h"

namespace {

constexpr size_t kWriteBlock = 65536;

}  // namespace

std::u16string FontPartUri(const GUID& guid)
{
    return FormatWideString(u"/%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X.odttf", guid.Data1, guid.Data2,
                            guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                            guid.Data4[5], guid.Data4[6], guid.Data4[7]);
}

HRESULT WriteFontPart(IUnknown* part, IPrintWriteStream* stream, FontBytesView bytes)
{
    if (bytes.empty()) return E_POINTER;
    if (part == nullptr || stream == nullptr) return E_POINTER;
    ComPtr<IPartFont> font;
    if (FAILED(part->QueryInterface(IID_IPartFont, font.OutVoid()))) return E_NOINTERFACE;
    BSTR contentType = SysAllocString(u"application/vnd.ms-package.obfuscated-opentype");
    if (contentType == nullptr) return E_OUTOFMEMORY;
    HRESULT result = font->SetFontContent(contentType);
    SysFreeString(contentType);
    if (SUCCEEDED(result)) result = font->SetFontOptions(Font_Obfusticate);
    for (size_t done = 0; SUCCEEDED(result) && done < bytes.size();) {
        ULONG block = static_cast<ULONG>(std::min(kWriteBlock, bytes.size() - done));
        ULONG written = 0;
        result = stream->WriteBytes(bytes.data() + done, block, &written);
        if (SUCCEEDED(result) && written != block) result = STG_E_WRITEFAULT;
        done += block;
    }
    return result;
}
