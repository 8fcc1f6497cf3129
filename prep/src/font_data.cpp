#include "font_data.h"

#include <algorithm>

namespace {

constexpr size_t kOffsetTableSize = 12;
constexpr size_t kDirectoryEntrySize = 16;

// Big-endian reads at offsets checked against the data; what names the
// value in the error that a read past the end raises.
class BigEndian {
public:
    explicit BigEndian(FontBytesView data) : data_(data) {}
    uint16_t U16(size_t offset, const char* what) const
    {
        Check(offset, 2, what);
        return static_cast<uint16_t>(data_[offset] << 8 | data_[offset + 1]);
    }
    int16_t S16(size_t offset, const char* what) const { return static_cast<int16_t>(U16(offset, what)); }
    uint32_t U32(size_t offset, const char* what) const
    {
        Check(offset, 4, what);
        return static_cast<uint32_t>(data_[offset]) << 24 | static_cast<uint32_t>(data_[offset + 1]) << 16 |
               static_cast<uint32_t>(data_[offset + 2]) << 8 | data_[offset + 3];
    }
    // length bytes from offset.
    FontBytesView Range(size_t offset, size_t length, const char* what) const
    {
        Check(offset, length, what);
        return data_.subspan(offset, length);
    }

private:
    void Check(size_t offset, size_t length, const char* what) const
    {
        if (offset > data_.size() || length > data_.size() - offset) {
            throw FontDataError(std::string(what) + " lies past the end of the font data");
        }
    }
    FontBytesView data_;
};

void PutU32(std::vector<uint8_t>& out, size_t offset, uint32_t value)
{
    out[offset] = static_cast<uint8_t>(value >> 24);
    out[offset + 1] = static_cast<uint8_t>(value >> 16);
    out[offset + 2] = static_cast<uint8_t>(value >> 8);
    out[offset + 3] = static_cast<uint8_t>(value);
}

size_t PaddedToFour(size_t length) { return (length + 3) & ~size_t{3}; }

std::u16string_view WithoutVerticalMark(std::u16string_view faceName)
{
    if (!faceName.empty() && faceName.front() == u'@') faceName.remove_prefix(1);
    return faceName;
}

bool EqualsBigEndianText(FontBytesView text, std::u16string_view name)
{
    if (text.size() != name.size() * 2) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (static_cast<char16_t>(text[2 * i] << 8 | text[2 * i + 1]) != name[i]) return false;
    }
    return true;
}

}  // namespace

std::vector<FontTableEntry> ReadTableDirectory(FontBytesView data, size_t faceOffset)
{
    BigEndian font(data);
    uint16_t count = font.U16(faceOffset + 4, "the number of tables");
    // The whole directory must be there before any entry is believed.
    font.Range(faceOffset + kOffsetTableSize, size_t{count} * kDirectoryEntrySize, "the table directory");
    std::vector<FontTableEntry> directory;
    directory.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        size_t entry = faceOffset + kOffsetTableSize + i * kDirectoryEntrySize;
        FontTableEntry table{font.U32(entry, "a table tag"), font.U32(entry + 4, "a table checksum"),
                             font.U32(entry + 8, "a table offset"), font.U32(entry + 12, "a table length")};
        font.Range(table.offset, table.length, "a table");
        directory.push_back(table);
    }
    return directory;
}

std::optional<FontBytesView> FindTable(FontBytesView data, const std::vector<FontTableEntry>& directory, uint32_t tag)
{
    for (const FontTableEntry& table : directory) {
        // The directory was checked against this data when it was read.
        if (table.tag == tag) return BigEndian(data).Range(table.offset, table.length, "a table");
    }
    return std::nullopt;
}

bool HasFullName(FontBytesView data, const std::vector<FontTableEntry>& directory, std::u16string_view faceName)
{
    std::optional<FontBytesView> table = FindTable(data, directory, FontTag("name"));
    if (!table) return false;
    BigEndian names(*table);
    uint16_t count = names.U16(2, "the number of names");
    uint16_t storage = names.U16(4, "the offset of the name strings");
    names.Range(6, size_t{count} * 12, "the name records");
    std::u16string_view wanted = WithoutVerticalMark(faceName);
    for (size_t i = 0; i < count; ++i) {
        size_t record = 6 + i * 12;
        uint16_t platform = names.U16(record, "a name record");
        uint16_t encoding = names.U16(record + 2, "a name record");
        uint16_t nameId = names.U16(record + 6, "a name record");
        if (platform != 3 || encoding != 1 || nameId != 4) continue;
        uint16_t length = names.U16(record + 8, "a name record");
        uint16_t offset = names.U16(record + 10, "a name record");
        if (EqualsBigEndianText(names.Range(size_t{storage} + offset, length, "a name string"), wanted)) return true;
    }
    return false;
}

bool IsFontCollection(FontBytesView data)
{
    return data.size() >= 4 && data[0] == 't' && data[1] == 't' && data[2] == 'c' && data[3] == 'f';
}

std::vector<uint8_t> ExtractCollectionFace(FontBytesView collection, std::u16string_view faceName)
{
    BigEndian ttc(collection);
    if (!IsFontCollection(collection)) throw FontDataError("the font data is not a font collection");
    uint32_t faces = ttc.U32(8, "the number of fonts in the collection");
    ttc.Range(12, size_t{faces} * 4, "the collection's list of fonts");
    for (size_t i = 0; i < faces; ++i) {
        size_t faceOffset = ttc.U32(12 + i * 4, "the offset of a font in the collection");
        std::vector<FontTableEntry> directory = ReadTableDirectory(collection, faceOffset);
        if (!HasFullName(collection, directory, faceName)) continue;

        // Every table lies within the collection, so the copy is no
        // larger than the collection plus its header and padding.
        size_t size = kOffsetTableSize + directory.size() * kDirectoryEntrySize;
        for (const FontTableEntry& table : directory) size += PaddedToFour(table.length);
        std::vector<uint8_t> face(size, 0);
        FontBytesView header = ttc.Range(faceOffset, kOffsetTableSize + directory.size() * kDirectoryEntrySize,
                                         "the font's table directory");
        std::copy(header.begin(), header.end(), face.begin());
        size_t next = header.size();
        for (size_t t = 0; t < directory.size(); ++t) {
            const FontTableEntry& table = directory[t];
            FontBytesView bytes = ttc.Range(table.offset, table.length, "a table");
            std::copy(bytes.begin(), bytes.end(), face.begin() + static_cast<ptrdiff_t>(next));
            PutU32(face, kOffsetTableSize + t * kDirectoryEntrySize + 8, static_cast<uint32_t>(next));
            next += PaddedToFour(table.length);
        }
        return face;
    }
    throw FontDataError("no font of the collection has the full name of the face");
}

FontLineMetrics ReadLineMetrics(FontBytesView font)
{
    std::vector<FontTableEntry> directory = ReadTableDirectory(font, 0);
    std::optional<FontBytesView> head = FindTable(font, directory, FontTag("head"));
    std::optional<FontBytesView> os2 = FindTable(font, directory, FontTag("OS/2"));
    std::optional<FontBytesView> post = FindTable(font, directory, FontTag("post"));
    if (!head || head->size() < 20 || !os2 || os2->size() < 30 || !post || post->size() < 12) {
        return kDefaultLineMetrics;
    }
    uint16_t unitsPerEm = BigEndian(*head).U16(18, "the em size");
    if (unitsPerEm == 0) throw FontDataError("the font's em is 0 units");
    float em = unitsPerEm;
    return {BigEndian(*os2).S16(28, "the strikeout position") / em, BigEndian(*os2).S16(26, "the strikeout size") / em,
            BigEndian(*post).S16(8, "the underline position") / em,
            BigEndian(*post).S16(10, "the underline thickness") / em};
}

std::optional<uint32_t> GlyphIndexFor(FontBytesView font, char32_t codePoint)
{
    std::vector<FontTableEntry> directory = ReadTableDirectory(font, 0);
    std::optional<FontBytesView> cmap = FindTable(font, directory, FontTag("cmap"));
    if (!cmap) return std::nullopt;
    BigEndian map(*cmap);
    uint16_t encodings = map.U16(2, "the number of character maps");
    map.Range(4, size_t{encodings} * 8, "the character map records");
    // The first record whose map has format 12; the records may list the
    // maps in any order.
    std::optional<FontBytesView> groups;
    for (size_t i = 0; i < encodings && !groups; ++i) {
        size_t offset = map.U32(4 + i * 8 + 4, "a character map offset");
        if (map.U16(offset, "a character map's format") != 12) continue;
        uint32_t length = map.U32(offset + 4, "a character map's length");
        BigEndian subtable(map.Range(offset, length, "a format 12 character map"));
        uint32_t count = subtable.U32(12, "the number of character groups");
        groups = subtable.Range(16, size_t{count} * 12, "the character groups");
    }
    if (!groups) return std::nullopt;
    BigEndian list(*groups);
    for (size_t g = 0; g < groups->size() / 12; ++g) {
        uint32_t start = list.U32(g * 12, "a character group");
        uint32_t end = list.U32(g * 12 + 4, "a character group");
        if (codePoint < start || codePoint > end) continue;
        uint64_t glyph = uint64_t{list.U32(g * 12 + 8, "a character group")} + (codePoint - start);
        // A glyph the font does not have is no glyph.
        std::optional<FontBytesView> maxp = FindTable(font, directory, FontTag("maxp"));
        uint32_t glyphCount = maxp ? BigEndian(*maxp).U16(4, "the number of glyphs") : 0x10000;
        if (glyph >= glyphCount) return std::nullopt;
        return static_cast<uint32_t>(glyph);
    }
    return std::nullopt;
}
