#include "jobgen/zip_writer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

namespace jobgen {

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr uint16_t kVersionNeeded = 20;   // deflate
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01: the same job gives the same bytes
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint64_t kMaxField32 = std::numeric_limits<uint32_t>::max();
constexpr size_t kMaxEntries = std::numeric_limits<uint16_t>::max();
constexpr size_t kFileBuffer = 1 << 20;

void Put16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(value & 0xff);
    out.push_back(value >> 8);
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) out.push_back((value >> shift) & 0xff);
}

std::runtime_error WriteError(const std::string& path)
{
    return std::runtime_error(path + ": cannot write: " + std::strerror(errno));
}

}  // namespace

ZipWriter::ZipWriter(std::string path) : path_(std::move(path))
{
    temporaryPath_ = path_ + ".XXXXXX";
    int descriptor = mkstemp(temporaryPath_.data());
    if (descriptor < 0) throw std::runtime_error(path_ + ": cannot create: " + std::strerror(errno));
    // mkstemp makes the file private; a generated job is an ordinary file.
    fchmod(descriptor, 0644);
    file_ = fdopen(descriptor, "wb");
    if (!file_) {
        close(descriptor);
        unlink(temporaryPath_.c_str());
        throw std::runtime_error(path_ + ": cannot open: " + std::strerror(errno));
    }
    std::setvbuf(file_, nullptr, _IOFBF, kFileBuffer);
    // Raw deflate at the fastest level: generated markup compresses well
    // enough and large jobs must be written quickly.
    if (deflateInit2(&deflater_, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        Abandon();
        throw std::runtime_error("cannot start the deflate compressor");
    }
    deflaterReady_ = true;
}

ZipWriter::~ZipWriter()
{
    if (file_) Abandon();
    if (deflaterReady_) deflateEnd(&deflater_);
}

void ZipWriter::Abandon()
{
    std::fclose(file_);
    file_ = nullptr;
    unlink(temporaryPath_.c_str());
}

void ZipWriter::Write(const void* data, size_t size)
{
    if (size == 0) return;
    if (std::fwrite(data, 1, size, file_) != size) throw WriteError(path_);
    offset_ += size;
}

std::span<const uint8_t> ZipWriter::Compress(std::span<const uint8_t> data)
{
    if (data.size() > std::numeric_limits<uInt>::max())
        throw std::runtime_error("zip entry too large to compress");
    compressed_.resize(deflateBound(&deflater_, data.size()));
    if (deflateReset(&deflater_) != Z_OK) throw std::runtime_error("deflate compressor failed");
    deflater_.next_in = const_cast<Bytef*>(data.data());
    deflater_.avail_in = static_cast<uInt>(data.size());
    deflater_.next_out = compressed_.data();
    deflater_.avail_out = static_cast<uInt>(compressed_.size());
    if (deflate(&deflater_, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate compressor failed");
    return std::span<const uint8_t>(compressed_.data(), deflater_.total_out);
}

void ZipWriter::Add(std::string_view name, std::span<const uint8_t> data, ZipMethod method)
{
    if (!file_) throw std::runtime_error(path_ + ": archive already finished");
    if (name.empty() || name.size() > std::numeric_limits<uint16_t>::max())
        throw std::runtime_error("zip entry name is empty or too long");
    if (entries_.size() >= kMaxEntries)
        throw std::runtime_error(path_ + ": more than 65535 entries (Zip64 archives are not written)");
    if (data.size() > kMaxField32) throw std::runtime_error(std::string(name) + ": entry larger than 4 GiB");

    std::span<const uint8_t> stored = method == ZipMethod::Deflated ? Compress(data) : data;
    if (offset_ + 30 + name.size() + stored.size() > kMaxField32)
        throw std::runtime_error(path_ + ": archive larger than 4 GiB (Zip64 archives are not written)");

    Entry entry{std::string(name),
                static_cast<uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))),
                static_cast<uint32_t>(stored.size()),
                static_cast<uint32_t>(data.size()),
                static_cast<uint32_t>(offset_),
                method == ZipMethod::Deflated ? kMethodDeflated : kMethodStored};

    header_.clear();
    Put32(header_, kLocalHeaderSignature);
    Put16(header_, kVersionNeeded);
    Put16(header_, 0);  // flags
    Put16(header_, entry.method);
    Put16(header_, kDosTime);
    Put16(header_, kDosDate);
    Put32(header_, entry.crc);
    Put32(header_, entry.compressedSize);
    Put32(header_, entry.size);
    Put16(header_, static_cast<uint16_t>(name.size()));
    Put16(header_, 0);  // extra field length
    Write(header_.data(), header_.size());
    Write(name.data(), name.size());
    Write(stored.data(), stored.size());
    entries_.push_back(std::move(entry));
}

void ZipWriter::Add(std::string_view name, std::string_view text, ZipMethod method)
{
    Add(name, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), method);
}

void ZipWriter::Finish()
{
    if (!file_) throw std::runtime_error(path_ + ": archive already finished");
    uint64_t directoryOffset = offset_;
    for (const Entry& entry : entries_) {
        header_.clear();
        Put32(header_, kCentralHeaderSignature);
        Put16(header_, kVersionNeeded);  // made by: MS-DOS attributes, version 2.0
        Put16(header_, kVersionNeeded);
        Put16(header_, 0);
        Put16(header_, entry.method);
        Put16(header_, kDosTime);
        Put16(header_, kDosDate);
        Put32(header_, entry.crc);
        Put32(header_, entry.compressedSize);
        Put32(header_, entry.size);
        Put16(header_, static_cast<uint16_t>(entry.name.size()));
        Put16(header_, 0);  // extra field length
        Put16(header_, 0);  // comment length
        Put16(header_, 0);  // disk number
        Put16(header_, 0);  // internal attributes
        Put32(header_, 0);  // external attributes
        Put32(header_, entry.localHeaderOffset);
        Write(header_.data(), header_.size());
        Write(entry.name.data(), entry.name.size());
    }
    uint64_t directorySize = offset_ - directoryOffset;
    if (offset_ + 22 > kMaxField32)
        throw std::runtime_error(path_ + ": archive larger than 4 GiB (Zip64 archives are not written)");

    header_.clear();
    Put32(header_, kEndOfDirectorySignature);
    Put16(header_, 0);
    Put16(header_, 0);
    Put16(header_, static_cast<uint16_t>(entries_.size()));
    Put16(header_, static_cast<uint16_t>(entries_.size()));
    Put32(header_, static_cast<uint32_t>(directorySize));
    Put32(header_, static_cast<uint32_t>(directoryOffset));
    Put16(header_, 0);  // comment length
    Write(header_.data(), header_.size());

    FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        unlink(temporaryPath_.c_str());
        throw WriteError(path_);
    }
    if (std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        int error = errno;
        unlink(temporaryPath_.c_str());
        throw std::runtime_error(path_ + ": cannot move into place: " + std::strerror(error));
    }
}

}  // namespace jobgen
