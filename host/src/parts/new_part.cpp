#include "parts/new_part.h"

#include "opc/package_error.h"
#include "opc/part_name.h"
#include "parts/part_objects.h"
#include "parts/part_streams.h"
#include "platform/wformat.h"

namespace tav::host {

HRESULT CreateEmptyPart(const WCHAR* uri, REFIID riid, void** part, IPrintWriteStream** stream,
                        const std::shared_ptr<FailureLog>& log, PartNameRegistry* names)
{
    if (part == nullptr || stream == nullptr) return E_POINTER;
    *part = nullptr;
    *stream = nullptr;
    if (uri == nullptr) return E_POINTER;
    std::optional<PartRole> role = RoleForInterface(riid);
    if (!role) return E_NOINTERFACE;
    std::string name;
    try {
        // Names are relative to the package root.
        name = ResolvePartReference("/", WideToUtf8(uri));
    } catch (const PackageError&) {
        return E_INVALIDARG;
    }
    if (names != nullptr && !names->Claim(name)) return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
    auto data = std::make_shared<PartData>(name, *role, DefaultContentType(*role, name), nullptr, log);
    ComPtr<IUnknown> object = MakePartObject(data);
    HRESULT result = object->QueryInterface(riid, part);
    if (FAILED(result)) return result;
    *stream = MakeWriteStream(data).Detach();
    return S_OK;
}

}  // namespace tav::host
