#include "opc/part_name.h"

#include <vector>

#include "opc/package_error.h"

namespace tav::host {
namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Characters that may not appear unescaped in a URI path.
bool NeedsEscape(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7F) return true;
    switch (c) {
    case '"':
    case '<':
    case '>':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}': return true;
    default: return false;
    }
}

void AppendEscape(std::string* out, unsigned char value)
{
    static const char digits[] = "0123456789ABCDEF";
    out->push_back('%');
    out->push_back(digits[value >> 4]);
    out->push_back(digits[value & 0xF]);
}

// Length of the UTF-8 sequence that starts with lead, 0 when lead starts none.
size_t Utf8Length(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// The bytes the escapes of a part name stand for must be UTF-8: a part name
// is an IRI, whose escapes encode its characters in UTF-8.
bool EscapedBytesAreUtf8(const std::string& bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        size_t length = Utf8Length(static_cast<unsigned char>(bytes[i]));
        if (length == 0 || i + length > bytes.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// One spelling for every escape: unreserved characters decoded, other
// escapes with upper-case hex, raw bytes that a URI cannot hold escaped.
// A part name itself (strict) may not escape an unreserved character, and
// its escapes must encode UTF-8; references to parts may do either.
std::string NormaliseEscapes(std::string_view text, std::string_view original, bool strict = false)
{
    std::string out;
    out.reserve(text.size());
    std::string escapedRun;  // the bytes of the escapes just read
    auto endRun = [&]() {
        if (strict && !escapedRun.empty() && !EscapedBytesAreUtf8(escapedRun)) {
            throw PackageError(std::string(original), "the part name's percent escapes encode no UTF-8 character");
        }
        escapedRun.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') endRun();
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            if (i + 2 >= text.size()) {
                throw PackageError(std::string(original), "malformed percent escape in the part name");
            }
            int h = HexValue(text[i + 1]);
            int l = HexValue(text[i + 2]);
            if (h < 0 || l < 0) throw PackageError(std::string(original), "malformed percent escape in the part name");
            unsigned char value = static_cast<unsigned char>(h * 16 + l);
            if (value == '/' || value == '\\') {
                throw PackageError(std::string(original), "the part name contains an encoded slash");
            }
            if (IsUnreserved(value)) {
                if (strict) {
                    throw PackageError(std::string(original),
                                       std::string("the part name percent-encodes the character '") +
                                           static_cast<char>(value) + "', which must stand as it is");
                }
                out.push_back(static_cast<char>(value));
            } else {
                AppendEscape(&out, value);
                if (value >= 0x80) {
                    escapedRun.push_back(static_cast<char>(value));
                } else {
                    endRun();
                }
            }
            i += 2;
        } else if (c == '\\') {
            throw PackageError(std::string(original), "the part name contains a backslash");
        } else if (NeedsEscape(c)) {
            AppendEscape(&out, c);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    endRun();
    return out;
}

std::vector<std::string_view> SplitSegments(std::string_view path)
{
    std::vector<std::string_view> segments;
    size_t start = 1;  // after the leading slash
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        segments.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return segments;
}

// Checks the segments of an absolute path whose dot segments are resolved.
std::string JoinCheckedSegments(const std::vector<std::string_view>& segments, std::string_view original)
{
    if (segments.empty()) throw PackageError(std::string(original), "the part name is empty");
    std::string name;
    for (std::string_view segment : segments) {
        if (segment.empty()) throw PackageError(std::string(original), "the part name has an empty segment");
        if (segment == "." || segment == "..") {
            throw PackageError(std::string(original), "the part name contains a '.' or '..' segment");
        }
        if (segment.back() == '.')
            throw PackageError(std::string(original), "a segment of the part name ends with a dot");
        name.push_back('/');
        name.append(segment);
    }
    return name;
}

void CheckNoQuery(std::string_view text)
{
    if (text.find('?') != std::string_view::npos) {
        throw PackageError(std::string(text), "a part name cannot have a query");
    }
}

}  // namespace

bool IsAbsoluteUri(std::string_view reference)
{
    if (reference.empty()) return false;
    unsigned char first = static_cast<unsigned char>(reference[0]);
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))) return false;
    for (size_t i = 1; i < reference.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(reference[i]);
        if (c == ':') return true;
        bool schemeChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                          c == '-' || c == '.';
        if (!schemeChar) return false;
    }
    return false;
}

std::string CanonicalPartName(std::string_view name)
{
    if (name.empty() || name[0] != '/') throw PackageError(std::string(name), "a part name must start with '/'");
    if (name.find('#') != std::string_view::npos) {
        throw PackageError(std::string(name), "a part name cannot have a fragment");
    }
    CheckNoQuery(name);
    std::string escaped = NormaliseEscapes(name, name, true);
    return JoinCheckedSegments(SplitSegments(escaped), name);
}

std::string ResolvePartReference(std::string_view source, std::string_view reference)
{
    std::string_view withoutFragment = reference.substr(0, reference.find('#'));
    if (withoutFragment.empty()) throw PackageError(std::string(reference), "the reference names no part");
    if (IsAbsoluteUri(withoutFragment)) {
        throw PackageError(std::string(reference), "the reference is an external URI, not a part of the package");
    }
    if (withoutFragment.size() >= 2 && withoutFragment[0] == '/' && withoutFragment[1] == '/') {
        throw PackageError(std::string(reference), "the reference names another host");
    }
    CheckNoQuery(withoutFragment);
    std::string path =
        withoutFragment[0] == '/' ? std::string(withoutFragment) : PartFolder(source) + std::string(withoutFragment);
    // Decoding first makes "%2E%2E" the same ".." segment that it stands for.
    std::string escaped = NormaliseEscapes(path, reference);
    std::vector<std::string_view> resolved;
    std::vector<std::string_view> segments = SplitSegments(escaped);
    for (size_t i = 0; i < segments.size(); ++i) {
        std::string_view segment = segments[i];
        bool last = i + 1 == segments.size();
        if (segment == ".") {
            if (last) throw PackageError(std::string(reference), "the reference names a folder, not a part");
            continue;
        }
        if (segment == "..") {
            if (resolved.empty()) throw PackageError(std::string(reference), "the reference leaves the package root");
            resolved.pop_back();
            if (last) throw PackageError(std::string(reference), "the reference names a folder, not a part");
            continue;
        }
        resolved.push_back(segment);
    }
    return JoinCheckedSegments(resolved, reference);
}

std::string PartNameKey(std::string_view canonicalName)
{
    std::string key(canonicalName);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

bool SamePartName(std::string_view a, std::string_view b)
{
    // As PartNameKey(a) == PartNameKey(b), without making either key.
    if (a.size() != b.size()) return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string RelationshipsPartName(std::string_view sourceName)
{
    if (sourceName == "/") return "/_rels/.rels";
    size_t slash = sourceName.rfind('/');
    return std::string(sourceName.substr(0, slash + 1)) + "_rels/" + std::string(sourceName.substr(slash + 1)) +
           ".rels";
}

bool IsPackageBookkeepingName(std::string_view canonicalName)
{
    std::string key = PartNameKey(canonicalName);
    if (key == "/[content_types].xml") return true;
    std::string folder = PartFolder(key);
    return PartExtension(key) == "rels" && folder.size() >= 7 && folder.compare(folder.size() - 7, 7, "/_rels/") == 0;
}

std::string PartExtension(std::string_view name)
{
    size_t slash = name.rfind('/');
    std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    size_t dot = last.rfind('.');
    if (dot == std::string_view::npos) return "";
    return PartNameKey(last.substr(dot + 1));
}

std::string ZipItemName(std::string_view canonicalName)
{
    return std::string(canonicalName.substr(canonicalName.empty() || canonicalName[0] != '/' ? 0 : 1));
}

std::string PartFolder(std::string_view name)
{
    size_t slash = name.rfind('/');
    if (slash == std::string_view::npos) return "/";
    return std::string(name.substr(0, slash + 1));
}

}  // namespace tav::host
