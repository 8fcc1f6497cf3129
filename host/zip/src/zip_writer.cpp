#include "tavzip/zip_writer.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tav::zip {
namespace {

constexpr size_t kBufferSize = 256 * 1024;

void Le16(std::string* out, uint64_t value)
{
    out->push_back(static_cast<char>(value & 0xFF));
    out->push_back(static_cast<char>((value >> 8) & 0xFF));
}
void Le32(std::string* out, uint64_t value)
{
    Le16(out, value & 0xFFFF);
    Le16(out, (value >> 16) & 0xFFFF);
}
void Le64(std::string* out, uint64_t value)
{
    Le32(out, value & 0xFFFFFFFFu);
    Le32(out, value >> 32);
}

[[noreturn]] void WriteFailed()
{
    throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
}

[[noreturn]] void TooLarge(const std::string& name)
{
    throw std::runtime_error("the zip entry " + name + " is too large (4 GiB at most)");
}

void PwriteAll(int fd, const std::string& bytes, uint64_t offset)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) WriteFailed();
        done += static_cast<size_t>(put);
    }
}

}  // namespace

struct ZipWriter::OpenEntry {
    std::string name;
    uint64_t headerOffset = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t size = 0;
    uint64_t compressedSize = 0;
    bool deflating = false;
    bool copying = false;  // stored bytes of another archive
    uint64_t expectedCompressedSize = 0;
};

// One deflate stream serves every entry of a level in turn: starting a
// stream allocates and clears some 270 KB, resetting one only clears its
// state, which for a page of markup takes far less time than deflating it.
struct ZipWriter::Deflater {
    z_stream stream{};
    int level = 0;
    ~Deflater() { deflateEnd(&stream); }
};

ZipWriter::ZipWriter(int fd, DosTime modified, std::unique_ptr<DirectoryBuffer> directory)
    : fd_(fd), modified_(modified), directory_(std::move(directory))
{
    buffer_.reserve(kBufferSize);
}

ZipWriter::~ZipWriter()
{
    if (fd_ >= 0) close(fd_);
}

void ZipWriter::CheckOpen() const
{
    if (fd_ < 0) throw std::logic_error("the zip archive is finished");
}

void ZipWriter::Put(const void* bytes, size_t count)
{
    const auto* data = static_cast<const unsigned char*>(bytes);
    offset_ += count;
    while (count > 0) {
        size_t take = std::min(count, kBufferSize - buffer_.size());
        buffer_.insert(buffer_.end(), data, data + take);
        data += take;
        count -= take;
        if (buffer_.size() == kBufferSize) Flush();
    }
}

void ZipWriter::Flush()
{
    size_t done = 0;
    while (done < buffer_.size()) {
        ssize_t put = write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) WriteFailed();
        done += static_cast<size_t>(put);
    }
    buffer_.clear();
}

void ZipWriter::PatchLocalHeader(const std::string& fields, uint64_t at)
{
    // A small entry's header is still in the buffer, so most entries cost
    // no write of their own.
    uint64_t buffered = offset_ - buffer_.size();
    if (at >= buffered) {
        std::memcpy(buffer_.data() + (at - buffered), fields.data(), fields.size());
        return;
    }
    Flush();
    PwriteAll(fd_, fields, at);
}

void ZipWriter::BeginEntry(const std::string& itemName, int level)
{
    StartEntry(itemName, level == kStored ? 0 : 8);
    if (entry_->method != 8) return;
    if (deflater_ && deflater_->level == level) {
        if (deflateReset(&deflater_->stream) != Z_OK) deflater_.reset();
    } else {
        deflater_.reset();
    }
    if (!deflater_) {
        auto fresh = std::make_unique<Deflater>();
        if (deflateInit2(&fresh->stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            entry_.reset();
            throw std::runtime_error("cannot start deflating");
        }
        fresh->level = level;
        deflater_ = std::move(fresh);
    }
    entry_->deflating = true;
}

void ZipWriter::BeginStoredEntry(const std::string& itemName, const StoredEntry& stored)
{
    if (stored.method != 0 && stored.method != 8) throw std::runtime_error("bad compression method for " + itemName);
    if (stored.size > kMaxEntrySize || stored.compressedSize > kMaxEntrySize) TooLarge(itemName);
    StartEntry(itemName, stored.method);
    entry_->copying = true;
    entry_->crc = stored.crc;
    entry_->size = stored.size;
    entry_->expectedCompressedSize = stored.compressedSize;
}

void ZipWriter::StartEntry(const std::string& itemName, uint16_t method)
{
    CheckOpen();
    if (entry_) throw std::logic_error("a zip entry is already open");
    if (itemName.empty() || itemName.size() > 0xFFFF) throw std::runtime_error("bad zip entry name " + itemName);
    entry_ = std::make_unique<OpenEntry>();
    entry_->name = itemName;
    entry_->headerOffset = offset_;
    entry_->method = method;
    // CRC and sizes are patched in by EndEntry.
    std::string header;
    Le32(&header, 0x04034b50);
    Le16(&header, 20);
    Le16(&header, 0);
    Le16(&header, entry_->method);
    Le16(&header, modified_.time);
    Le16(&header, modified_.date);
    Le32(&header, 0);
    Le32(&header, 0);
    Le32(&header, 0);
    Le16(&header, itemName.size());
    Le16(&header, 0);
    header += itemName;
    Put(header.data(), header.size());
}

void ZipWriter::Deflate(const void* bytes, size_t count, int flush)
{
    z_stream& stream = deflater_->stream;
    unsigned char out[65536];
    stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(bytes));
    stream.avail_in = static_cast<uInt>(count);
    do {
        stream.next_out = out;
        stream.avail_out = sizeof out;
        int status = deflate(&stream, flush);
        if (status == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
        size_t produced = sizeof out - stream.avail_out;
        entry_->compressedSize += produced;
        Put(out, produced);
    } while (stream.avail_out == 0);  // a full buffer means deflate may have more
}

void ZipWriter::Write(const void* bytes, size_t count)
{
    if (!entry_) throw std::logic_error("no zip entry is open");
    const auto* data = static_cast<const unsigned char*>(bytes);
    if (entry_->copying) {
        entry_->compressedSize += count;
        if (entry_->compressedSize > entry_->expectedCompressedSize) {
            throw std::runtime_error("the zip entry " + entry_->name + " has more stored bytes than declared");
        }
        Put(data, count);
        return;
    }
    while (count > 0) {
        // zlib counts in 32 bits.
        size_t take = std::min<size_t>(count, 1u << 30);
        entry_->crc = static_cast<uint32_t>(crc32(entry_->crc, data, static_cast<uInt>(take)));
        entry_->size += take;
        if (entry_->size > kMaxEntrySize) TooLarge(entry_->name);
        if (entry_->method == 8) {
            Deflate(data, take, Z_NO_FLUSH);
        } else {
            entry_->compressedSize += take;
            Put(data, take);
        }
        data += take;
        count -= take;
    }
}

void ZipWriter::EndEntry()
{
    if (!entry_) throw std::logic_error("no zip entry is open");
    if (entry_->deflating) {
        Deflate(nullptr, 0, Z_FINISH);
        entry_->deflating = false;
    }
    if (entry_->compressedSize > kMaxEntrySize) TooLarge(entry_->name);
    if (entry_->copying && entry_->compressedSize != entry_->expectedCompressedSize) {
        throw std::runtime_error("the zip entry " + entry_->name + " has fewer stored bytes than declared");
    }
    std::string sizes;
    Le32(&sizes, entry_->crc);
    Le32(&sizes, entry_->compressedSize);
    Le32(&sizes, entry_->size);
    PatchLocalHeader(sizes, entry_->headerOffset + 14);

    bool offsetNeeds64 = entry_->headerOffset >= 0xFFFFFFFFu;
    std::string record;
    Le32(&record, 0x02014b50);
    Le16(&record, (3 << 8) | 45);  // made on Unix, zip 4.5
    Le16(&record, offsetNeeds64 ? 45 : 20);
    Le16(&record, 0);
    Le16(&record, entry_->method);
    Le16(&record, modified_.time);
    Le16(&record, modified_.date);
    Le32(&record, entry_->crc);
    Le32(&record, entry_->compressedSize);
    Le32(&record, entry_->size);
    Le16(&record, entry_->name.size());
    Le16(&record, offsetNeeds64 ? 12 : 0);
    Le16(&record, 0);
    Le16(&record, 0);
    Le16(&record, 0);
    Le32(&record, uint64_t{0100644} << 16);
    Le32(&record, offsetNeeds64 ? 0xFFFFFFFFu : entry_->headerOffset);
    record += entry_->name;
    if (offsetNeeds64) {
        Le16(&record, 0x0001);
        Le16(&record, 8);
        Le64(&record, entry_->headerOffset);
    }
    directory_->Append(record);
    directorySize_ += record.size();
    ++entryCount_;
    entry_.reset();
}

void ZipWriter::Finish()
{
    CheckOpen();
    if (entry_) throw std::logic_error("a zip entry is still open");
    uint64_t directoryOffset = offset_;
    directory_->WriteOut([this](const void* bytes, size_t count) { Put(bytes, count); });

    bool needs64 = entryCount_ >= 0xFFFF || directoryOffset >= 0xFFFFFFFFu || directorySize_ >= 0xFFFFFFFFu;
    std::string end;
    if (needs64) {
        uint64_t recordOffset = offset_;
        Le32(&end, 0x06064b50);
        Le64(&end, 44);
        Le16(&end, 45);
        Le16(&end, 45);
        Le32(&end, 0);
        Le32(&end, 0);
        Le64(&end, entryCount_);
        Le64(&end, entryCount_);
        Le64(&end, directorySize_);
        Le64(&end, directoryOffset);
        Le32(&end, 0x07064b50);
        Le32(&end, 0);
        Le64(&end, recordOffset);
        Le32(&end, 1);
    }
    Le32(&end, 0x06054b50);
    Le16(&end, 0);
    Le16(&end, 0);
    Le16(&end, needs64 ? 0xFFFF : entryCount_);
    Le16(&end, needs64 ? 0xFFFF : entryCount_);
    Le32(&end, needs64 ? 0xFFFFFFFFu : directorySize_);
    Le32(&end, needs64 ? 0xFFFFFFFFu : directoryOffset);
    Le16(&end, 0);
    Put(end.data(), end.size());
    Flush();
    if (fsync(fd_) != 0 && errno != EINVAL) WriteFailed();
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) WriteFailed();
}

}  // namespace tav::zip
