#include "platform/start_tag_scanner.h"

#include <array>
#include <cstring>

namespace tav::xml {

namespace {

// The characters that end a run of names and blanks inside a start tag:
// a quote opening a value, '=' and '>'.
constexpr std::array<bool, 256> kEndsName = [] {
    std::array<bool, 256> ends{};
    ends['"'] = ends['\''] = ends['='] = ends['>'] = true;
    return ends;
}();

}  // namespace

bool StartTagScanner::ScanBytes(const unsigned char* p, const unsigned char* end)
{
    // Text, tags and attribute values, nearly all of the markup, are gone
    // through here; the rest one character at a time by Step. None of the
    // states handled here looks back at earlier characters, and the states
    // that do are only entered through steps that set them.
    while (p < end) {
        switch (state_) {
        case State::Text: {
            const void* found = std::memchr(p, '<', static_cast<size_t>(end - p));
            if (found == nullptr) return true;
            p = static_cast<const unsigned char*>(found) + 1;
            state_ = State::Open;
            break;
        }
        case State::Open:
            if (*p == '?' || *p == '!' || *p == '/' || *p == '>') {
                if (!Step(*p++)) return false;
            } else {
                state_ = State::StartTag;
                attributes_ = 0;
                ++p;
            }
            break;
        case State::StartTag: {
            // Names and blanks between the attributes.
            while (p < end && !kEndsName[*p]) ++p;
            if (p == end) return true;
            unsigned char c = *p++;
            if (c == '=') {
                if (++attributes_ > kMaxAttributesPerElement) return false;
            } else if (c == '>') {
                state_ = State::Text;
            } else {
                quote_ = c;
                state_ = State::StartTagValue;
            }
            break;
        }
        case State::StartTagValue:
        case State::EndTag: {
            int wanted = state_ == State::EndTag ? '>' : static_cast<int>(quote_);
            const void* found = std::memchr(p, wanted, static_cast<size_t>(end - p));
            if (found == nullptr) return true;
            p = static_cast<const unsigned char*>(found) + 1;
            state_ = state_ == State::EndTag ? State::Text : State::StartTag;
            break;
        }
        default:
            if (!Step(*p++)) return false;
            break;
        }
    }
    return true;
}

bool StartTagScanner::Scan(const unsigned char* bytes, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (encoding_ == Encoding::Bytes) return ScanBytes(bytes + i, bytes + count);
        pending_[pendingCount_++] = bytes[i];
        if (pendingCount_ < 2) continue;
        pendingCount_ = 0;
        if (encoding_ == Encoding::Unknown) {
            // A byte-order mark or "<" followed or preceded by a zero byte.
            bool little = (pending_[0] == 0xFF && pending_[1] == 0xFE) || (pending_[0] == '<' && pending_[1] == 0);
            bool big = (pending_[0] == 0xFE && pending_[1] == 0xFF) || (pending_[0] == 0 && pending_[1] == '<');
            encoding_ = little ? Encoding::Utf16LittleEndian : big ? Encoding::Utf16BigEndian : Encoding::Bytes;
            if (encoding_ == Encoding::Bytes) {
                if (!Step(pending_[0]) || !Step(pending_[1])) return false;
                continue;
            }
        }
        uint32_t unit = encoding_ == Encoding::Utf16LittleEndian ? pending_[0] | (pending_[1] << 8)
                                                                 : (pending_[0] << 8) | pending_[1];
        if (!Step(unit)) return false;
    }
    return true;
}

bool StartTagScanner::Step(uint32_t c)
{
    bool closes = false;  // the two characters before c end a construct with c
    switch (state_) {
    case State::Text:
        if (c == '<') state_ = State::Open;
        break;
    case State::Open:
        if (c == '?') {
            state_ = State::Instruction;
        } else if (c == '!') {
            state_ = State::Bang;
        } else if (c == '/') {
            state_ = State::EndTag;
        } else {
            state_ = c == '>' ? State::Text : State::StartTag;
            attributes_ = 0;
        }
        break;
    case State::StartTag:
        if (c == '"' || c == '\'') {
            quote_ = c;
            state_ = State::StartTagValue;
        } else if (c == '=') {
            if (++attributes_ > kMaxAttributesPerElement) return false;
        } else if (c == '>') {
            state_ = State::Text;
        }
        break;
    case State::StartTagValue:
        if (c == quote_) state_ = State::StartTag;
        break;
    case State::EndTag:
        if (c == '>') state_ = State::Text;
        break;
    case State::Instruction:
        if (c == '>' && previous_ == '?') state_ = State::Text;
        break;
    case State::Bang:
        state_ = c == '-' ? State::Comment : c == '[' ? State::CData : State::Declaration;
        quote_ = 0;
        bracketDepth_ = 0;
        break;
    case State::Comment:
        closes = c == '>' && previous_ == '-' && beforePrevious_ == '-';
        if (closes) state_ = State::Text;
        break;
    case State::CData:
        closes = c == '>' && previous_ == ']' && beforePrevious_ == ']';
        if (closes) state_ = State::Text;
        break;
    case State::Declaration:
        if (quote_ != 0) {
            if (c == quote_) quote_ = 0;
        } else if (c == '"' || c == '\'') {
            quote_ = c;
        } else if (c == '[') {
            ++bracketDepth_;
        } else if (c == ']' && bracketDepth_ > 0) {
            --bracketDepth_;
        } else if (c == '>' && bracketDepth_ == 0) {
            state_ = State::Text;
        }
        break;
    }
    // A closing sequence must not overlap the next one ("-->" then "->").
    beforePrevious_ = closes ? 0 : previous_;
    previous_ = closes ? 0 : c;
    return true;
}

}  // namespace tav::xml
