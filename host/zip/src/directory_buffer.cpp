#include "tavzip/directory_buffer.h"

namespace tav::zip {
namespace {

class MemoryDirectoryBuffer : public DirectoryBuffer {
public:
    void Append(const std::string& record) override { records_ += record; }
    void WriteOut(const Sink& sink) override { sink(records_.data(), records_.size()); }

private:
    std::string records_;
};

}  // namespace

std::unique_ptr<DirectoryBuffer> MemoryDirectory() { return std::make_unique<MemoryDirectoryBuffer>(); }

}  // namespace tav::zip
