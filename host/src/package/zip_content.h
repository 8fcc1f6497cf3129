// A part's content stored in the input zip: one entry, or the entries of an
// interleaved part's pieces read one after the other. Nothing is read until
// a reader asks; each reader reads in blocks.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "content/byte_reader.h"
#include "tavzip/zip_reader.h"

namespace tav::host {

using zip::ZipEntryInfo;
using zip::ZipLimits;

// How many inflated bytes the parts of a job keep in memory at once
// (ZipContent::KeepingBytes): a filter that holds back many pages must not
// hold their bytes with them.
class KeptBytesBudget {
public:
    explicit KeptBytesBudget(uint64_t limit) : limit_(limit) {}
    // False, taking nothing, when that many more would pass the limit.
    bool Take(uint64_t bytes);
    void Give(uint64_t bytes) { used_.fetch_sub(bytes, std::memory_order_relaxed); }

private:
    const uint64_t limit_;
    std::atomic<uint64_t> used_{0};
};

class ZipContent : public PartContent {
public:
    ZipContent(std::shared_ptr<const zip::ZipReader> archive, std::vector<ZipEntryInfo> pieces, std::string partName);
    std::unique_ptr<ByteReader> Open() const override;
    std::optional<uint64_t> KnownSize() const override { return size_; }

    const std::string& PartName() const { return partName_; }
    // The one entry of a part stored in one piece, whose bytes can be
    // copied as they are stored; null for an interleaved part.
    const ZipEntryInfo* SingleEntry() const { return pieces_.size() == 1 ? &pieces_.front() : nullptr; }
    // The stored (compressed) bytes of that entry; unchecked (see
    // zip::StoredEntryCheck).
    std::unique_ptr<ByteReader> OpenStoredBytes() const;
    // True once a reader has read the whole content, so that its size and
    // CRC-32 were checked against the declared ones.
    bool Checked() const { return checked_.load(std::memory_order_acquire); }
    // The same content with its uncompressed bytes, read whole (and so
    // checked), kept in memory: its readers read them there, and the
    // package writer can still copy the stored entry. The bytes were taken
    // from budget, and are given back when the content goes.
    std::shared_ptr<const ZipContent> KeepingBytes(std::string bytes, std::shared_ptr<KeptBytesBudget> budget) const;
    // The uncompressed bytes such content keeps; null for any other.
    virtual const std::string* KeptBytes() const { return nullptr; }

private:
    class Reader;
    class Kept;
    std::shared_ptr<const zip::ZipReader> archive_;
    std::vector<ZipEntryInfo> pieces_;
    std::string partName_;
    uint64_t size_ = 0;
    mutable std::atomic<bool> checked_{false};
};

// The content of another part with every occurrence of one byte string
// replaced by another, as it is read: OpenXPS markup presented in the
// 2005/06 namespaces, and the reverse on writing. Its readers also look in
// the original for tell-tales (in an OpenXPS package, the 2005/06 namespace
// as an attribute value), which TelltaleSeen reports once one has met any.
class TranslatedContent : public PartContent {
public:
    TranslatedContent(std::shared_ptr<const PartContent> original, std::string from, std::string to,
                      std::vector<std::string> telltales = {});
    std::unique_ptr<ByteReader> Open() const override;
    std::optional<uint64_t> KnownSize() const override;
    bool TelltaleSeen() const { return telltaleSeen_->load(); }

private:
    std::shared_ptr<const PartContent> original_;
    std::string from_;
    std::string to_;
    std::vector<std::string> telltales_;
    std::shared_ptr<std::atomic<bool>> telltaleSeen_ = std::make_shared<std::atomic<bool>>(false);
};

// A reader that replaces a byte string in what another reader gives; when
// telltaleSeen is given, it is set once any of the tell-tales occurs in the
// original bytes.
std::unique_ptr<ByteReader> TranslatingReader(std::unique_ptr<ByteReader> source, std::string from, std::string to,
                                              std::vector<std::string> telltales = {},
                                              std::shared_ptr<std::atomic<bool>> telltaleSeen = nullptr);

}  // namespace tav::host
