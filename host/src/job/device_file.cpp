#include "job/device_file.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

namespace tav::host {
namespace {

constexpr size_t kMaxDeviceFileSize = 16u << 20;
constexpr char kDeviceNamespace[] = "http://schemas.tavprint.example/tav/2026/device";

// The first error libxml2 reports: later ones follow from it.
struct FirstError {
    bool seen = false;
    int line = 0;
    std::string message;
};

void KeepFirstError(void* context, xmlErrorPtr error)
{
    auto* first = static_cast<FirstError*>(context);
    if (first->seen || error == nullptr) return;
    first->seen = true;
    first->line = error->line;
    first->message = error->message != nullptr ? error->message : "";
}

std::string Trimmed(const std::string& text)
{
    std::string message = text.empty() ? "malformed XML" : text;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    return message;
}

}  // namespace

std::optional<std::string> DeviceFileFault(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return "cannot read the device description: " + std::string(std::strerror(errno));
    std::string bytes;
    char block[65536];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        bytes.append(block, static_cast<size_t>(file.gcount()));
        if (bytes.size() > kMaxDeviceFileSize) return std::string("not a device description: larger than 16 MiB");
    }
    if (file.bad()) return std::string("cannot read the device description");
    // No network, no DTD loaded, no entities substituted.
    FirstError first;
    xmlSetStructuredErrorFunc(&first, KeepFirstError);
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> document(
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!document) {
        std::string where = first.line > 0 ? "line " + std::to_string(first.line) + ": " : "";
        return "not a device description (not well-formed XML): " + where + Trimmed(first.message);
    }
    if (document->intSubset != nullptr) return std::string("not a device description: it has a DOCTYPE");
    const xmlNode* root = xmlDocGetRootElement(document.get());
    bool isDevice = root != nullptr && root->ns != nullptr &&
                    std::strcmp(reinterpret_cast<const char*>(root->name), "Device") == 0 &&
                    std::strcmp(reinterpret_cast<const char*>(root->ns->href), kDeviceNamespace) == 0;
    if (!isDevice) {
        return "not a device description: line " + std::to_string(root != nullptr ? xmlGetLineNo(root) : 1) +
               ": the root element is not a Device in " + kDeviceNamespace +
               " (devices/README.md describes the format)";
    }
    return std::nullopt;
}

}  // namespace tav::host
