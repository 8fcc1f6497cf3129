#include "parts/part_identity.h"

#include <stdexcept>

#include "opc/part_name.h"
#include "parts/part_data.h"
#include "platform/wformat.h"

namespace tav::host {

std::string PartNameOf(IUnknown* part)
{
    if (std::shared_ptr<PartData> data = HostDataOf(part)) return data->Name();
    BSTR uri = nullptr;
    HRESULT result = E_NOINTERFACE;
    ComPtr<IPartBase> base;
    ComPtr<IFixedDocument> document;
    ComPtr<IFixedDocumentSequence> sequence;
    if (SUCCEEDED(part->QueryInterface(IID_IPartBase, base.OutVoid()))) {
        result = base->GetUri(&uri);
    } else if (SUCCEEDED(part->QueryInterface(IID_IFixedDocument, document.OutVoid()))) {
        result = document->GetUri(&uri);
    } else if (SUCCEEDED(part->QueryInterface(IID_IFixedDocumentSequence, sequence.OutVoid()))) {
        result = sequence->GetUri(&uri);
    }
    if (FAILED(result)) throw std::runtime_error("a part gives no name");
    std::string text = WideToUtf8(uri);
    SysFreeString(uri);
    return ResolvePartReference("/", text);
}

std::string DescribePart(IUnknown* part)
{
    if (part == nullptr) return "";
    ComPtr<IXpsDocument> document;
    if (SUCCEEDED(part->QueryInterface(IID_IXpsDocument, document.OutVoid()))) return "/";
    try {
        return PartNameOf(part);
    } catch (const std::exception&) {
        return "";
    }
}

}  // namespace tav::host
