#include "stream_bytes.h"

#include <algorithm>

namespace tav {

HRESULT ReadStreamToEnd(IStream* stream, size_t limit, std::string* bytes)
{
    constexpr ULONG kBlock = 64 * 1024;
    bytes->clear();
    // Reads until a read returns nothing: a short read alone does not prove
    // the end for every kind of stream.
    for (;;) {
        size_t used = bytes->size();
        bytes->resize(used + kBlock);
        ULONG read = 0;
        HRESULT hr = stream->Read(bytes->data() + used, kBlock, &read);
        read = std::min(read, kBlock);
        bytes->resize(used + read);
        if (FAILED(hr)) return hr;
        if (read == 0) return S_OK;
        if (bytes->size() > limit) return STG_E_MEDIUMFULL;
    }
}

HRESULT WriteStreamFully(ISequentialStream* stream, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ULONG chunk = static_cast<ULONG>(std::min<size_t>(bytes.size() - done, 1u << 20));
        ULONG written = 0;
        HRESULT hr = stream->Write(bytes.data() + done, chunk, &written);
        if (FAILED(hr)) return hr;
        if (written == 0 || written > chunk) return STG_E_WRITEFAULT;
        done += written;
    }
    return S_OK;
}

}  // namespace tav
