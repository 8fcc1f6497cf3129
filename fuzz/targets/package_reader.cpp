// The package reader as tavpipe uses it, on a whole package: the zip
// directory and entries, content types, relationships, part names, the
// streamed pass over the sequence, documents and pages with their tickets
// and resources, and every part's bytes read to the end (sizes and CRC-32
// checked). A PackageError is the expected answer to a bad package;
// anything else that escapes is a finding.
//
// The mutator works on the entries of the archive most of the time and
// re-zips them, so that markup inside a valid archive gets mutated too.
#include <cstdint>
#include <cstring>
#include <random>

#include "content/failure_log.h"
#include "fuzz_support.h"
#include "opc/package_error.h"
#include "package/package.h"
#include "package/package_walker.h"
#include "zip_entries.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

using namespace tav::host;

// More than any part of a fuzz input; a reader that gives more is broken.
constexpr uint64_t kMaxReadBytes = uint64_t{256} << 20;

void ReadToEnd(const std::shared_ptr<const PartContent>& content)
{
    if (!content) return;
    std::unique_ptr<ByteReader> reader = content->Open();
    char block[16384];
    uint64_t total = 0;
    while (size_t got = reader->Read(block, sizeof block)) {
        total += got;
        if (total > kMaxReadBytes) __builtin_trap();
    }
}

void ReadPart(IUnknown* part)
{
    std::shared_ptr<PartData> data = HostDataOf(part);
    if (!data) return;
    ReadToEnd(data->Content());
    if (ComPtr<IPartPrintTicket> ticket = data->Ticket()) ReadPart(ticket.Get());
    for (const PageResource& resource : data->Resources()) ReadPart(resource.part.Get());
}

void ReadPackage(const std::string& path)
{
    try {
        std::shared_ptr<Package> package = Package::Open(path, ZipLimits{}, std::make_shared<FailureLog>());
        PackageWalker walker(package);
        while (ComPtr<IUnknown> part = walker.Next()) ReadPart(part.Get());
        for (const std::string& name : package->PartNames()) ReadToEnd(package->Content(name));
    } catch (const PackageError&) {
    }
}

// Changes one entry (its bytes or its name), drops, doubles or moves one.
bool MutateEntries(std::vector<tav::fuzz::ZipEntry>& entries, std::minstd_rand& random)
{
    if (entries.empty()) return false;
    tav::fuzz::ZipEntry& entry = entries[random() % entries.size()];
    switch (random() % 8) {
    case 0: {
        std::string& name = entry.name;
        size_t room = name.size() + 16;
        name.resize(room);
        name.resize(LLVMFuzzerMutate(reinterpret_cast<uint8_t*>(name.data()), room - 16, room));
        return !name.empty();
    }
    case 1: entries.erase(entries.begin() + (&entry - entries.data())); return true;
    case 2: entries.push_back(entry); return true;
    case 3: std::swap(entry, entries[random() % entries.size()]); return true;
    default: {
        std::string& bytes = entry.bytes;
        size_t used = bytes.size();
        size_t room = used + 64 + used / 4;
        bytes.resize(room);
        bytes.resize(LLVMFuzzerMutate(reinterpret_cast<uint8_t*>(bytes.data()), used, room));
        return true;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static tav::fuzz::InputFile input(".xps");
    tav::fuzz::EnsureComApartment();
    input.Write(data, size);
    ReadPackage(input.Path());
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed)
{
    std::minstd_rand random(seed);
    if (random() % 4 != 0) {
        auto entries = tav::fuzz::ReadZipEntries(data, size, maxSize);
        if (entries && MutateEntries(*entries, random)) {
            auto archive = tav::fuzz::WriteZipEntries(*entries, random() % 2 == 0);
            if (archive && archive->size() <= maxSize) {
                std::memcpy(data, archive->data(), archive->size());
                return archive->size();
            }
        }
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}
