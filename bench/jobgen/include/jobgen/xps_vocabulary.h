// The namespaces, relationship types and content types of the two XPS
// flavours a job can be written in.
#pragma once

namespace jobgen {

enum class XpsFlavour { Xps2005, OpenXps };

struct XpsVocabulary {
    const char* markupNamespace;
    const char* fixedRepresentation;
    const char* requiredResource;
    const char* printTicket;
};

const XpsVocabulary& VocabularyFor(XpsFlavour flavour);

// The OPC names shared by both flavours.
inline constexpr const char* kContentTypesNamespace = "http://schemas.openxmlformats.org/package/2006/content-types";
inline constexpr const char* kRelationshipsNamespace = "http://schemas.openxmlformats.org/package/2006/relationships";

// OpenXPS keeps the part content types of XPS 2005/06.
inline constexpr const char* kRelationshipsContentType = "application/vnd.openxmlformats-package.relationships+xml";
inline constexpr const char* kSequenceContentType = "application/vnd.ms-package.xps-fixeddocumentsequence+xml";
inline constexpr const char* kDocumentContentType = "application/vnd.ms-package.xps-fixeddocument+xml";
inline constexpr const char* kPageContentType = "application/vnd.ms-package.xps-fixedpage+xml";
inline constexpr const char* kObfuscatedFontContentType = "application/vnd.ms-package.obfuscated-opentype";
inline constexpr const char* kFontContentType = "application/vnd.ms-opentype";
inline constexpr const char* kPngContentType = "image/png";
inline constexpr const char* kPrintTicketContentType = "application/vnd.ms-printing.printticket+xml";

}  // namespace jobgen
