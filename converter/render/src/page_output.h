// An output language: a drawing surface for each sheet and the bytes it
// becomes, sent as printer-data records.
#pragma once

#include <memory>
#include <string>

#include <cairo.h>

#include "record_writer.h"
#include "sheet_setup.h"

namespace tav::render {

class PageOutput {
public:
    virtual ~PageOutput() = default;
    // A context whose user space is the page's (1/96 inch), on a fresh
    // sheet; null with *error when the sheet cannot be made.
    virtual cairo_t* BeginPage(const SheetSetup& setup, std::string* error) = 0;
    // Ends the sheet begun last and destroys its context.
    virtual bool EndPage(cairo_t* cr, std::string* error) = 0;
    // After the last page.
    virtual bool Finish(std::string* error) = 0;
    // Whether the language keeps text as text.
    virtual bool KeepsText() const = 0;
    // Whether the language is a raster of the sheet.
    virtual bool Rasterizes() const = 0;
};

// PDF through cairo's PDF surface; title may be empty.
std::unique_ptr<PageOutput> MakePdfOutput(RecordWriter* records, const std::string& title);
// PWG Raster through libcups's raster writer.
std::unique_ptr<PageOutput> MakePwgOutput(RecordWriter* records);

}  // namespace tav::render
