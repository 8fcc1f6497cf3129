// The fonts, colour profiles and images a page's markup names, as the
// recording converter finds them in attribute values: a Glyphs element's
// FontUri, the profile of a colour given as "ContextColor <profile>
// <values>", and the image and profile of an ImageSource, given as the
// image's name or as "{ColorConvertedBitmap <image> <profile>}".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tav::trace {

// The profile named by a ContextColor value, if the value is one.
std::optional<std::string> ContextColorProfile(std::string_view value);
// The profile named by a ColorConvertedBitmap image source, if it is one.
std::optional<std::string> ConvertedBitmapProfile(std::string_view value);
// The image an ImageSource names: the value itself, or the image of a
// ColorConvertedBitmap; none for an empty value or another markup extension.
std::optional<std::string> ImageSourceImage(std::string_view value);

// A reference made inside a resource dictionary, relative to the
// dictionary's own name (base, itself absolute or relative to the page), as
// the page would name it. Absolute references and references with a scheme
// stay as they are; "." and ".." steps of an absolute result are resolved.
std::string ResolveAgainst(std::string_view base, std::string_view reference);

}  // namespace tav::trace
