#include "package/spilled_directory.h"

#include "content/spill_buffer.h"

namespace tav::host {
namespace {

class SpilledDirectoryBuffer : public zip::DirectoryBuffer {
public:
    void Append(const std::string& record) override { records_.Append(record); }
    void WriteOut(const Sink& sink) override
    {
        std::unique_ptr<ByteReader> reader = records_.Finish()->Open();
        char block[65536];
        while (size_t got = reader->Read(block, sizeof block)) sink(block, got);
    }

private:
    SpillBuffer records_;
};

}  // namespace

std::unique_ptr<zip::DirectoryBuffer> SpilledDirectory() { return std::make_unique<SpilledDirectoryBuffer>(); }

}  // namespace tav::host
