// Checks a zip entry's stored bytes while they are copied unchanged: a
// deflated entry is inflated into a scratch buffer (nothing is kept), and
// the CRC-32 and size of what comes out are compared with the entry's
// declared ones. Copying a part this way costs one inflate and no deflate,
// and a damaged or lying entry is still refused.
#pragma once

#include <memory>
#include <string>

#include "tavzip/zip_reader.h"

namespace tav::zip {

class StoredEntryCheck {
public:
    // name names the entry in failures.
    StoredEntryCheck(const ZipEntryInfo& entry, std::string name);
    ~StoredEntryCheck();
    StoredEntryCheck(const StoredEntryCheck&) = delete;
    StoredEntryCheck& operator=(const StoredEntryCheck&) = delete;

    // The next stored bytes. Throws ZipError as soon as they inflate to
    // more than the declared size or are no valid deflate data.
    void Feed(const void* bytes, size_t count);
    // All stored bytes were fed. Throws ZipError when the content is
    // shorter than declared, the deflate data did not end, or the CRC-32
    // differs from the declared one.
    void Finish();

private:
    struct Inflater;
    [[noreturn]] void Fail(const std::string& reason) const;
    void Count(const unsigned char* bytes, size_t count);

    ZipEntryInfo entry_;
    std::string name_;
    uint64_t size_ = 0;
    uint32_t crc_ = 0;
    std::unique_ptr<Inflater> inflater_;  // null for a stored entry
};

}  // namespace tav::zip
