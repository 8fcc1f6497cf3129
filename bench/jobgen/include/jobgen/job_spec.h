// What a generated XPS job contains.
#pragma once

#include <string>
#include <vector>

#include "jobgen/orientation.h"
#include "jobgen/page_size.h"
#include "jobgen/xps_vocabulary.h"

namespace jobgen {

enum class FontEmbedding { None, Obfuscated, Plain };
enum class ImageResource { None, PerPage, Shared };

// A PrintTicket is given as its markup; an empty string attaches none. The
// markup is written as given, so a test can hand a filter a broken ticket.
struct PageSpec {
    PageSize size = kA4;
    std::string ticket;
};

struct DocumentSpec {
    std::vector<PageSpec> pages;
    std::string ticket;
};

struct JobSpec {
    std::vector<DocumentSpec> documents;
    std::string jobTicket;
    XpsFlavour flavour = XpsFlavour::Xps2005;
    // The page number in Glyphs needs a font; the identity bars do not.
    FontEmbedding font = FontEmbedding::Obfuscated;
    std::string fontPath;  // empty: FindDefaultFont()
    ImageResource images = ImageResource::None;
    bool vectorPaths = true;
    // Further small paths (and text lines, with a font) per page, for
    // benchmarks that need large pages.
    int extraElements = 0;
    // Every FixedPage and FixedDocument written as interleaved pieces.
    bool interleaved = false;
    // Attribute values and text holding &, <, > and " (escaped in the markup).
    bool markupCharacters = false;
    // Each page drawn turned or mirrored on a page of the turned size, to
    // make renders that test the decoder's transforms.
    Orientation contentOrientation;
};

inline constexpr int kMaxExtraElements = 100000;
// Far more than a zip without Zip64 records holds (65535 entries); the bound
// keeps a mistyped count from exhausting memory before that is noticed.
inline constexpr long kMaxPages = 1'000'000;

// `documents` documents of `pagesPerDocument` pages of one size, no tickets.
// Throws std::invalid_argument for a negative count or more than kMaxPages.
JobSpec MakeJob(int documents, int pagesPerDocument, PageSize size = kA4);

int TotalPages(const JobSpec& job);

// Throws std::invalid_argument naming the first thing that cannot be written:
// no document, a document without pages, an unusable page size, too many
// extra elements.
void ValidateJob(const JobSpec& job);

// A ticket (or any text) read from a file; throws std::runtime_error.
std::string ReadTextFile(const std::string& path);

}  // namespace jobgen
