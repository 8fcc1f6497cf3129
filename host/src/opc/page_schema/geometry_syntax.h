// The abbreviated geometry syntax of Path Data, Clip and PathGeometry
// Figures ("F 1 M 10,10 L 20,10 20,20 Z"), checked as a pure function of the
// attribute's text. It stands apart from the markup checks so that a reader
// that draws the geometry can share it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tav::host::page_schema {

struct GeometrySyntaxError {
    size_t offset;       // byte offset in the text where the fault lies
    const char* reason;  // what is wrong there
};

// Checks the whole text: an optional fill rule ("F 0" or "F 1", only where
// fillRuleAllowed), then figures that each begin with a move (M or m), made
// of lines (L l H h V v), cubic (C c S s) and quadratic (Q q) Béziers, arcs
// (A a) and closes (Z z); a command's parameters may repeat without its
// letter. Text of blanks alone holds no figure and is valid.
std::optional<GeometrySyntaxError> CheckAbbreviatedGeometry(std::string_view text, bool fillRuleAllowed);

// A quick look for the common forms (no arcs, text of at most a few hundred
// bytes), made before CheckAbbreviatedGeometry because geometry is most of
// a page's markup: true only for text CheckAbbreviatedGeometry accepts;
// false says nothing, the careful check tells.
bool IsPlainValidGeometry(std::string_view text, bool fillRuleAllowed);

}  // namespace tav::host::page_schema
