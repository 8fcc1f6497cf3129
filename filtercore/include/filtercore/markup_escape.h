// Escaping text for page markup.
#pragma once

#include <string>
#include <string_view>

// Appends text with "&", "<", ">", the double quote and the apostrophe
// replaced by "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;". Each character
// is replaced once, in a single pass, which gives the same text as the five
// replacements applied one after the other with "&" first: an entity already
// in the text ("&lt;") becomes text ("&amp;lt;"), never a character.
void AppendEscaped(std::u16string& out, std::u16string_view text);

// AppendEscaped for an attribute value, which also writes tab, line feed and
// carriage return as character references: a parser turns those characters
// into blanks inside an attribute value, so written as they are they would
// not survive a rewrite.
void AppendEscapedAttributeValue(std::u16string& out, std::u16string_view text);
