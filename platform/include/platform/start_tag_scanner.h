// A linear pre-scan of the raw markup that bounds the number of attributes
// in one start tag before libxml2 parses it: libxml2 compares each
// attribute's name with all earlier ones of its tag, so a start tag with
// hundreds of thousands of attributes would keep it busy for hours.
//
// The scan understands just enough of XML to find start tags: comments,
// processing instructions, CDATA sections, declarations and quoted values
// are skipped. UTF-16 (recognised by its first two bytes) is scanned by code
// units; every other encoding byte by byte, which suits UTF-8 and the
// encodings that keep ASCII as it is. Every reader of untrusted markup
// (the SAX reader and DOM, secure parsing, the host's package reader) scans
// with it before libxml2 sees the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tav::xml {

constexpr size_t kMaxAttributesPerElement = 4096;

class StartTagScanner {
public:
    // False once a start tag has more than kMaxAttributesPerElement
    // attributes (namespace declarations included).
    bool Scan(const unsigned char* bytes, size_t count);

private:
    enum class Encoding { Unknown, Bytes, Utf16LittleEndian, Utf16BigEndian };
    enum class State {
        Text,
        Open,
        StartTag,
        StartTagValue,
        EndTag,
        Instruction,
        Bang,
        Comment,
        CData,
        Declaration,
    };

    bool ScanBytes(const unsigned char* p, const unsigned char* end);
    bool Step(uint32_t c);

    Encoding encoding_ = Encoding::Unknown;
    unsigned char pending_[2] = {0, 0};
    size_t pendingCount_ = 0;
    State state_ = State::Text;
    uint32_t previous_ = 0;
    uint32_t beforePrevious_ = 0;
    uint32_t quote_ = 0;
    size_t bracketDepth_ = 0;
    size_t attributes_ = 0;
};

}  // namespace tav::xml
