#include "parts/part_streams.h"

#include <stdexcept>

#include "content/spill_buffer.h"
#include "opc/package_error.h"
#include "platform/stream.h"

namespace tav::host {
namespace {

class ReadStream : public ComObject<IPrintReadStream> {
public:
    ReadStream(std::shared_ptr<const PartContent> content, std::shared_ptr<FailureLog> log, std::string partName)
        : content_(std::move(content)), log_(std::move(log)), partName_(std::move(partName))
    {
    }

    HRESULT Seek(LONGLONG offset, DWORD origin, ULONGLONG* newPosition) override
    {
        return Guarded([&] {
            LONGLONG base = 0;
            switch (origin) {
            case STREAM_SEEK_SET: base = 0; break;
            case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(position_); break;
            case STREAM_SEEK_END: base = static_cast<LONGLONG>(Size()); break;
            default: return STG_E_INVALIDFUNCTION;
            }
            if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset)) {
                return STG_E_INVALIDFUNCTION;
            }
            position_ = static_cast<uint64_t>(base + offset);
            if (newPosition != nullptr) *newPosition = position_;
            return S_OK;
        });
    }

    HRESULT ReadBytes(void* buffer, ULONG count, ULONG* read, BOOL* endOfFile) override
    {
        if (read != nullptr) *read = 0;
        if (buffer == nullptr && count > 0) return E_POINTER;
        return Guarded([&] {
            size_t got = ReadFully(Reader(), buffer, count);
            position_ += got;
            readerPosition_ += got;
            if (read != nullptr) *read = static_cast<ULONG>(got);
            std::optional<uint64_t> size = content_->KnownSize();
            if (endOfFile != nullptr) *endOfFile = got < count || (size && position_ >= *size) ? TRUE : FALSE;
            return S_OK;
        });
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintReadStream ? static_cast<IPrintReadStream*>(this) : nullptr;
    }

private:
    template <class Body>
    HRESULT Guarded(Body body)
    {
        try {
            return body();
        } catch (const PackageError& error) {
            log_->Record(FailureKind::Package, error.Part(), error.Reason());
        } catch (const std::exception& error) {
            log_->Record(FailureKind::Output, partName_, error.what());
        }
        return STG_E_READFAULT;
    }

    ByteReader& Reader()
    {
        if (!reader_) {
            reader_ = content_->Open();
            readerPosition_ = 0;
        }
        // A seek only moves position_; the reader catches up here.
        if (readerPosition_ > position_) {
            reader_ = content_->Open();
            readerPosition_ = 0;
        }
        Skip(position_ - readerPosition_);
        return *reader_;
    }

    void Skip(uint64_t count)
    {
        char scratch[65536];
        while (count > 0) {
            size_t got = reader_->Read(scratch, static_cast<size_t>(std::min<uint64_t>(count, sizeof scratch)));
            if (got == 0) break;
            readerPosition_ += got;
            count -= got;
        }
        // Past the end: reads give nothing, as they would at the end.
        readerPosition_ = position_;
    }

    uint64_t Size()
    {
        if (std::optional<uint64_t> known = content_->KnownSize()) return *known;
        if (!measuredSize_) {
            std::unique_ptr<ByteReader> reader = content_->Open();
            char scratch[65536];
            uint64_t total = 0;
            while (size_t got = reader->Read(scratch, sizeof scratch)) total += got;
            measuredSize_ = total;
        }
        return *measuredSize_;
    }

    std::shared_ptr<const PartContent> content_;
    std::shared_ptr<FailureLog> log_;
    std::string partName_;
    std::unique_ptr<ByteReader> reader_;
    uint64_t position_ = 0;
    uint64_t readerPosition_ = 0;
    std::optional<uint64_t> measuredSize_;
};

class WriteStream : public ComObject<IPrintWriteStream> {
public:
    explicit WriteStream(std::shared_ptr<PartData> part) : part_(std::move(part)) {}

    HRESULT WriteBytes(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written != nullptr) *written = 0;
        if (closed_ || failed_) return E_UNEXPECTED;
        if (buffer == nullptr && count > 0) return E_POINTER;
        try {
            buffer_.Append(buffer, count);
        } catch (const std::exception& error) {
            failed_ = true;
            part_->Log().Record(FailureKind::Output, part_->Name(), error.what());
            return STG_E_MEDIUMFULL;
        }
        if (written != nullptr) *written = count;
        return S_OK;
    }

    void Close() override
    {
        if (closed_) return;
        closed_ = true;
        // Content that could not be written completely never replaces the old.
        if (failed_) return;
        try {
            part_->ReplaceContent(buffer_.Finish());
        } catch (const std::exception& error) {
            part_->Log().Record(FailureKind::Output, part_->Name(), error.what());
        }
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }

private:
    std::shared_ptr<PartData> part_;
    SpillBuffer buffer_;
    bool closed_ = false;
    bool failed_ = false;
};

}  // namespace

ComPtr<IPrintReadStream> MakeReadStream(std::shared_ptr<const PartContent> content, std::shared_ptr<FailureLog> log,
                                        std::string partName)
{
    return ComPtr<IPrintReadStream>::Adopt(new ReadStream(std::move(content), std::move(log), std::move(partName)));
}

ComPtr<IPrintWriteStream> MakeWriteStream(std::shared_ptr<PartData> part)
{
    return ComPtr<IPrintWriteStream>::Adopt(new WriteStream(std::move(part)));
}

}  // namespace tav::host
