#include "byte_source.h"

#include <algorithm>
#include <cstring>

namespace tav::xml {

HRESULT StreamSource::Read(void* buffer, ULONG capacity, ULONG* read)
{
    *read = 0;
    ULONG got = 0;
    HRESULT hr = stream_->Read(buffer, capacity, &got);
    if (FAILED(hr)) return hr;
    *read = std::min(got, capacity);
    return S_OK;
}

HRESULT MemorySource::Read(void* buffer, ULONG capacity, ULONG* read)
{
    size_t count = std::min<size_t>(capacity, size_ - position_);
    if (count != 0) std::memcpy(buffer, bytes_ + position_, count);
    position_ += count;
    *read = static_cast<ULONG>(count);
    return S_OK;
}

FileSource::FileSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}

FileSource::~FileSource()
{
    if (file_ != nullptr) std::fclose(file_);
}

HRESULT FileSource::Read(void* buffer, ULONG capacity, ULONG* read)
{
    size_t got = std::fread(buffer, 1, capacity, file_);
    *read = static_cast<ULONG>(got);
    return got == 0 && std::ferror(file_) ? STG_E_READFAULT : S_OK;
}

}  // namespace tav::xml
