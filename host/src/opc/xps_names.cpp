#include "opc/xps_names.h"

namespace tav::host::xps {
namespace {

constexpr std::string_view kXpsPhoto = "image/vnd.ms-photo";
constexpr std::string_view kOpenXpsPhoto = "image/vnd.jxr";

std::string ReplacePrefix(std::string_view uri, std::string_view from, std::string_view to)
{
    if (uri.substr(0, from.size()) != from) return std::string(uri);
    std::string_view rest = uri.substr(from.size());
    if (!rest.empty() && rest[0] != '/') return std::string(uri);
    return std::string(to) + std::string(rest);
}

}  // namespace

std::string ToXpsVocabulary(std::string_view uri) { return ReplacePrefix(uri, kOpenXpsNamespace, kXpsNamespace); }

std::string ToFlavourVocabulary(std::string_view uri, Flavour flavour)
{
    if (flavour == Flavour::Xps) return std::string(uri);
    return ReplacePrefix(uri, kXpsNamespace, kOpenXpsNamespace);
}

std::string ToXpsContentType(std::string_view contentType)
{
    return contentType == kOpenXpsPhoto ? std::string(kXpsPhoto) : std::string(contentType);
}

std::string ToFlavourContentType(std::string_view contentType, Flavour flavour)
{
    if (flavour == Flavour::OpenXps && contentType == kXpsPhoto) return std::string(kOpenXpsPhoto);
    return std::string(contentType);
}

bool IsTranslatedMarkup(std::string_view contentType)
{
    return contentType == kPageContentType || contentType == kResourceDictionaryContentType ||
           contentType == kDocumentStructureContentType || contentType == kStoryFragmentsContentType ||
           contentType == kDocumentContentType || contentType == kSequenceContentType;
}

bool IsFontContentType(std::string_view contentType)
{
    return contentType == kFontContentType || contentType == kObfuscatedFontContentType ||
           contentType == "application/x-font-ttf" || contentType == "application/vnd.ms-package.font";
}

}  // namespace tav::host::xps
