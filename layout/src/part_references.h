// The references page markup makes to other parts (fonts, images,
// resource dictionaries, colour profiles) made absolute, for markup that
// moves from its page into a part of another name: a reference relative to
// "/Documents/1/Pages/1.fpage" would name another part when read from
// "/LO_NUpPage_7.xml".
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The reference resolved against the name of the part it was written in
// ("../Resources/a.png" in "/Documents/1/Pages/1.fpage" gives
// "/Documents/1/Resources/a.png"). Absolute part names, URIs with a scheme
// and empty references come back unchanged; ".." never climbs above the
// package root.
std::u16string AbsolutePartReference(std::u16string_view partName, std::u16string_view reference);

// For an attribute of page markup: its value with every part reference in it
// made absolute (FontUri; ImageSource, also inside {ColorConvertedBitmap
// ...}; Source, which only a ResourceDictionary has; the profile of a ContextColor
// colour in any attribute), or nothing when the value holds no relative
// reference.
std::optional<std::u16string> AbsoluteReferencesIn(std::u16string_view partName, std::u16string_view attribute,
                                                   std::u16string_view value);
