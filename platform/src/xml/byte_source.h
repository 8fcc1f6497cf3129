// Where the parser reads its bytes from: a COM stream read in blocks, bytes
// already in memory, or a file.
#pragma once

#include <cstdio>
#include <string>

#include "platform/stream.h"

namespace tav::xml {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to capacity bytes; *read == 0 means the end was reached.
    virtual HRESULT Read(void* buffer, ULONG capacity, ULONG* read) = 0;
    // True when the bytes are UTF-8 whatever the markup declares (markup
    // that was handed over as UTF-16 text and converted).
    virtual bool IsConvertedText() const { return false; }
};

// Reads until the stream delivers no more bytes: a short read alone is not
// taken as the end, since some streams return less than asked.
class StreamSource final : public ByteSource {
public:
    explicit StreamSource(ISequentialStream* stream) : stream_(stream) {}
    HRESULT Read(void* buffer, ULONG capacity, ULONG* read) override;

private:
    ISequentialStream* stream_;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const void* bytes, size_t size, bool convertedText)
        : bytes_(static_cast<const char*>(bytes)), size_(size), convertedText_(convertedText)
    {
    }
    HRESULT Read(void* buffer, ULONG capacity, ULONG* read) override;
    bool IsConvertedText() const override { return convertedText_; }

private:
    const char* bytes_;
    size_t size_;
    size_t position_ = 0;
    bool convertedText_;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    bool IsOpen() const { return file_ != nullptr; }
    HRESULT Read(void* buffer, ULONG capacity, ULONG* read) override;

private:
    std::FILE* file_;
};

}  // namespace tav::xml
