#include "package/font_glyph_count.h"

#include <algorithm>
#include <vector>

namespace tav::host {
namespace {

// A forward reader that can go back by reading from the start again.
class SeekingReader {
public:
    SeekingReader(const PartContent& content, const std::optional<FontKey>& key) : content_(content), key_(key) {}

    // Reads count bytes at offset; false when the font ends before them.
    bool ReadAt(uint64_t offset, uint8_t* buffer, size_t count)
    {
        if (!reader_ || offset < position_) {
            reader_ = content_.Open();
            if (key_) reader_ = ObfuscatingReader(std::move(reader_), *key_);
            position_ = 0;
        }
        uint8_t skipped[4096];
        while (position_ < offset) {
            size_t step = static_cast<size_t>(std::min<uint64_t>(sizeof skipped, offset - position_));
            size_t got = ReadFully(*reader_, skipped, step);
            position_ += got;
            if (got < step) return false;
        }
        size_t got = ReadFully(*reader_, buffer, count);
        position_ += got;
        return got == count;
    }

private:
    const PartContent& content_;
    std::optional<FontKey> key_;
    std::unique_ptr<ByteReader> reader_;
    uint64_t position_ = 0;
};

uint32_t Big32(const uint8_t* bytes)
{
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
}
uint16_t Big16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

}  // namespace

std::optional<uint32_t> FontGlyphCount(const PartContent& font, const std::optional<FontKey>& key, uint32_t faceIndex,
                                       std::string* fault)
{
    SeekingReader reader(font, key);
    uint8_t header[12];
    if (!reader.ReadAt(0, header, sizeof header)) {
        *fault = "the font is too short for its header";
        return std::nullopt;
    }
    uint64_t tableDirectory = 0;
    if (Big32(header) == 0x74746366) {  // 'ttcf': a collection of faces
        uint32_t faces = Big32(header + 8);
        uint8_t offset[4];
        if (faceIndex >= faces || !reader.ReadAt(12 + uint64_t{faceIndex} * 4, offset, 4)) {
            *fault = "the font collection has no face " + std::to_string(faceIndex);
            return std::nullopt;
        }
        tableDirectory = Big32(offset);
        if (!reader.ReadAt(tableDirectory, header, sizeof header)) {
            *fault = "the font collection's face " + std::to_string(faceIndex) + " lies beyond its end";
            return std::nullopt;
        }
    } else if (faceIndex != 0) {
        *fault = "the font is no collection, so it has no face " + std::to_string(faceIndex);
        return std::nullopt;
    }
    uint32_t version = Big32(header);
    if (version != 0x00010000 && version != 0x4F54544F && version != 0x74727565) {  // 1.0, 'OTTO', 'true'
        *fault = "the part is no TrueType or OpenType font";
        return std::nullopt;
    }
    uint16_t tables = Big16(header + 4);
    std::vector<uint8_t> records(size_t{tables} * 16);
    if (!reader.ReadAt(tableDirectory + 12, records.data(), records.size())) {
        *fault = "the font's table directory runs past its end";
        return std::nullopt;
    }
    for (uint16_t i = 0; i < tables; ++i) {
        const uint8_t* record = records.data() + size_t{i} * 16;
        if (Big32(record) != 0x6D617870) continue;  // 'maxp'
        uint8_t maxp[6];
        if (Big32(record + 12) < 6 || !reader.ReadAt(Big32(record + 8), maxp, sizeof maxp)) {
            *fault = "the font's maxp table runs past its end";
            return std::nullopt;
        }
        return Big16(maxp + 4);
    }
    *fault = "the font has no maxp table, so no glyph count";
    return std::nullopt;
}

}  // namespace tav::host
