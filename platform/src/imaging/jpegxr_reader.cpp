#include "jpegxr_reader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "jpegxr_directory.h"

#include <JXRGlue.h>
#undef min
#undef max

namespace tav::imaging {

namespace {

// The file's bytes as a jxrlib stream, with the checked copy of its
// directory in place of the file's own. A read that starts at or past the
// end fails; one that runs past it is filled with zeros, as jxrlib reads
// ahead of the data it decodes.
struct ByteSource {
    WMPStream stream;
    const uint8_t* data;
    size_t size;
    size_t position;
    const JpegXrDirectory* directory;
};

ByteSource* SourceOf(WMPStream* stream) { return reinterpret_cast<ByteSource*>(stream); }

ERR CloseSource(WMPStream** stream)
{
    *stream = nullptr;
    return WMP_errSuccess;
}

Bool SourceAtEnd(WMPStream* stream) { return SourceOf(stream)->position >= SourceOf(stream)->size; }

ERR ReadSource(WMPStream* stream, void* out, size_t count)
{
    ByteSource* source = SourceOf(stream);
    if (source->position >= source->size) return WMP_errFileIO;
    const size_t available = source->size - source->position;
    const size_t taken = count < available ? count : available;
    std::memcpy(out, source->data + source->position, taken);
    std::memset(static_cast<uint8_t*>(out) + taken, 0, count - taken);
    if (const JpegXrDirectory* directory = source->directory) {
        const size_t begin = std::max(source->position, directory->offset);
        const size_t end = std::min(source->position + taken, directory->offset + directory->bytes.size());
        if (begin < end)
            std::memcpy(static_cast<uint8_t*>(out) + (begin - source->position),
                        directory->bytes.data() + (begin - directory->offset), end - begin);
    }
    source->position += taken;
    return WMP_errSuccess;
}

ERR WriteSource(WMPStream*, const void*, size_t) { return WMP_errFileIO; }

ERR SetSourcePosition(WMPStream* stream, size_t position)
{
    SourceOf(stream)->position = position;
    return WMP_errSuccess;
}

ERR GetSourcePosition(WMPStream* stream, size_t* position)
{
    *position = SourceOf(stream)->position;
    return WMP_errSuccess;
}

std::string Damaged(const char* what, ERR error)
{
    return std::string("the JPEG XR image is damaged: ") + what + " (jxrlib error " + std::to_string(error) + ")";
}

}  // namespace

struct JpegXrReader::State {
    ByteSource source;
    std::optional<JpegXrDirectory> directory;
    PKImageDecode* decoder = nullptr;
    // A failed decode leaves jxrlib's decoding state behind.
    bool decodeFailed = false;
};

JpegXrReader::JpegXrReader(const uint8_t* data, size_t size) : state_(std::make_unique<State>())
{
    ByteSource& source = state_->source;
    std::memset(&source, 0, sizeof source);
    source.stream.Close = CloseSource;
    source.stream.EOS = SourceAtEnd;
    source.stream.Read = ReadSource;
    source.stream.Write = WriteSource;
    source.stream.SetPos = SetSourcePosition;
    source.stream.GetPos = GetSourcePosition;
    source.data = data;
    source.size = size;
}

JpegXrReader::~JpegXrReader()
{
    PKImageDecode* decoder = state_->decoder;
    if (decoder == nullptr) return;
    if (state_->decodeFailed) {
        if (decoder->WMP.ctxSC != nullptr) ImageStrDecTerm(decoder->WMP.ctxSC);
        if (decoder->WMP.ctxSC_Alpha != nullptr) ImageStrDecTerm(decoder->WMP.ctxSC_Alpha);
    }
    decoder->Release(&state_->decoder);
}

bool JpegXrReader::Open(std::string* reason)
{
    state_->directory = KeptJpegXrDirectory(state_->source.data, state_->source.size, reason);
    if (!state_->directory) return false;
    state_->source.directory = &*state_->directory;
    ERR error = PKImageDecode_Create_WMP(&state_->decoder);
    if (error < 0) {
        *reason = "no memory to read the JPEG XR image";
        return false;
    }
    PKImageDecode* decoder = state_->decoder;
    error = decoder->Initialize(decoder, &state_->source.stream);
    if (error < 0) {
        *reason = Damaged("its header cannot be read", error);
        return false;
    }
    const size_t size = state_->source.size;
    const WmpDEMisc& misc = decoder->WMP.wmiDEMisc;
    // jxrlib does not report the alpha plane's length reliably; it must at
    // least start inside the file.
    if (misc.uImageByteCount == 0 || uint64_t{misc.uImageOffset} + misc.uImageByteCount > size ||
        (decoder->WMP.bHasAlpha && misc.uAlphaOffset >= size)) {
        *reason = "the JPEG XR image is damaged: the data ends early";
        return false;
    }
    // Decode the alpha plane along with the image.
    decoder->WMP.wmiSCP.uAlphaMode = decoder->WMP.bHasAlpha ? 2 : 0;
    PKPixelFormatGUID format{};
    I32 width = 0;
    I32 height = 0;
    decoder->GetPixelFormat(decoder, &format);
    decoder->GetSize(decoder, &width, &height);
    decoder->GetResolution(decoder, &dpiX_, &dpiY_);
    if (width <= 0 || height <= 0) {
        *reason = "the JPEG XR image has no pixels";
        return false;
    }
    width_ = static_cast<uint32_t>(width);
    height_ = static_cast<uint32_t>(height);
    PKPixelInfo info{};
    info.pGUIDPixFmt = &format;
    PKPixelFormatGUID family = format;
    family.Data4[7] = 0;
    if (std::memcmp(&family, &GUID_PKPixelFormatDontCare, sizeof family) == 0 &&
        PixelFormatLookup(&info, LOOKUP_FORWARD) >= 0) {
        formatNumber_ = format.Data4[7];
        bitsPerPixel_ = info.cbitUnit;
    }
    return true;
}

bool JpegXrReader::ReadProfile(std::string* profile, std::string* reason)
{
    PKImageDecode* decoder = state_->decoder;
    U32 size = 0;
    if (decoder->GetColorContext(decoder, nullptr, &size) < 0 || size == 0) return true;
    if (uint64_t{decoder->WMP.wmiDEMisc.uColorProfileOffset} + size > state_->source.size) {
        *reason = "the JPEG XR image is damaged: its colour profile ends early";
        return false;
    }
    profile->assign(size, '\0');
    const ERR error = decoder->GetColorContext(decoder, reinterpret_cast<U8*>(profile->data()), &size);
    if (error < 0) {
        *reason = Damaged("its colour profile cannot be read", error);
        return false;
    }
    profile->resize(size);
    return true;
}

bool JpegXrReader::Decode(uint8_t* pixels, size_t stride, std::string* reason)
{
    PKImageDecode* decoder = state_->decoder;
    const PKRect whole = {0, 0, static_cast<I32>(width_), static_cast<I32>(height_)};
    const ERR error = decoder->Copy(decoder, &whole, pixels, static_cast<U32>(stride));
    if (error < 0) {
        state_->decodeFailed = true;
        *reason = Damaged("its pixels cannot be decoded", error);
        return false;
    }
    return true;
}

}  // namespace tav::imaging
