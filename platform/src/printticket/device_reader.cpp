#include "device_reader.h"

#include <algorithm>
#include <functional>
#include <initializer_list>

#include "platform/print_schema_reader.h"
#include "platform/printticket.h"
#include "platform/secure_xml.h"
#include "ticket_document.h"

namespace tav::printticket {
namespace {

constexpr int64_t kMaximumLength = 10'000'000;  // microns: 10 m
constexpr int64_t kMaximumDpi = 32767;          // the DEVMODE keeps resolutions in 16 bits
constexpr int64_t kMaximumCopies = 32767;
constexpr int64_t kDefaultMaximumCopies = 999;
constexpr size_t kMaximumMedia = 256;
constexpr size_t kMaximumResolutions = 64;
constexpr int64_t kMaximumBitsPerPixel = 64;
constexpr int64_t kMaximumPlanes = 16;
constexpr size_t kMaximumFileName = 259;

std::string_view View(const xmlChar* text)
{
    return text == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(text));
}

class DeviceReader {
public:
    explicit DeviceReader(const std::string& origin) : origin_(origin) {}

    Status Read(const std::string& bytes, DeviceDescription* device)
    {
        std::string reason;
        securexml::DocumentPtr document =
            securexml::Parse(bytes.data(), bytes.size(), {.dropBlankText = true}, &reason);
        if (document == nullptr) return Failure(origin_ + ": " + reason);
        xmlNode* root = xmlDocGetRootElement(document.get());
        if (!IsDeviceElement(root, "Device")) return Failure(origin_ + ": the root element is not a Device");
        if (ReadDevice(root, device)) return Status::Ok();
        return status_;
    }

private:
    static Status Failure(std::string message)
    {
        return Status::Failure(E_PRINTDEVICECAPABILITIES_FORMAT, "Invalid device description " + message + ".");
    }

    bool Fail(const xmlNode* node, const std::string& reason)
    {
        status_ = Failure(origin_ + ": line " + std::to_string(xmlGetLineNo(node)) + ": " + reason);
        return false;
    }

    static bool IsDeviceElement(const xmlNode* node, std::string_view name)
    {
        return node != nullptr && node->type == XML_ELEMENT_NODE && node->ns != nullptr &&
               View(node->ns->href) == kDeviceNamespace && View(node->name) == name;
    }

    static std::string Tag(const xmlNode* node) { return "<" + std::string(View(node->name)) + ">"; }

    bool CheckAttributes(const xmlNode* node, std::initializer_list<std::string_view> allowed)
    {
        for (const xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
            std::string_view name = View(attribute->name);
            if (attribute->ns != nullptr || std::find(allowed.begin(), allowed.end(), name) == allowed.end())
                return Fail(node, Tag(node) + " has an unknown attribute \"" + std::string(name) + "\"");
        }
        return true;
    }

    // Calls read for every child element; anything else but comments fails.
    bool ForEachChild(const xmlNode* node, const std::function<bool(const xmlNode*)>& read)
    {
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (child->type == XML_COMMENT_NODE) continue;
            if (child->type == XML_TEXT_NODE && Trim(View(child->content)).empty()) continue;
            if (child->type != XML_ELEMENT_NODE || child->ns == nullptr || View(child->ns->href) != kDeviceNamespace)
                return Fail(child, Tag(node) + " holds unexpected content");
            if (!read(child)) return false;
        }
        return true;
    }

    bool RequireText(const xmlNode* node, const char* attribute, std::string* value)
    {
        std::optional<std::string> text = AttributeText(node, attribute);
        if (!text) return Fail(node, Tag(node) + " has no " + attribute);
        *value = *text;
        return true;
    }

    bool ReadNumber(const xmlNode* node, const char* attribute, int64_t minimum, int64_t maximum, int64_t* value)
    {
        std::string text;
        if (!RequireText(node, attribute, &text)) return false;
        std::optional<int64_t> number = ParseInteger(text);
        if (!number || *number < minimum || *number > maximum)
            return Fail(node, Tag(node) + " " + attribute + " \"" + text + "\" is not a whole number from " +
                                  std::to_string(minimum) + " to " + std::to_string(maximum));
        *value = *number;
        return true;
    }

    bool ReadYesNo(const xmlNode* node, const char* attribute, bool* value)
    {
        std::string text;
        if (!RequireText(node, attribute, &text)) return false;
        if (text != "yes" && text != "no") return Fail(node, Tag(node) + " " + attribute + " must be yes or no");
        *value = text == "yes";
        return true;
    }

    bool ReadLength(const xmlNode* node, const char* attribute, int64_t minimum, int64_t* value)
    {
        return ReadNumber(node, attribute, minimum, kMaximumLength, value);
    }

    bool ReadMargins(const xmlNode* node, Margins* margins)
    {
        return CheckAttributes(node, {"left", "top", "right", "bottom"}) &&
               ReadLength(node, "left", 0, &margins->left) && ReadLength(node, "top", 0, &margins->top) &&
               ReadLength(node, "right", 0, &margins->right) && ReadLength(node, "bottom", 0, &margins->bottom);
    }

    bool CheckMarginsFit(const xmlNode* node, const Margins& margins, int64_t width, int64_t height)
    {
        if (margins.left + margins.right >= width || margins.top + margins.bottom >= height)
            return Fail(node, "the margins leave nothing printable on " + Tag(node));
        return true;
    }

    bool ReadMedium(const xmlNode* node, DeviceDescription* device)
    {
        DeviceMedium medium;
        medium.margins = device->defaultMargins;
        if (!CheckAttributes(node, {"name", "private", "width", "height"}) ||
            !RequireText(node, "name", &medium.name) || !ReadLength(node, "width", 1, &medium.width) ||
            !ReadLength(node, "height", 1, &medium.height))
            return false;
        if (AttributeText(node, "private") && !ReadYesNo(node, "private", &medium.isPrivate)) return false;
        std::string copy = medium.name;
        if (xmlValidateNCName(reinterpret_cast<const xmlChar*>(copy.c_str()), 0) != 0 ||
            (!medium.isPrivate && medium.name == "CustomMediaSize"))
            return Fail(node, "\"" + medium.name + "\" cannot name a medium");
        if (device->FindMedium(medium.Name()) != nullptr)
            return Fail(node, "the medium " + medium.name + " is listed twice");
        if (device->media.size() == kMaximumMedia) return Fail(node, "too many media");
        bool marginsSeen = false;
        bool read = ForEachChild(node, [&](const xmlNode* child) {
            if (!IsDeviceElement(child, "Margins") || marginsSeen) return Fail(child, "unexpected " + Tag(child));
            marginsSeen = true;
            return ReadMargins(child, &medium.margins);
        });
        if (!read || !CheckMarginsFit(node, medium.margins, medium.width, medium.height)) return false;
        device->media.push_back(std::move(medium));
        return true;
    }

    bool ReadCustomSize(const xmlNode* node, DeviceDescription* device)
    {
        if (device->customMedia) return Fail(node, "custom sizes are described twice");
        CustomMediaLimits limits;
        if (!CheckAttributes(node, {"minWidth", "maxWidth", "minHeight", "maxHeight"}) ||
            !ReadLength(node, "minWidth", 1, &limits.minWidth) ||
            !ReadLength(node, "maxWidth", limits.minWidth, &limits.maxWidth) ||
            !ReadLength(node, "minHeight", 1, &limits.minHeight) ||
            !ReadLength(node, "maxHeight", limits.minHeight, &limits.maxHeight) ||
            !CheckMarginsFit(node, device->defaultMargins, limits.minWidth, limits.minHeight))
            return false;
        device->customMedia = limits;
        return true;
    }

    bool ReadMedia(const xmlNode* node, DeviceDescription* device)
    {
        bool read = CheckAttributes(node, {}) && ForEachChild(node, [&](const xmlNode* child) {
                        if (IsDeviceElement(child, "Medium")) return ReadMedium(child, device);
                        if (IsDeviceElement(child, "CustomSize")) return ReadCustomSize(child, device);
                        return Fail(child, "unexpected " + Tag(child) + " in <Media>");
                    });
        if (read && device->media.empty()) return Fail(node, "<Media> lists no medium");
        return read;
    }

    bool ReadOrientations(const xmlNode* node, DeviceDescription* device)
    {
        bool read = CheckAttributes(node, {}) && ForEachChild(node, [&](const xmlNode* child) {
                        std::string name;
                        if (!IsDeviceElement(child, "Orientation")) return Fail(child, "unexpected " + Tag(child));
                        if (!CheckAttributes(child, {"name"}) || !RequireText(child, "name", &name)) return false;
                        std::optional<Orientation> orientation = OrientationFromKeyword(name);
                        if (!orientation) return Fail(child, "\"" + name + "\" is no PageOrientation option");
                        if (device->HasOrientation(*orientation))
                            return Fail(child, "the orientation " + name + " is listed twice");
                        device->orientations.push_back(*orientation);
                        return true;
                    });
        if (read && device->orientations.empty()) return Fail(node, "<Orientations> lists no orientation");
        return read;
    }

    bool ReadResolutions(const xmlNode* node, DeviceDescription* device)
    {
        bool read = CheckAttributes(node, {}) && ForEachChild(node, [&](const xmlNode* child) {
                        int64_t dpi = 0;
                        if (!IsDeviceElement(child, "Resolution")) return Fail(child, "unexpected " + Tag(child));
                        if (!CheckAttributes(child, {"dpi"}) || !ReadNumber(child, "dpi", 1, kMaximumDpi, &dpi))
                            return false;
                        if (device->HasResolution(dpi))
                            return Fail(child, "the resolution " + std::to_string(dpi) + " is listed twice");
                        if (device->resolutions.size() == kMaximumResolutions)
                            return Fail(child, "too many resolutions");
                        device->resolutions.push_back(dpi);
                        return true;
                    });
        if (read && device->resolutions.empty()) return Fail(node, "<Resolutions> lists no resolution");
        return read;
    }

    bool ReadInputBins(const xmlNode* node, DeviceDescription* device)
    {
        bool read = CheckAttributes(node, {}) && ForEachChild(node, [&](const xmlNode* child) {
                        std::string name;
                        if (!IsDeviceElement(child, "InputBin")) return Fail(child, "unexpected " + Tag(child));
                        if (!CheckAttributes(child, {"name"}) || !RequireText(child, "name", &name)) return false;
                        const std::vector<InputBin>& table = InputBinTable();
                        auto row = std::find_if(table.begin(), table.end(),
                                                [&](const InputBin& bin) { return name == bin.name; });
                        if (row == table.end()) return Fail(child, "\"" + name + "\" is no input bin of the bin table");
                        if (device->HasInputBin(row->Name()))
                            return Fail(child, "the input bin " + name + " is listed twice");
                        device->inputBins.push_back(*row);
                        return true;
                    });
        if (read && device->inputBins.empty()) return Fail(node, "<InputBins> lists no input bin");
        return read;
    }

    // The PrintTicket element as a document of its own, with the namespace
    // declarations in scope at it, so that prefixes in its names still
    // resolve.
    bool ReadDefaultTicket(const xmlNode* node, DeviceDescription* device)
    {
        const xmlNode* ticket = nullptr;
        bool read = CheckAttributes(node, {}) && [&] {
            for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
                if (child->type == XML_COMMENT_NODE) continue;
                if (child->type == XML_TEXT_NODE && Trim(View(child->content)).empty()) continue;
                if (child->type != XML_ELEMENT_NODE || ticket != nullptr)
                    return Fail(node, "<DefaultTicket> must hold one PrintTicket and nothing else");
                ticket = child;
            }
            return ticket != nullptr || Fail(node, "<DefaultTicket> holds no PrintTicket");
        }();
        if (!read) return false;
        securexml::DocumentPtr document(securexml::Check(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"))));
        xmlNode* copy = securexml::Check(xmlDocCopyNode(const_cast<xmlNode*>(ticket), document.get(), 1));
        xmlDocSetRootElement(document.get(), copy);
        if (xmlNs** inScope = xmlGetNsList(ticket->doc, ticket)) {
            for (xmlNs** ns = inScope; *ns != nullptr; ++ns)
                if ((*ns)->prefix != nullptr && xmlSearchNs(document.get(), copy, (*ns)->prefix) == nullptr)
                    xmlNewNs(copy, (*ns)->href, (*ns)->prefix);
            xmlFree(inScope);
        }
        xmlReconciliateNs(document.get(), copy);
        device->defaultTicket = securexml::Serialize(document.get());
        securexml::DocumentPtr parsed;
        Status status = ParseTicket(device->defaultTicket, kTicketRole, &parsed);
        if (!status.Succeeded()) return Fail(ticket, "the default ticket: " + status.message);
        return true;
    }

    bool ReadRotation(const xmlNode* node, const char* attribute, std::optional<int64_t>* rotation)
    {
        if (!AttributeText(node, attribute)) return true;
        int64_t degrees = 0;
        if (!ReadNumber(node, attribute, 0, 270, &degrees)) return false;
        if (degrees % 90 != 0) return Fail(node, Tag(node) + " " + attribute + " must be 0, 90, 180 or 270");
        *rotation = degrees;
        return true;
    }

    bool ReadOptionalNumber(const xmlNode* node, const char* attribute, int64_t maximum, std::optional<int64_t>* value)
    {
        if (!AttributeText(node, attribute)) return true;
        int64_t number = 0;
        if (!ReadNumber(node, attribute, 1, maximum, &number)) return false;
        *value = number;
        return true;
    }

    // The optional last section: what the rip filter is told of the
    // device's output.
    bool ReadOutput(const xmlNode* node, DeviceDescription* device)
    {
        DeviceOutput& output = device->output;
        if (!CheckAttributes(node, {"bitsPerPixel", "planes", "portraitRotation", "landscapeRotation", "encoder",
                                    "manualDuplexProgram"}) ||
            !ReadOptionalNumber(node, "bitsPerPixel", kMaximumBitsPerPixel, &output.bitsPerPixel) ||
            !ReadOptionalNumber(node, "planes", kMaximumPlanes, &output.planes) ||
            !ReadRotation(node, "portraitRotation", &output.portraitRotation) ||
            !ReadRotation(node, "landscapeRotation", &output.landscapeRotation))
            return false;
        if (std::optional<std::string> encoder = AttributeText(node, "encoder")) {
            // The rip filter finds the encoder beside its own module.
            if (encoder->empty() || encoder->size() > kMaximumFileName || encoder->find('/') != std::string::npos)
                return Fail(node, Tag(node) + " encoder must be a file name without a folder");
            output.encoder = *encoder;
        }
        if (std::optional<std::string> program = AttributeText(node, "manualDuplexProgram")) {
            // The rip filter starts it from beside its own module.
            if (program->empty() || program->size() > kMaximumFileName || program->find('/') != std::string::npos)
                return Fail(node, Tag(node) + " manualDuplexProgram must be a file name without a folder");
            output.manualDuplexProgram = *program;
        }
        return ForEachChild(node, [&](const xmlNode* child) { return Fail(child, "unexpected " + Tag(child)); });
    }

    bool ReadDevice(const xmlNode* root, DeviceDescription* device)
    {
        int64_t version = 0;
        if (!CheckAttributes(root, {"version", "name", "color", "duplex", "maxCopies"}) ||
            !ReadNumber(root, "version", 1, 1, &version) || !RequireText(root, "name", &device->name) ||
            !ReadYesNo(root, "color", &device->color) || !ReadYesNo(root, "duplex", &device->duplex))
            return false;
        device->maxCopies = kDefaultMaximumCopies;
        if (AttributeText(root, "maxCopies") && !ReadNumber(root, "maxCopies", 1, kMaximumCopies, &device->maxCopies))
            return false;

        // The sections in their fixed order; the margins come first so that
        // media can inherit them.
        const std::vector<std::pair<const char*, std::function<bool(const xmlNode*)>>> sections = {
            {"Margins", [&](const xmlNode* n) { return ReadMargins(n, &device->defaultMargins); }},
            {"Media", [&](const xmlNode* n) { return ReadMedia(n, device); }},
            {"Orientations", [&](const xmlNode* n) { return ReadOrientations(n, device); }},
            {"Resolutions", [&](const xmlNode* n) { return ReadResolutions(n, device); }},
            {"InputBins", [&](const xmlNode* n) { return ReadInputBins(n, device); }},
            {"DefaultTicket", [&](const xmlNode* n) { return ReadDefaultTicket(n, device); }},
        };
        size_t next = 0;
        bool outputSeen = false;
        bool read = ForEachChild(root, [&](const xmlNode* child) {
            if (next == sections.size() && !outputSeen && IsDeviceElement(child, "Output")) {
                outputSeen = true;
                return ReadOutput(child, device);
            }
            if (next == sections.size())
                return Fail(child,
                            "unexpected " + Tag(child) + " after <" + (outputSeen ? "Output" : "DefaultTicket") + ">");
            if (!IsDeviceElement(child, sections[next].first))
                return Fail(child, "found " + Tag(child) + " where <" + sections[next].first + "> belongs");
            return sections[next++].second(child);
        });
        if (!read) return false;
        if (next < sections.size()) return Fail(root, std::string("the device has no <") + sections[next].first + ">");
        return true;
    }

    const std::string& origin_;
    Status status_;
};

}  // namespace

Status ReadDeviceDescription(const std::string& bytes, const std::string& origin, DeviceDescription* device)
{
    *device = DeviceDescription();
    return DeviceReader(origin).Read(bytes, device);
}

}  // namespace tav::printticket
