// Checks a zip entry's stored bytes while they are copied unchanged: a
// deflated entry is inflated into a scratch buffer (nothing is kept), and
// the CRC-32 and size of what comes out are compared with the entry's
// declared ones. Copying a part this way costs one inflate and no deflate,
// and a damaged or lying entry is still refused.
#pragma once

#include <memory>
#include <string>

#include "zip/zip_archive.h"

namespace tav::host {

class StoredEntryCheck {
public:
    StoredEntryCheck(const ZipEntryInfo& entry, std::string partName);
    ~StoredEntryCheck();
    StoredEntryCheck(const StoredEntryCheck&) = delete;
    StoredEntryCheck& operator=(const StoredEntryCheck&) = delete;

    // The next stored bytes. Throws PackageError as soon as they inflate to
    // more than the declared size or are no valid deflate data.
    void Feed(const void* bytes, size_t count);
    // All stored bytes were fed. Throws PackageError when the content is
    // shorter than declared, the deflate data did not end, or the CRC-32
    // differs from the declared one.
    void Finish();

private:
    struct Inflater;
    [[noreturn]] void Fail(const std::string& reason) const;
    void Count(const unsigned char* bytes, size_t count);

    ZipEntryInfo entry_;
    std::string partName_;
    uint64_t size_ = 0;
    uint32_t crc_ = 0;
    std::unique_ptr<Inflater> inflater_;  // null for a stored entry
};

}  // namespace tav::host
