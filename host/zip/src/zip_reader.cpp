#include "tavzip/zip_reader.h"

#include <zip.h>

namespace tav::zip {
namespace {

zip_t* Archive(void* archive) { return static_cast<zip_t*>(archive); }

zip_file_t* File(void* file) { return static_cast<zip_file_t*>(file); }

std::string LibzipError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string message = zip_error_strerror(&error);
    zip_error_fini(&error);
    return message;
}

// A package's zip items keep their name, extra fields and comment within
// 65,535 bytes together (each field may take that much alone).
void CheckEntryNameLength(zip_t* archive, zip_uint64_t index, const std::string& name)
{
    constexpr uint64_t kMostBytes = 65535;
    uint64_t bytes = name.size();
    zip_uint32_t commentLength = 0;
    if (zip_file_get_comment(archive, index, &commentLength, ZIP_FL_ENC_RAW) != nullptr) bytes += commentLength;
    zip_int16_t fields = zip_file_extra_fields_count(archive, index, ZIP_FL_CENTRAL);
    for (zip_int16_t field = 0; field < fields; ++field) {
        zip_uint16_t id = 0;
        zip_uint16_t length = 0;
        if (zip_file_extra_field_get(archive, index, static_cast<zip_uint16_t>(field), &id, &length, ZIP_FL_CENTRAL) !=
            nullptr) {
            bytes += 4u + length;  // the field's id and length, then its data
        }
    }
    if (bytes > kMostBytes) {
        throw ZipError(name.substr(0, 64) + "...", "the zip item's name, extra fields and comment take " +
                                                       std::to_string(bytes) +
                                                       " bytes, more than the 65535 a package allows");
    }
}

void CheckEntry(const zip_stat_t& stat, const ZipLimits& limits, const std::string& name)
{
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        throw ZipError(name, "the zip entry is encrypted");
    }
    if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE) {
        throw ZipError(name, "the zip entry uses compression method " + std::to_string(stat.comp_method) +
                                 " (only stored and deflated entries are read)");
    }
    if (stat.size > limits.maxEntrySize) {
        throw ZipError(name, "the zip entry declares " + std::to_string(stat.size) +
                                 " uncompressed bytes, more than the limit of " + std::to_string(limits.maxEntrySize));
    }
    if (stat.size >= limits.ratioFloor) {
        uint64_t compressed = stat.comp_size == 0 ? 1 : stat.comp_size;
        if (stat.size / compressed > limits.maxRatio) {
            throw ZipError(name, "the zip entry inflates " + std::to_string(stat.size / compressed) +
                                     " times (a zip bomb?): the limit is " + std::to_string(limits.maxRatio));
        }
    }
}

}  // namespace

EntryReader::EntryReader(std::shared_ptr<const ZipReader> archive, void* file, uint64_t declaredSize, std::string name)
    : archive_(std::move(archive)), file_(file), declaredSize_(declaredSize), name_(std::move(name))
{
}

EntryReader::~EntryReader()
{
    std::lock_guard<std::mutex> hold(archive_->lock_);
    zip_fclose(File(file_));
}

size_t EntryReader::Read(void* buffer, size_t count)
{
    if (done_ || count == 0) return 0;
    zip_int64_t got;
    {
        std::lock_guard<std::mutex> hold(archive_->lock_);
        got = zip_fread(File(file_), buffer, count);
        if (got < 0) throw ZipError(name_, std::string("cannot read the zip entry: ") + zip_file_strerror(File(file_)));
    }
    position_ += static_cast<uint64_t>(got);
    if (position_ > declaredSize_) {
        throw ZipError(name_, "the zip entry inflates to more than its declared " + std::to_string(declaredSize_) +
                                  " bytes (a zip bomb?)");
    }
    if (got == 0) {
        done_ = true;
        if (position_ != declaredSize_) {
            throw ZipError(name_, "the zip entry ends after " + std::to_string(position_) + " of its declared " +
                                      std::to_string(declaredSize_) + " bytes");
        }
    }
    return static_cast<size_t>(got);
}

std::shared_ptr<ZipReader> ZipReader::Open(const std::string& path, const ZipLimits& limits,
                                           const EntryVisitor& onEntry)
{
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr) {
        if (code == ZIP_ER_NOZIP) throw ZipError("", "not a zip archive (or a truncated one)");
        if (code == ZIP_ER_EXISTS) throw ZipError("", "the zip archive holds two entries of one name");
        throw ZipError("", "cannot open the zip archive: " + LibzipError(code));
    }
    std::shared_ptr<ZipReader> result(new ZipReader());
    result->archive_ = archive;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 0 || static_cast<uint64_t>(count) > limits.maxEntries) {
        throw ZipError("", "the zip archive has " + std::to_string(count) + " entries, more than the limit of " +
                               std::to_string(limits.maxEntries));
    }
    uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) {
            throw ZipError(
                "", "cannot read entry " + std::to_string(i) + " of the zip directory: " + zip_strerror(archive));
        }
        std::string name = stat.name;
        CheckEntry(stat, limits, name);
        CheckEntryNameLength(archive, static_cast<zip_uint64_t>(i), name);
        total += stat.size;
        if (total > limits.maxTotalSize) {
            throw ZipError("", "the zip archive declares more than " + std::to_string(limits.maxTotalSize) +
                                   " uncompressed bytes in all (a zip bomb?)");
        }
        ZipEntryInfo entry;
        entry.index = static_cast<uint64_t>(i);
        entry.size = stat.size;
        entry.compressedSize = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
        entry.crc = (stat.valid & ZIP_STAT_CRC) ? stat.crc : 0;
        entry.method = (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_DEFLATE
                           ? ZipEntryInfo::kDeflated
                           : ZipEntryInfo::kStored;
        onEntry(name, entry);
    }
    return result;
}

ZipReader::~ZipReader()
{
    if (archive_ != nullptr) zip_discard(Archive(archive_));
}

std::unique_ptr<EntryReader> ZipReader::OpenEntry(const ZipEntryInfo& entry, const std::string& name) const
{
    std::lock_guard<std::mutex> hold(lock_);
    zip_file_t* file = zip_fopen_index(Archive(archive_), entry.index, 0);
    if (file == nullptr) {
        throw ZipError(name, std::string("cannot open the zip entry: ") + zip_strerror(Archive(archive_)));
    }
    return std::unique_ptr<EntryReader>(new EntryReader(shared_from_this(), file, entry.size, name));
}

std::unique_ptr<EntryReader> ZipReader::OpenStoredBytes(const ZipEntryInfo& entry, const std::string& name) const
{
    std::lock_guard<std::mutex> hold(lock_);
    zip_file_t* file = zip_fopen_index(Archive(archive_), entry.index, ZIP_FL_COMPRESSED);
    if (file == nullptr) {
        throw ZipError(name, std::string("cannot open the zip entry: ") + zip_strerror(Archive(archive_)));
    }
    return std::unique_ptr<EntryReader>(new EntryReader(shared_from_this(), file, entry.compressedSize, name));
}

}  // namespace tav::zip
