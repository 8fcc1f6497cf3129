#include "name_table.h"

#include <cstring>

#include "text.h"

namespace tav::xml {

namespace {

// FNV-1a over the qualified name: names in different namespaces rarely
// share one, and the namespace is long.
uint32_t HashOf(std::string_view text)
{
    uint32_t hash = 2166136261u;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

uint64_t Load64(const char* bytes)
{
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Names are short and compared at every event: eight bytes at a time, the
// last eight overlapping those before, rather than a library call each.
bool EqualBytes(const char* a, const char* b, size_t count)
{
    if (count < 8) {
        for (size_t i = 0; i < count; ++i) {
            if (a[i] != b[i]) return false;
        }
        return true;
    }
    for (size_t i = 0; i + 8 < count; i += 8) {
        if (Load64(a + i) != Load64(b + i)) return false;
    }
    return Load64(a + count - 8) == Load64(b + count - 8);
}

bool Matches(const std::string& key, size_t qualifiedNameLength, const XmlName& name)
{
    return qualifiedNameLength == name.qualifiedName.size() &&
           key.size() == qualifiedNameLength + name.namespaceUri.size() &&
           EqualBytes(key.data(), name.qualifiedName.data(), qualifiedNameLength) &&
           EqualBytes(key.data() + qualifiedNameLength, name.namespaceUri.data(), name.namespaceUri.size());
}

}  // namespace

const WideName* NameTable::Find(const XmlName& name)
{
    uint32_t hash = HashOf(name.qualifiedName);
    if (slots_.empty()) Rehash(64);
    size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& candidate = slots_[slot];
        if (candidate.entry == nullptr) return Add(name, hash, slot);
        if (candidate.hash == hash && Matches(candidate.entry->key, candidate.entry->qualifiedNameLength, name))
            return &candidate.entry->name;
    }
}

const WideName* NameTable::Add(const XmlName& name, uint32_t hash, size_t slot)
{
    if (entries_.size() >= maxNames_ || name.qualifiedName.size() + name.namespaceUri.size() > kMaxNameBytes)
        return nullptr;
    auto entry = std::make_unique<Entry>();
    entry->key.reserve(name.qualifiedName.size() + name.namespaceUri.size());
    entry->key.append(name.qualifiedName).append(name.namespaceUri);
    entry->qualifiedNameLength = name.qualifiedName.size();
    // The local name is the end of the qualified name, but each text gets
    // a terminator of its own.
    std::u16string& text = entry->text;
    text.resize(name.namespaceUri.size() + name.localName.size() + name.qualifiedName.size() + 3);
    size_t uriLength = Utf8ToUtf16(name.namespaceUri, text.data());
    text[uriLength] = 0;
    size_t localStart = uriLength + 1;
    size_t localLength = Utf8ToUtf16(name.localName, text.data() + localStart);
    text[localStart + localLength] = 0;
    size_t qualifiedStart = localStart + localLength + 1;
    size_t qualifiedLength = Utf8ToUtf16(name.qualifiedName, text.data() + qualifiedStart);
    text[qualifiedStart + qualifiedLength] = 0;
    const char16_t* base = text.data();
    entry->name = {{base, uriLength}, {base + localStart, localLength}, {base + qualifiedStart, qualifiedLength}};

    slots_[slot] = {entry.get(), hash};
    entries_.push_back(std::move(entry));
    if (2 * entries_.size() > slots_.size()) Rehash(2 * slots_.size());
    return &entries_.back()->name;
}

void NameTable::Rehash(size_t slotCount)
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(slotCount, Slot{});
    size_t mask = slotCount - 1;
    for (const Slot& moved : old) {
        if (moved.entry == nullptr) continue;
        size_t slot = moved.hash & mask;
        while (slots_[slot].entry != nullptr) slot = (slot + 1) & mask;
        slots_[slot] = moved;
    }
}

}  // namespace tav::xml
