#include "record_writer.h"

#include <algorithm>

namespace tav::render {

namespace {

// Large payloads go out in records of at most this size.
constexpr size_t kMaxRecordPayload = 1u << 20;

void PutLittleEndian(uint8_t* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool RecordWriter::Send(const void* bytes, uint32_t count)
{
    if (failed_) return false;
    if (write_(static_cast<const BYTE*>(bytes), count, context_) < 0) failed_ = true;
    return !failed_;
}

bool RecordWriter::Write(uint8_t type, const void* payload, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(payload);
    do {
        size_t part = std::min(size, kMaxRecordPayload);
        uint8_t header[kOutputRecordHeaderSize];
        PutLittleEndian(header, type);
        PutLittleEndian(header + 4, static_cast<uint32_t>(part));
        if (!Send(header, sizeof header) || (part > 0 && !Send(bytes, static_cast<uint32_t>(part)))) return false;
        bytes += part;
        size -= part;
    } while (size > 0);
    return true;
}

}  // namespace tav::render
