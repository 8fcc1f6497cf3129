#include "ticket_summary.h"

#include <libxml/parser.h>

#include <cstring>
#include <memory>

#include "media_table.h"
#include "option_table.h"

namespace {

using tav::options::OptionId;

// The features whose option name is one of an option's keywords.
struct ChoiceFeature {
    const char* feature;
    OptionId option;
};
constexpr ChoiceFeature kChoiceFeatures[] = {
    {"PageOrientation", OptionId::OrientationRequested},
    {"JobDuplexAllDocumentsContiguously", OptionId::Sides},
    {"PageMirrorImage", OptionId::Mirror},
    {"PageInputBin", OptionId::InputSlot},
    {"PageScaling", OptionId::PrintScaling},
};

bool Named(const xmlNode* node, const char* localName)
{
    return node->type == XML_ELEMENT_NODE && std::strcmp(reinterpret_cast<const char*>(node->name), localName) == 0;
}

// The local part of a qualified name attribute ("psk:ISOA4": "ISOA4").
std::string LocalNameOf(const xmlNode* node)
{
    std::unique_ptr<xmlChar, void (*)(void*)> name(xmlGetProp(node, BAD_CAST "name"), xmlFree);
    if (!name) return {};
    std::string text(reinterpret_cast<const char*>(name.get()));
    size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

const xmlNode* FirstChild(const xmlNode* node, const char* localName)
{
    for (const xmlNode* child = node->children; child; child = child->next) {
        if (Named(child, localName)) return child;
    }
    return nullptr;
}

std::string Spelling(OptionId id, const std::string& keyword)
{
    for (const tav::options::Alternative& alternative : tav::options::Spec(id).values) {
        if (alternative.form == tav::options::ValueForm::Keyword && !alternative.alias &&
            alternative.keyword == keyword)
            return std::string(alternative.spelling);
    }
    return {};
}

// The setting one top-level Feature stands for, or empty.
std::string FeatureSetting(const xmlNode* feature)
{
    std::string name = LocalNameOf(feature);
    const xmlNode* option = FirstChild(feature, "Option");
    if (!option) return {};
    std::string choice = LocalNameOf(option);
    if (name == "PageMediaSize") {
        if (choice == "CustomMediaSize") return "media=custom";
        std::string_view media = tav::options::MediaNameOfKeyword(choice);
        return media.empty() ? std::string() : "media=" + std::string(media);
    }
    if (name == "JobNUpAllDocumentsContiguously") {
        for (const xmlNode* child = option->children; child; child = child->next) {
            if (!Named(child, "ScoredProperty") || LocalNameOf(child) != "PagesPerSheet") continue;
            if (const xmlNode* value = FirstChild(child, "Value")) {
                std::unique_ptr<xmlChar, void (*)(void*)> text(xmlNodeGetContent(value), xmlFree);
                if (text) return "number-up=" + std::string(reinterpret_cast<const char*>(text.get()));
            }
        }
        return {};
    }
    for (const ChoiceFeature& entry : kChoiceFeatures) {
        if (name != entry.feature) continue;
        std::string spelling = Spelling(entry.option, choice);
        return spelling.empty() ? std::string() : std::string(tav::options::Spec(entry.option).name) + "=" + spelling;
    }
    return {};
}

}  // namespace

std::string TicketSettingsInOptionNames(std::string_view ticketXml)
{
    std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> document(
        xmlReadMemory(ticketXml.data(), static_cast<int>(ticketXml.size()), nullptr, nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        xmlFreeDoc);
    const xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (!root || document->intSubset != nullptr || !Named(root, "PrintTicket")) return "not a readable ticket";
    std::string text;
    int others = 0;
    for (const xmlNode* child = root->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        std::string setting = Named(child, "Feature") ? FeatureSetting(child) : std::string();
        if (setting.empty()) {
            ++others;
            continue;
        }
        text += (text.empty() ? "" : " ") + setting;
    }
    if (others > 0)
        text += (text.empty() ? "" : ", ") + std::string("+") + std::to_string(others) +
                (others == 1 ? " other setting" : " other settings");
    return text.empty() ? "no settings" : text;
}
