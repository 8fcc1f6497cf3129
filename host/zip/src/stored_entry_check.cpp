#include "tavzip/stored_entry_check.h"

#include <zlib.h>

#include <algorithm>

namespace tav::zip {

struct StoredEntryCheck::Inflater {
    z_stream stream{};
    bool ended = false;
    unsigned char scratch[65536];
};

StoredEntryCheck::StoredEntryCheck(const ZipEntryInfo& entry, std::string name)
    : entry_(entry), name_(std::move(name)), crc_(static_cast<uint32_t>(crc32(0, nullptr, 0)))
{
    if (entry_.method != ZipEntryInfo::kDeflated) return;
    inflater_ = std::make_unique<Inflater>();
    if (inflateInit2(&inflater_->stream, -15) != Z_OK) {
        inflater_.reset();
        Fail("cannot start inflating the zip entry");
    }
}

StoredEntryCheck::~StoredEntryCheck()
{
    if (inflater_) inflateEnd(&inflater_->stream);
}

void StoredEntryCheck::Fail(const std::string& reason) const { throw ZipError(name_, reason); }

void StoredEntryCheck::Count(const unsigned char* bytes, size_t count)
{
    size_ += count;
    if (size_ > entry_.size) {
        Fail("the zip entry inflates to more than its declared " + std::to_string(entry_.size) +
             " bytes (a zip bomb?)");
    }
    crc_ = static_cast<uint32_t>(crc32(crc_, bytes, static_cast<uInt>(count)));
}

void StoredEntryCheck::Feed(const void* bytes, size_t count)
{
    const auto* data = static_cast<const unsigned char*>(bytes);
    if (!inflater_) {
        while (count > 0) {
            size_t take = std::min<size_t>(count, 1u << 30);
            Count(data, take);
            data += take;
            count -= take;
        }
        return;
    }
    z_stream& stream = inflater_->stream;
    while (count > 0) {
        if (inflater_->ended) Fail("the zip entry has bytes after the end of its deflate data");
        size_t take = std::min<size_t>(count, 1u << 30);
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(take);
        while (stream.avail_in > 0 && !inflater_->ended) {
            stream.next_out = inflater_->scratch;
            stream.avail_out = sizeof inflater_->scratch;
            uInt before = stream.avail_in;
            int status = inflate(&stream, Z_NO_FLUSH);
            bool stuck = stream.avail_in == before && stream.avail_out == sizeof inflater_->scratch;
            if ((status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) ||
                (stuck && status != Z_STREAM_END)) {
                Fail("the zip entry holds no valid deflate data");
            }
            Count(inflater_->scratch, sizeof inflater_->scratch - stream.avail_out);
            if (status == Z_STREAM_END) inflater_->ended = true;
        }
        if (stream.avail_in > 0) Fail("the zip entry has bytes after the end of its deflate data");
        data += take;
        count -= take;
    }
}

void StoredEntryCheck::Finish()
{
    if (inflater_ && !inflater_->ended) {
        // The last bytes may still be inside the inflater's window.
        z_stream& stream = inflater_->stream;
        stream.next_in = nullptr;
        stream.avail_in = 0;
        for (;;) {
            stream.next_out = inflater_->scratch;
            stream.avail_out = sizeof inflater_->scratch;
            int status = inflate(&stream, Z_FINISH);
            Count(inflater_->scratch, sizeof inflater_->scratch - stream.avail_out);
            if (status == Z_STREAM_END) break;
            if (stream.avail_out != 0 || (status != Z_OK && status != Z_BUF_ERROR)) {
                Fail("the zip entry's deflate data ends early");
            }
        }
    }
    if (size_ != entry_.size) {
        Fail("the zip entry ends after " + std::to_string(size_) + " of its declared " + std::to_string(entry_.size) +
             " bytes");
    }
    if (crc_ != entry_.crc) Fail("the zip entry's CRC-32 does not match its content (a damaged entry)");
}

}  // namespace tav::zip
