// The XPS and OPC vocabulary the host reads and writes: namespaces,
// relationship types and content types, in the 2005/06 XPS spelling the
// filters read, and their OpenXPS counterparts.
#pragma once

#include <string>
#include <string_view>

namespace tav::host::xps {

// Markup namespaces.
constexpr std::string_view kXpsNamespace = "http://schemas.microsoft.com/xps/2005/06";
constexpr std::string_view kOpenXpsNamespace = "http://schemas.openxps.org/oxps/v1.0";
constexpr std::string_view kContentTypesNamespace = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr std::string_view kRelationshipsNamespace = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kResourceKeyNamespace = "http://schemas.microsoft.com/xps/2005/06/resourcedictionary-key";
constexpr std::string_view kCompatibilityNamespace = "http://schemas.openxmlformats.org/markup-compatibility/2006";
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// Relationship types (2005/06 spelling; OpenXPS ones are translated on reading).
constexpr std::string_view kFixedRepresentation = "http://schemas.microsoft.com/xps/2005/06/fixedrepresentation";
constexpr std::string_view kPrintTicketRelationship = "http://schemas.microsoft.com/xps/2005/06/printticket";
constexpr std::string_view kRequiredResource = "http://schemas.microsoft.com/xps/2005/06/required-resource";
constexpr std::string_view kRestrictedFont = "http://schemas.microsoft.com/xps/2005/06/restricted-font";
constexpr std::string_view kDocumentStructure = "http://schemas.microsoft.com/xps/2005/06/documentstructure";
constexpr std::string_view kStoryFragments = "http://schemas.microsoft.com/xps/2005/06/storyfragments";
constexpr std::string_view kSignatureDefinitions = "http://schemas.microsoft.com/xps/2005/06/signature-definitions";
constexpr std::string_view kCoreProperties =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
constexpr std::string_view kThumbnail =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/thumbnail";
constexpr std::string_view kSignatureOrigin =
    "http://schemas.openxmlformats.org/package/2006/relationships/digital-signature/origin";

// Content types.
constexpr std::string_view kRelationshipsContentType = "application/vnd.openxmlformats-package.relationships+xml";
constexpr std::string_view kSequenceContentType = "application/vnd.ms-package.xps-fixeddocumentsequence+xml";
constexpr std::string_view kDocumentContentType = "application/vnd.ms-package.xps-fixeddocument+xml";
constexpr std::string_view kPageContentType = "application/vnd.ms-package.xps-fixedpage+xml";
constexpr std::string_view kPrintTicketContentType = "application/vnd.ms-printing.printticket+xml";
constexpr std::string_view kResourceDictionaryContentType = "application/vnd.ms-package.xps-resourcedictionary+xml";
constexpr std::string_view kDocumentStructureContentType = "application/vnd.ms-package.xps-documentstructure+xml";
constexpr std::string_view kStoryFragmentsContentType = "application/vnd.ms-package.xps-storyfragments+xml";
constexpr std::string_view kFontContentType = "application/vnd.ms-opentype";
constexpr std::string_view kObfuscatedFontContentType = "application/vnd.ms-package.obfuscated-opentype";
constexpr std::string_view kColorProfileContentType = "application/vnd.ms-color.iccprofile";
constexpr std::string_view kCorePropertiesContentType = "application/vnd.openxmlformats-package.core-properties+xml";

// The two spellings of the XPS vocabulary. Every OpenXPS namespace and
// relationship type is the 2005/06 one with the OpenXPS namespace in front
// instead of the 2005/06 one, so one prefix pair translates all of them.
enum class Flavour { Xps, OpenXps };

// The relationship type or namespace in the 2005/06 spelling.
std::string ToXpsVocabulary(std::string_view uri);
// The 2005/06 relationship type or namespace in the spelling of flavour.
std::string ToFlavourVocabulary(std::string_view uri, Flavour flavour);
// Content types that differ between the two (JPEG XR).
std::string ToXpsContentType(std::string_view contentType);
std::string ToFlavourContentType(std::string_view contentType, Flavour flavour);

// Markup parts whose namespaces are translated as they are streamed.
bool IsTranslatedMarkup(std::string_view contentType);
// Fonts as XPS stores them (plain or obfuscated OpenType).
bool IsFontContentType(std::string_view contentType);

}  // namespace tav::host::xps
