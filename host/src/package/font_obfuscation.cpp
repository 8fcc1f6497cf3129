#include "package/font_obfuscation.h"

#include <string>

#include "platform/guid.h"

namespace tav::host {
namespace {

constexpr uint64_t kObfuscatedLength = 32;

class Obfuscating : public ByteReader {
public:
    Obfuscating(std::unique_ptr<ByteReader> content, const FontKey& key) : content_(std::move(content)), key_(key) {}
    size_t Read(void* buffer, size_t count) override
    {
        size_t got = content_->Read(buffer, count);
        ObfuscateFontBytes(static_cast<uint8_t*>(buffer), got, position_, key_);
        position_ += got;
        return got;
    }

private:
    std::unique_ptr<ByteReader> content_;
    FontKey key_;
    uint64_t position_ = 0;
};

}  // namespace

std::optional<FontKey> FontObfuscationKey(std::string_view partName)
{
    std::string_view stem = partName.substr(partName.rfind('/') + 1);
    stem = stem.substr(0, stem.rfind('.'));
    // Only the text forms of a GUID: 36 characters, or 38 with braces.
    if (stem.size() != 36 && stem.size() != 38) return std::nullopt;
    GUID guid{};
    if (!GuidFromString(std::string(stem).c_str(), &guid)) return std::nullopt;
    // The bytes in the order the text writes them: Data1, Data2 and Data3
    // with their highest byte first, then Data4.
    FontKey written = {static_cast<uint8_t>(guid.Data1 >> 24), static_cast<uint8_t>(guid.Data1 >> 16),
                       static_cast<uint8_t>(guid.Data1 >> 8),  static_cast<uint8_t>(guid.Data1),
                       static_cast<uint8_t>(guid.Data2 >> 8),  static_cast<uint8_t>(guid.Data2),
                       static_cast<uint8_t>(guid.Data3 >> 8),  static_cast<uint8_t>(guid.Data3)};
    for (int i = 0; i < 8; ++i) written[8 + i] = guid.Data4[i];
    FontKey key;
    for (size_t i = 0; i < key.size(); ++i) key[i] = written[key.size() - 1 - i];
    return key;
}

void ObfuscateFontBytes(uint8_t* data, size_t length, uint64_t start, const FontKey& key)
{
    for (uint64_t offset = start; offset < kObfuscatedLength && offset - start < length; ++offset) {
        data[offset - start] ^= key[offset % key.size()];
    }
}

std::unique_ptr<ByteReader> ObfuscatingReader(std::unique_ptr<ByteReader> content, const FontKey& key)
{
    return std::make_unique<Obfuscating>(std::move(content), key);
}

}  // namespace tav::host
