#include "package/zip_content.h"

#include <algorithm>
#include <cstring>

#include "opc/package_error.h"

namespace tav::host {
namespace {

// Reads an entry's bytes, its faults told as faults of the part.
size_t ReadEntry(zip::EntryReader& entry, void* buffer, size_t count)
{
    try {
        return entry.Read(buffer, count);
    } catch (const zip::ZipError& error) {
        throw PackageError(error.Name(), error.Reason());
    }
}

class StoredBytesReader : public ByteReader {
public:
    explicit StoredBytesReader(std::unique_ptr<zip::EntryReader> entry) : entry_(std::move(entry)) {}
    size_t Read(void* buffer, size_t count) override { return ReadEntry(*entry_, buffer, count); }

private:
    std::unique_ptr<zip::EntryReader> entry_;
};

std::unique_ptr<zip::EntryReader> OpenEntry(const zip::ZipReader& archive, const ZipEntryInfo& entry,
                                            const std::string& partName, bool stored)
{
    try {
        return stored ? archive.OpenStoredBytes(entry, partName) : archive.OpenEntry(entry, partName);
    } catch (const zip::ZipError& error) {
        throw PackageError(error.Name(), error.Reason());
    }
}

}  // namespace

class ZipContent::Reader : public ByteReader {
public:
    explicit Reader(std::shared_ptr<const ZipContent> content) : content_(std::move(content)) {}

    size_t Read(void* buffer, size_t count) override
    {
        while (next_ <= content_->pieces_.size()) {
            if (!current_) {
                if (next_ == content_->pieces_.size()) {
                    // Each entry reader checks its size and CRC-32 when it
                    // reaches the end, and would have thrown.
                    content_->checked_.store(true, std::memory_order_release);
                    return 0;
                }
                current_ = OpenEntry(*content_->archive_, content_->pieces_[next_], content_->partName_, false);
                ++next_;
            }
            size_t got = ReadEntry(*current_, buffer, count);
            if (got > 0 || count == 0) return got;
            current_.reset();
        }
        return 0;
    }

private:
    std::shared_ptr<const ZipContent> content_;
    std::unique_ptr<zip::EntryReader> current_;
    size_t next_ = 0;
};

ZipContent::ZipContent(std::shared_ptr<const zip::ZipReader> archive, std::vector<ZipEntryInfo> pieces,
                       std::string partName)
    : archive_(std::move(archive)), pieces_(std::move(pieces)), partName_(std::move(partName))
{
    for (const ZipEntryInfo& piece : pieces_) size_ += piece.size;
}

std::unique_ptr<ByteReader> ZipContent::Open() const
{
    return std::make_unique<Reader>(std::static_pointer_cast<const ZipContent>(shared_from_this()));
}

std::unique_ptr<ByteReader> ZipContent::OpenStoredBytes() const
{
    const ZipEntryInfo* entry = SingleEntry();
    if (entry == nullptr) throw PackageError(partName_, "an interleaved part has no single stored entry");
    return std::make_unique<StoredBytesReader>(OpenEntry(*archive_, *entry, partName_, true));
}

bool KeptBytesBudget::Take(uint64_t bytes)
{
    uint64_t used = used_.load(std::memory_order_relaxed);
    do {
        if (bytes > limit_ || used > limit_ - bytes) return false;
    } while (!used_.compare_exchange_weak(used, used + bytes, std::memory_order_relaxed));
    return true;
}

class ZipContent::Kept : public ZipContent {
public:
    Kept(const ZipContent& stored, std::string bytes, std::shared_ptr<KeptBytesBudget> budget)
        : ZipContent(stored.archive_, stored.pieces_, stored.partName_),
          bytes_(std::move(bytes)),
          budget_(std::move(budget))
    {
        checked_.store(true, std::memory_order_release);
    }
    ~Kept() override { budget_->Give(bytes_.size()); }
    std::unique_ptr<ByteReader> Open() const override { return ReadKeptBytes(shared_from_this(), bytes_); }
    const std::string* KeptBytes() const override { return &bytes_; }

private:
    std::string bytes_;
    std::shared_ptr<KeptBytesBudget> budget_;
};

std::shared_ptr<const ZipContent> ZipContent::KeepingBytes(std::string bytes,
                                                           std::shared_ptr<KeptBytesBudget> budget) const
{
    return std::make_shared<Kept>(*this, std::move(bytes), std::move(budget));
}

namespace {

class Translating : public ByteReader {
public:
    Translating(std::unique_ptr<ByteReader> source, std::string from, std::string to,
                std::vector<std::string> telltales, std::shared_ptr<std::atomic<bool>> telltaleSeen)
        : source_(std::move(source)),
          from_(std::move(from)),
          to_(std::move(to)),
          telltales_(std::move(telltales)),
          telltaleSeen_(std::move(telltaleSeen))
    {
    }

    size_t Read(void* buffer, size_t count) override
    {
        auto* out = static_cast<char*>(buffer);
        size_t written = 0;
        while (written < count) {
            if (ready_ < output_.size()) {
                size_t take = std::min(count - written, output_.size() - ready_);
                std::memcpy(out + written, output_.data() + ready_, take);
                ready_ += take;
                written += take;
                continue;
            }
            if (!Refill()) break;
        }
        return written;
    }

private:
    // Translates the next block into output_. Bytes that could begin an
    // occurrence split across blocks stay in pending_ until more arrive.
    bool Refill()
    {
        output_.clear();
        ready_ = 0;
        if (!encodingKnown_) DetectEncoding();
        while (output_.empty()) {
            if (ended_) {
                if (pending_.empty()) return false;
                output_.swap(pending_);
                return true;
            }
            char block[65536];
            size_t got = source_->Read(block, sizeof block);
            if (got == 0) ended_ = true;
            pending_.append(block, got);
            if (telltaleSeen_ && !*telltaleSeen_ && HoldsTelltale()) *telltaleSeen_ = true;
            // Bytes that may begin a string split across blocks wait for
            // the next one.
            size_t longest = from_.size();
            for (const std::string& telltale : telltales_) longest = std::max(longest, telltale.size());
            size_t keep = ended_ ? 0 : longest - 1;
            size_t position = 0;
            for (size_t search = 0;;) {
                size_t found = pending_.find(from_, search);
                if (found == std::string::npos) break;
                search = found + 1;
                if (aligned_ && found % 2 != 0) continue;
                output_.append(pending_, position, found - position);
                output_ += to_;
                position = search = found + from_.size();
            }
            size_t safeEnd = pending_.size() > keep ? pending_.size() - keep : 0;
            if (aligned_) safeEnd &= ~size_t{1};
            if (safeEnd > position) {
                output_.append(pending_, position, safeEnd - position);
                position = safeEnd;
            }
            pending_.erase(0, position);
        }
        return true;
    }

    bool HoldsTelltale() const
    {
        for (const std::string& telltale : telltales_) {
            for (size_t found = pending_.find(telltale); found != std::string::npos;
                 found = pending_.find(telltale, found + 1)) {
                if (!aligned_ || found % 2 == 0) return true;
            }
        }
        return false;
    }

    // Markup may be UTF-16 (with its byte-order mark): the strings are
    // then matched and written in that encoding.
    void DetectEncoding()
    {
        encodingKnown_ = true;
        char head[2];
        size_t got = ReadFully(*source_, head, sizeof head);
        pending_.assign(head, got);
        if (got == 0) ended_ = true;
        if (got < 2) return;
        auto widen = [](const std::string& text, bool littleEndian) {
            std::string wide;
            for (char c : text) {
                wide.push_back(littleEndian ? c : '\0');
                wide.push_back(littleEndian ? '\0' : c);
            }
            return wide;
        };
        bool little = head[0] == '\xFF' && head[1] == '\xFE';
        bool big = head[0] == '\xFE' && head[1] == '\xFF';
        if (little || big) {
            from_ = widen(from_, little);
            to_ = widen(to_, little);
            for (std::string& telltale : telltales_) telltale = widen(telltale, little);
            // Matches start at even offsets only: keep the mark in the
            // output at once so that offsets stay aligned to code units.
            output_.assign(head, 2);
            pending_.clear();
            aligned_ = true;
        }
    }

    std::unique_ptr<ByteReader> source_;
    std::string from_;
    std::string to_;
    std::vector<std::string> telltales_;
    std::shared_ptr<std::atomic<bool>> telltaleSeen_;
    bool encodingKnown_ = false;
    bool aligned_ = false;  // UTF-16: occurrences count only at even offsets
    std::string pending_;
    std::string output_;
    size_t ready_ = 0;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<ByteReader> TranslatingReader(std::unique_ptr<ByteReader> source, std::string from, std::string to,
                                              std::vector<std::string> telltales,
                                              std::shared_ptr<std::atomic<bool>> telltaleSeen)
{
    return std::make_unique<Translating>(std::move(source), std::move(from), std::move(to), std::move(telltales),
                                         std::move(telltaleSeen));
}

TranslatedContent::TranslatedContent(std::shared_ptr<const PartContent> original, std::string from, std::string to,
                                     std::vector<std::string> telltales)
    : original_(std::move(original)), from_(std::move(from)), to_(std::move(to)), telltales_(std::move(telltales))
{
}

std::unique_ptr<ByteReader> TranslatedContent::Open() const
{
    return TranslatingReader(original_->Open(), from_, to_, telltales_, telltales_.empty() ? nullptr : telltaleSeen_);
}

std::optional<uint64_t> TranslatedContent::KnownSize() const
{
    if (from_.size() == to_.size()) return original_->KnownSize();
    return std::nullopt;
}

}  // namespace tav::host
