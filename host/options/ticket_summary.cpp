#include "ticket_summary.h"

#include <memory>

#include "media_table.h"
#include "option_table.h"
#include "platform/print_schema_reader.h"
#include "platform/secure_xml.h"

namespace {

using tav::options::OptionId;
using namespace tav::printticket;

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

std::string Spelling(OptionId id, const std::string& keyword)
{
    for (const tav::options::Alternative& alternative : tav::options::Spec(id).values) {
        if (alternative.form == tav::options::ValueForm::Keyword && !alternative.alias &&
            alternative.keyword == keyword)
            return std::string(alternative.spelling);
    }
    return {};
}

// The setting one top-level Feature of the ticket stands for, or empty.
std::string FeatureSetting(const xmlNode* root, const xmlNode* feature)
{
    std::optional<QualifiedName> name = NameOf(feature);
    const xmlNode* option = OptionOf(feature);
    if (!name || name->ns != kKeywordsNamespace || !option) return {};
    if (name->local == "JobNUpAllDocumentsContiguously") {
        std::optional<int64_t> pages = ScoredPropertyInteger(root, option, Keyword("PagesPerSheet"));
        return pages ? "number-up=" + std::to_string(*pages) : std::string();
    }
    std::optional<QualifiedName> optionName = OptionName(option);
    if (!optionName) return {};
    const std::string& choice = optionName->local;
    if (name->local == "PageMediaSize") {
        if (choice == "CustomMediaSize") return "media=custom";
        std::string_view media = tav::options::MediaNameOfKeyword(choice);
        return media.empty() ? std::string() : "media=" + std::string(media);
    }
    for (const ChoiceFeature& entry : kChoiceFeatures) {
        if (name->local != entry.feature) continue;
        std::string spelling = Spelling(entry.option, choice);
        return spelling.empty() ? std::string() : std::string(tav::options::Spec(entry.option).name) + "=" + spelling;
    }
    return {};
}

}  // namespace

std::string TicketSettingsInOptionNames(std::string_view ticketXml)
{
    std::string reason;
    tav::securexml::DocumentPtr document = tav::securexml::Parse(ticketXml.data(), ticketXml.size(), {}, &reason);
    const xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (!IsSchemaElement(root, "PrintTicket")) return "not a readable ticket";
    std::string text;
    int others = 0;
    for (const xmlNode* child = FirstElement(root); child; child = NextElement(child)) {
        std::string setting = IsSchemaElement(child, "Feature") ? FeatureSetting(root, child) : std::string();
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
