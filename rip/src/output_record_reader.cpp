#include "output_record_reader.h"

#include <algorithm>

#include "converter/converter_interface.h"

namespace {

uint32_t LittleEndian32(const BYTE* bytes)
{
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// The most a path record's payload holds: 259 characters and a terminator.
constexpr size_t kMaxPathBytes = (kOutputRecordMaxPathCharacters + 1) * 2;

// The path up to its terminator; empty when it has none within 259
// characters or is empty.
std::u16string PathOf(const std::string& payload)
{
    std::u16string path;
    for (size_t index = 0; index + 1 < payload.size(); index += 2) {
        char16_t unit =
            static_cast<char16_t>(static_cast<uint8_t>(payload[index]) | static_cast<uint8_t>(payload[index + 1]) << 8);
        if (unit == u'\0') return path;
        if (path.size() == kOutputRecordMaxPathCharacters) return u"";
        path.push_back(unit);
    }
    // No terminator: a path that ends with its record is taken as it is.
    return path;
}

// One line: the text up to its first line break.
std::string LineOf(std::string text)
{
    size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.resize(end);
    return text;
}

}  // namespace

HRESULT OutputRecordReader::Take(const BYTE* buffer, uint32_t count)
{
    HRESULT result = S_OK;
    if (buffer == nullptr) return result;
    while (count > 0) {
        if (recordRemaining == 0) {
            if (count < kOutputRecordHeaderSize) break;
            recordType = buffer[0];
            recordRemaining = LittleEndian32(buffer + 4);
            payload_.clear();
            buffer += kOutputRecordHeaderSize;
            count -= kOutputRecordHeaderSize;
            if (recordRemaining == 0) Complete();
            continue;
        }
        uint32_t taken = std::min(recordRemaining, count);
        if (recordType == kOutputRecordPrinterData) {
            result = sink_.PrinterData(buffer, taken);
        } else {
            Keep(buffer, taken);
        }
        recordRemaining -= taken;
        buffer += taken;
        count -= taken;
        if (recordRemaining == 0) Complete();
    }
    return result;
}

void OutputRecordReader::Reset()
{
    recordRemaining = 0;
    payload_.clear();
}

void OutputRecordReader::Keep(const BYTE* bytes, uint32_t count)
{
    size_t limit = 0;
    switch (recordType) {
    case kOutputRecordFilePath: limit = kMaxPathBytes; break;
    case kOutputRecordWarning:
    case kOutputRecordRefusalReason: limit = kMaxTextBytes; break;
    default: return;  // skipped
    }
    size_t room = limit - std::min(limit, payload_.size());
    payload_.append(reinterpret_cast<const char*>(bytes), std::min<size_t>(room, count));
}

void OutputRecordReader::Complete()
{
    switch (recordType) {
    case kOutputRecordFilePath:
        if (std::u16string path = PathOf(payload_); !path.empty()) sink_.FilePath(std::move(path));
        break;
    case kOutputRecordWarning: sink_.Warning(LineOf(std::move(payload_))); break;
    case kOutputRecordRefusalReason: sink_.RefusalReason(LineOf(std::move(payload_))); break;
    default: break;
    }
    payload_.clear();
}
