// OPC part names: turning references (absolute or relative to a source
// part, possibly percent-encoded, with fragments) into canonical part names,
// and comparing them as OPC does (ASCII case-insensitive).
//
// The canonical form keeps the case of the text it came from; escapes get
// upper-case hex digits, and bytes outside printable ASCII are
// percent-encoded (the IRI to URI mapping), so that one part has one
// canonical spelling up to case. A part name may not percent-encode an
// unreserved character, nor encode bytes that are no UTF-8; a reference
// may, and its escapes of unreserved characters are decoded.
#pragma once

#include <string>
#include <string_view>

namespace tav::host {

// An absolute part name, canonical ("/Documents/1/Pages/1.fpage"). Throws
// PackageError naming the text when it is no part name: empty segments, a
// trailing slash, a segment ending in a dot, "..", an encoded slash or
// backslash, a backslash, a query, a malformed escape, an escaped
// unreserved character, escapes that encode no UTF-8.
std::string CanonicalPartName(std::string_view name);

// The part a reference made in source names. The reference may be absolute
// ("/a/b") or relative to the source part's folder ("../b"); its fragment is
// dropped. "/" as source means the package root. Throws PackageError when the
// reference leaves the package root or is no part name; an absolute URI with
// a scheme ("http://...") is no part name either.
std::string ResolvePartReference(std::string_view source, std::string_view reference);

// True for references with a scheme (external targets such as "http://").
bool IsAbsoluteUri(std::string_view reference);

// The comparison key of a canonical part name: ASCII lower case.
std::string PartNameKey(std::string_view canonicalName);
bool SamePartName(std::string_view a, std::string_view b);

// "/a/b.ext" -> "/a/_rels/b.ext.rels"; "/" (the package) -> "/_rels/.rels".
std::string RelationshipsPartName(std::string_view sourceName);

// True for the names a package keeps for its own bookkeeping: the content
// types stream ("/[Content_Types].xml") and relationships parts (a ".rels"
// part in a "_rels" folder). No relationship may target them and no other
// part may take their names.
bool IsPackageBookkeepingName(std::string_view canonicalName);

// The extension of the last segment without the dot, lower case ("" when none).
std::string PartExtension(std::string_view name);

// "/a/b" -> "a/b": the zip item name that stores a part (a canonical name
// is plain ASCII, which is also its zip item name).
std::string ZipItemName(std::string_view canonicalName);

// The folder of a part name, with its trailing slash ("/a/b/c" -> "/a/b/").
std::string PartFolder(std::string_view name);

}  // namespace tav::host
