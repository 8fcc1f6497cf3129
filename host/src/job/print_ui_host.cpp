#include "job/print_ui_host.h"

#include <libxml/tree.h>

#include <cctype>
#include <cstring>

#include "platform/async_notify.h"
#include "platform/bstr.h"
#include "platform/library.h"
#include "platform/secure_xml.h"
#include "platform/wformat.h"

namespace tav::host {
namespace {

// The most a request's data may hold: a request document is at most 1024
// characters.
constexpr ULONG kMaxRequestBytes = 64 * 1024;

const std::string kRequestNamespace = WideToUtf8(kAsyncPrintUIRequestNamespace);

bool IsRequestElement(const xmlNode* node, const char* name)
{
    return node != nullptr && node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0 && node->ns != nullptr &&
           reinterpret_cast<const char*>(node->ns->href) == kRequestNamespace;
}

const xmlNode* OnlyChild(const xmlNode* parent, const char* name)
{
    const xmlNode* found = nullptr;
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (found != nullptr || !IsRequestElement(child, name)) return nullptr;
        found = child;
    }
    return found;
}

std::optional<std::string> Attribute(const xmlNode* node, const char* name)
{
    xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

class RequestChannel : public ComObject<IPrintAsyncNotifyChannel> {
public:
    explicit RequestChannel(std::shared_ptr<PrintUIHost> host) : host_(std::move(host)) {}

    HRESULT SendNotification(IPrintAsyncNotifyDataObject* data) override
    {
        if (data == nullptr) return E_POINTER;
        BYTE* bytes = nullptr;
        ULONG size = 0;
        GUID* type = nullptr;
        HRESULT hr = data->AcquireData(&bytes, &size, &type);
        if (FAILED(hr)) return hr;
        std::u16string document;
        if (bytes != nullptr && type != nullptr && *type == kAsyncPrintUIRequestType && size <= kMaxRequestBytes) {
            // UTF-16 up to its terminator, within the size given.
            for (ULONG at = 0; at + 1 < size; at += 2) {
                char16_t unit = 0;
                std::memcpy(&unit, bytes + at, sizeof unit);
                if (unit == 0) break;
                document.push_back(unit);
            }
        } else {
            hr = E_INVALIDARG;
        }
        data->ReleaseData();
        if (FAILED(hr)) return hr;
        std::string failure;
        std::optional<PrintUIRequest> request = ReadPrintUIRequest(document, &failure);
        if (!request) return E_INVALIDARG;
        host_->Queue(std::move(*request));
        return S_OK;
    }
    HRESULT CloseChannel(IPrintAsyncNotifyDataObject*) override { return S_OK; }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintAsyncNotifyChannel ? static_cast<IPrintAsyncNotifyChannel*>(this) : nullptr;
    }

private:
    std::shared_ptr<PrintUIHost> host_;
};

class AsyncNotify : public ComObject<IPrintAsyncNotify> {
public:
    explicit AsyncNotify(std::shared_ptr<PrintUIHost> host) : host_(std::move(host)) {}

    HRESULT CreatePrintAsyncNotifyChannel(ULONG, GUID* type, PrintAsyncNotifyUserFilter,
                                          PrintAsyncNotifyConversationStyle, IPrintAsyncNotifyCallback*,
                                          IPrintAsyncNotifyChannel** channel) override
    {
        if (type == nullptr || channel == nullptr) return E_POINTER;
        *channel = nullptr;
        // Print UI requests are the only notifications the host serves.
        if (*type != kAsyncPrintUIRequestType) return E_INVALIDARG;
        *channel = new RequestChannel(host_);
        return S_OK;
    }
    HRESULT CreatePrintAsyncNotifyRegistration(GUID*, PrintAsyncNotifyUserFilter, PrintAsyncNotifyConversationStyle,
                                               IPrintAsyncNotifyCallback*, void** registration) override
    {
        if (registration != nullptr) *registration = nullptr;
        return E_NOTIMPL;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintAsyncNotify ? static_cast<IPrintAsyncNotify*>(this) : nullptr;
    }

private:
    std::shared_ptr<PrintUIHost> host_;
};

class PrintClassFactory : public ComObject<IPrintClassObjectFactory> {
public:
    explicit PrintClassFactory(std::shared_ptr<PrintUIHost> host) : host_(std::move(host)) {}

    HRESULT GetPrintClassObject(const WCHAR*, REFIID riid, void** object) override
    {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (riid != IID_IPrintAsyncNotify) return E_NOINTERFACE;
        *object = static_cast<IPrintAsyncNotify*>(new AsyncNotify(host_));
        return S_OK;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintClassObjectFactory ? static_cast<IPrintClassObjectFactory*>(this) : nullptr;
    }

private:
    std::shared_ptr<PrintUIHost> host_;
};

// Loads the module, calls the entry point and frees both; the reason when
// it cannot.
std::optional<std::string> Call(const PrintUIRequest& request)
{
    std::optional<std::string> file = ModuleFileOf(request.module);
    if (!file) return "the module " + request.module + " is not one of the driver's";
    std::string path = ResolveModulePath(*file);
    HMODULE module = LoadLibraryW(Utf8ToWide(path).c_str());
    if (module == nullptr) return "the module " + path + " cannot be loaded";
    auto entry = reinterpret_cast<AsyncUIEntryPoint>(GetProcAddress(module, request.entryPoint.c_str()));
    std::optional<std::string> failure;
    if (entry == nullptr) {
        failure = "the module " + path + " lacks the entry point " + request.entryPoint;
    } else {
        SysFreeString(entry(request.arguments.c_str()));
    }
    FreeLibrary(module);
    return failure;
}

}  // namespace

std::optional<PrintUIRequest> ReadPrintUIRequest(std::u16string_view document, std::string* failure)
{
    std::string text = WideToUtf8(document.data(), document.size());
    securexml::DocumentPtr parsed = securexml::Parse(text.data(), text.size(), {}, failure);
    if (!parsed) return std::nullopt;
    const xmlNode* root = xmlDocGetRootElement(parsed.get());
    const xmlNode* custom = nullptr;
    if (IsRequestElement(root, "asyncPrintUIRequest"))
        if (const xmlNode* v1 = OnlyChild(root, "v1"))
            if (const xmlNode* open = OnlyChild(v1, "requestOpen")) custom = OnlyChild(open, "customUI");
    std::optional<std::string> module = custom ? Attribute(custom, "dll") : std::nullopt;
    std::optional<std::string> entryPoint = custom ? Attribute(custom, "entrypoint") : std::nullopt;
    if (!module || !entryPoint) {
        *failure = "the request asks for no custom user interface with a module and an entry point";
        return std::nullopt;
    }
    xmlChar* content = xmlNodeGetContent(custom);
    std::string arguments = content != nullptr ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return PrintUIRequest{*module, *entryPoint, Utf8ToWide(arguments)};
}

std::optional<std::string> ModuleFileOf(std::string_view module)
{
    constexpr std::string_view kEnding = ".dll";
    if (module.size() <= kEnding.size() || module.find_first_of("/\\:") != std::string_view::npos) return std::nullopt;
    std::string stem;
    for (char c : module) stem.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    if (!stem.ends_with(kEnding)) return std::nullopt;
    stem.resize(stem.size() - kEnding.size());
    return "lib" + stem + ".so";
}

void PrintUIHost::Queue(PrintUIRequest request)
{
    std::lock_guard<std::mutex> hold(lock_);
    requests_.push_back(std::move(request));
}

std::vector<std::string> PrintUIHost::Serve()
{
    std::vector<PrintUIRequest> requests;
    {
        std::lock_guard<std::mutex> hold(lock_);
        requests.swap(requests_);
    }
    std::vector<std::string> warnings;
    for (const PrintUIRequest& request : requests) {
        if (std::optional<std::string> failure = Call(request))
            warnings.push_back("the print UI request for " + request.entryPoint + " is not served: " + *failure);
    }
    return warnings;
}

ComPtr<IPrintClassObjectFactory> MakePrintClassFactory(std::shared_ptr<PrintUIHost> host)
{
    return ComPtr<IPrintClassObjectFactory>::Adopt(new PrintClassFactory(std::move(host)));
}

}  // namespace tav::host
