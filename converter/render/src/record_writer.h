// Output records through the write callback: an 8-byte header (32-bit type,
// 32-bit payload length, little-endian) and the payload.
#pragma once

#include <cstdint>
#include <string_view>

#include "converter/converter_interface.h"

namespace tav::render {

class RecordWriter {
public:
    RecordWriter(ConverterWriteCallback write, void* context) : write_(write), context_(context) {}

    // False once a write has failed; every later record is dropped.
    bool Write(uint8_t type, const void* payload, size_t size);
    bool WriteText(uint8_t type, std::string_view text) { return Write(type, text.data(), text.size()); }
    bool Failed() const { return failed_; }

private:
    bool Send(const void* bytes, uint32_t count);

    ConverterWriteCallback write_;
    void* context_;
    bool failed_ = false;
};

}  // namespace tav::render
