// The FixedPage markup of one generated page.
#pragma once

#include <string>

#include "jobgen/orientation.h"
#include "jobgen/page_size.h"
#include "jobgen/xps_vocabulary.h"

namespace jobgen {

struct PageDrawing {
    PageSize size = {};       // the page as drawn, before orientation
    int number = 1;           // the page's number in the job, from 1
    Orientation orientation;  // how the drawing lies on the FixedPage
    bool vectorPaths = true;
    int extraElements = 0;
    bool markupCharacters = false;
    std::string fontUri;   // empty: no text
    std::string imageUri;  // empty: no image
    int imageWidth = 0;    // the image's size in pixels
    int imageHeight = 0;
};

// Appends the whole FixedPage part (XML declaration included) to `out`.
void AppendFixedPage(std::string& out, const XpsVocabulary& vocabulary, const PageDrawing& page);

// The attribute values written when markup characters are asked for, as
// they read once unescaped.
inline constexpr const char* kMarkupNavigateUri = "https://example.test/find?a=1&b=2&q=\"x<y>\"";
inline constexpr const char* kMarkupAutomationName = "Tom & \"Jerry\" <3>";
inline constexpr const char* kMarkupText = "Fish & Chips <\"42\">";

}  // namespace jobgen
