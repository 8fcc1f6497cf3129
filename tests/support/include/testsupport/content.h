// In-memory part content and the pipeline's read and write streams over it.
//
// A part's content is an immutable snapshot: a read stream keeps the snapshot
// it was opened on, and a write stream builds new content that replaces the
// part's content when the stream is closed. The content also records every
// WriteBytes size and Close call made through its write streams.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace testsupport {

class PartContent {
public:
    explicit PartContent(std::string bytes = {});

    std::shared_ptr<const std::string> Snapshot() const;
    std::string Bytes() const;
    void Replace(std::string bytes);

    // Read streams opened from now on deliver at most this many bytes per
    // ReadBytes call (0: no limit).
    void SetReadBlockSize(ULONG size);
    ULONG ReadBlockSize() const;

    void RecordWrite(ULONG size);
    void RecordClose();
    // The sizes passed to WriteBytes, in order, and the number of Close calls.
    std::vector<ULONG> WriteSizes() const;
    int CloseCount() const;

private:
    mutable std::mutex lock_;
    std::shared_ptr<const std::string> bytes_;
    ULONG readBlockSize_ = 0;
    std::vector<ULONG> writeSizes_;
    int closeCount_ = 0;
};

// Reads one snapshot. Seek accepts STREAM_SEEK_SET, _CUR and _END and refuses
// a negative position (STG_E_INVALIDFUNCTION); ReadBytes sets the end-of-file
// flag once the position reaches the end.
class ContentReadStream : public ComObject<IPrintReadStream> {
public:
    ContentReadStream(std::shared_ptr<const std::string> bytes, ULONG blockSize);
    HRESULT Seek(LONGLONG offset, DWORD origin, ULONGLONG* newPosition) override;
    HRESULT ReadBytes(void* buffer, ULONG count, ULONG* read, BOOL* endOfFile) override;

private:
    void* InterfaceFor(REFIID riid) override;

    std::shared_ptr<const std::string> bytes_;
    ULONG blockSize_;
    ULONGLONG position_ = 0;
};

// Collects bytes; Close replaces the content once (later calls are only
// counted) and WriteBytes after Close fails with E_UNEXPECTED.
class ContentWriteStream : public ComObject<IPrintWriteStream> {
public:
    explicit ContentWriteStream(std::shared_ptr<PartContent> target);
    HRESULT WriteBytes(const void* buffer, ULONG count, ULONG* written) override;
    void Close() override;

private:
    void* InterfaceFor(REFIID riid) override;

    std::shared_ptr<PartContent> target_;
    std::mutex lock_;
    std::string pending_;
    bool closed_ = false;
};

HRESULT OpenReadStream(const PartContent& content, IPrintReadStream** stream);
HRESULT OpenWriteStream(const std::shared_ptr<PartContent>& content, IPrintWriteStream** stream);

// The whole content of a read stream from its current position.
HRESULT ReadAll(IPrintReadStream* stream, std::string* bytes);

}  // namespace testsupport
