#include "jobgen/package_writer.h"

#include <stdexcept>

#include "jobgen/font_resource.h"
#include "jobgen/markup_text.h"
#include "jobgen/opc_parts.h"
#include "jobgen/page_markup.h"
#include "jobgen/pictures.h"
#include "jobgen/zip_writer.h"

namespace jobgen {

namespace {

constexpr const char* kSequencePart = "/FixedDocumentSequence.fdseq";
constexpr const char* kJobTicketPart = "/Metadata/Job_PT.xml";
constexpr const char* kSharedImagePart = "/Resources/Images/Gradient.png";
constexpr const char* kPlainFontPart = "/Resources/Fonts/Font.ttf";
constexpr int kSharedImageWidth = 256, kSharedImageHeight = 64;
constexpr int kPageImageWidth = 96, kPageImageHeight = 32;

std::string DocumentPart(int document) { return "/Documents/" + std::to_string(document) + "/FixedDocument.fdoc"; }

std::string DocumentFolder(int document) { return "/Documents/" + std::to_string(document); }

std::string PagePart(int document, int page)
{
    return DocumentFolder(document) + "/Pages/" + std::to_string(page) + ".fpage";
}

std::string PageImagePart(int number) { return "/Resources/Images/Page" + std::to_string(number) + ".png"; }

std::string ObfuscatedFontPart() { return std::string("/Resources/Fonts/") + kFontGuid + ".odttf"; }

class PackageBuilder {
public:
    PackageBuilder(const JobSpec& job, const std::string& path, const ProgressCallback& progress)
        : job_(job), vocabulary_(VocabularyFor(job.flavour)), zip_(path), progress_(progress)
    {
    }

    JobSummary Build()
    {
        WriteContentTypes();
        WritePart("/_rels/.rels", RelationshipsMarkup({{vocabulary_.fixedRepresentation, kSequencePart}}));
        WriteSequence();
        WriteSharedResources();
        for (size_t d = 0; d < job_.documents.size(); ++d) WriteDocument(static_cast<int>(d) + 1, job_.documents[d]);
        zip_.Finish();
        return JobSummary{static_cast<int>(job_.documents.size()), pagesWritten_, zip_.EntryCount(),
                          zip_.BytesWritten()};
    }

private:
    void WritePart(const std::string& partName, std::string_view text)
    {
        zip_.Add(ZipEntryName(partName), text, ZipMethod::Deflated);
    }

    // PNG data is compressed already.
    void WriteBinaryPart(const std::string& partName, const std::vector<uint8_t>& data)
    {
        zip_.Add(ZipEntryName(partName), data, ZipMethod::Stored);
    }

    void WritePiece(const std::string& partName, int index, bool last, std::string_view text)
    {
        zip_.Add(PieceEntryName(partName, index, last), text, ZipMethod::Deflated);
    }

    void WriteRelationships(const std::string& partName, const std::vector<Relationship>& relationships)
    {
        if (!relationships.empty()) WritePart(RelationshipsPartName(partName), RelationshipsMarkup(relationships));
    }

    // The ticket part, when there is a ticket, and its relationship.
    void AddTicket(std::vector<Relationship>& relationships, const std::string& ticket, const std::string& partName)
    {
        if (ticket.empty()) return;
        WritePart(partName, ticket);
        relationships.push_back({vocabulary_.printTicket, partName});
    }

    void WriteContentTypes()
    {
        WritePart("/[Content_Types].xml", ContentTypesMarkup({
                                              {"rels", kRelationshipsContentType},
                                              {"fdseq", kSequenceContentType},
                                              {"fdoc", kDocumentContentType},
                                              {"fpage", kPageContentType},
                                              {"odttf", kObfuscatedFontContentType},
                                              {"ttf", kFontContentType},
                                              {"png", kPngContentType},
                                              {"xml", kPrintTicketContentType},
                                          }));
    }

    void WriteSequence()
    {
        std::string markup = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FixedDocumentSequence xmlns=\"";
        markup += vocabulary_.markupNamespace;
        markup += "\">\n";
        for (size_t d = 1; d <= job_.documents.size(); ++d)
            markup += "<DocumentReference Source=\"" + DocumentPart(static_cast<int>(d)) + "\"/>\n";
        markup += "</FixedDocumentSequence>\n";
        WritePart(kSequencePart, markup);
        std::vector<Relationship> relationships;
        AddTicket(relationships, job_.jobTicket, kJobTicketPart);
        WriteRelationships(kSequencePart, relationships);
    }

    void WriteSharedResources()
    {
        if (job_.font != FontEmbedding::None) {
            std::vector<uint8_t> font = LoadFontFile(job_.fontPath.empty() ? FindDefaultFont() : job_.fontPath);
            if (job_.font == FontEmbedding::Obfuscated) {
                ObfuscateFont(font, kFontGuid);
                fontPart_ = ObfuscatedFontPart();
            } else {
                fontPart_ = kPlainFontPart;
            }
            zip_.Add(ZipEntryName(fontPart_), font, ZipMethod::Deflated);
        }
        if (job_.images == ImageResource::Shared)
            WriteBinaryPart(kSharedImagePart, EncodePng(DrawGradient(kSharedImageWidth, kSharedImageHeight)));
    }

    void AppendPageContent(std::string& out, const PageSpec& page, int pageInDocument)
    {
        PageSize sheet = OrientedSize(job_.contentOrientation, page.size);
        out += "<PageContent Source=\"Pages/" + std::to_string(pageInDocument) + ".fpage\" Width=\"";
        AppendNumber(out, sheet.width);
        out += "\" Height=\"";
        AppendNumber(out, sheet.height);
        out += "\"/>\n";
    }

    std::string DocumentStart() const
    {
        return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FixedDocument xmlns=\"") +
               vocabulary_.markupNamespace + "\">\n";
    }

    void WriteDocumentRelationships(int number, const DocumentSpec& document)
    {
        std::vector<Relationship> relationships;
        AddTicket(relationships, document.ticket, DocumentFolder(number) + "/Metadata/Document_PT.xml");
        WriteRelationships(DocumentPart(number), relationships);
    }

    // Interleaved, the FixedDocument is written as it grows: one piece
    // before each page naming it, and a last piece closing it.
    void WriteDocument(int number, const DocumentSpec& document)
    {
        std::string partName = DocumentPart(number);
        if (!job_.interleaved) {
            std::string markup = DocumentStart();
            for (size_t p = 0; p < document.pages.size(); ++p)
                AppendPageContent(markup, document.pages[p], static_cast<int>(p) + 1);
            markup += "</FixedDocument>\n";
            WritePart(partName, markup);
            WriteDocumentRelationships(number, document);
            for (size_t p = 0; p < document.pages.size(); ++p)
                WritePage(number, static_cast<int>(p) + 1, document.pages[p]);
            return;
        }
        for (size_t p = 0; p < document.pages.size(); ++p) {
            std::string piece = p == 0 ? DocumentStart() : std::string();
            AppendPageContent(piece, document.pages[p], static_cast<int>(p) + 1);
            WritePiece(partName, static_cast<int>(p), false, piece);
            if (p == 0) WriteDocumentRelationships(number, document);
            WritePage(number, static_cast<int>(p) + 1, document.pages[p]);
        }
        WritePiece(partName, static_cast<int>(document.pages.size()), true, "</FixedDocument>\n");
    }

    void WritePage(int document, int pageInDocument, const PageSpec& page)
    {
        int number = ++pagesWritten_;
        std::string partName = PagePart(document, pageInDocument);
        PageDrawing drawing;
        drawing.size = page.size;
        drawing.number = number;
        drawing.orientation = job_.contentOrientation;
        drawing.vectorPaths = job_.vectorPaths;
        drawing.extraElements = job_.extraElements;
        drawing.markupCharacters = job_.markupCharacters;
        drawing.fontUri = fontPart_;
        if (job_.images == ImageResource::Shared) {
            drawing.imageUri = kSharedImagePart;
            drawing.imageWidth = kSharedImageWidth;
            drawing.imageHeight = kSharedImageHeight;
        } else if (job_.images == ImageResource::PerPage) {
            drawing.imageUri = PageImagePart(number);
            drawing.imageWidth = kPageImageWidth;
            drawing.imageHeight = kPageImageHeight;
        }
        markup_.clear();
        AppendFixedPage(markup_, vocabulary_, drawing);

        // Interleaved, the page's relationships, ticket and image sit between
        // the two halves of its markup.
        size_t half = markup_.size() / 2;
        if (job_.interleaved) WritePiece(partName, 0, false, std::string_view(markup_).substr(0, half));
        if (job_.images == ImageResource::PerPage)
            WriteBinaryPart(drawing.imageUri, EncodePng(DrawBars(kPageImageWidth, kPageImageHeight, number)));
        std::vector<Relationship> relationships;
        if (!fontPart_.empty()) relationships.push_back({vocabulary_.requiredResource, fontPart_});
        if (!drawing.imageUri.empty()) relationships.push_back({vocabulary_.requiredResource, drawing.imageUri});
        AddTicket(relationships, page.ticket,
                  DocumentFolder(document) + "/Metadata/Page" + std::to_string(pageInDocument) + "_PT.xml");
        WriteRelationships(partName, relationships);
        if (job_.interleaved)
            WritePiece(partName, 1, true, std::string_view(markup_).substr(half));
        else
            WritePart(partName, markup_);
        if (progress_) progress_(number, totalPages_);
    }

    const JobSpec& job_;
    const XpsVocabulary& vocabulary_;
    ZipWriter zip_;
    const ProgressCallback& progress_;
    std::string fontPart_;
    std::string markup_;
    int pagesWritten_ = 0;
    int totalPages_ = TotalPages(job_);
};

}  // namespace

JobSummary WriteXpsJob(const JobSpec& job, const std::string& path, const ProgressCallback& progress)
{
    ValidateJob(job);
    return PackageBuilder(job, path, progress).Build();
}

}  // namespace jobgen
