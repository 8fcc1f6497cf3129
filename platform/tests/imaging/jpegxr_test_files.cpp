// JPEG XR files through jxrlib's encoder, lossless, into memory. jxrlib's
// headers are kept apart from every other header, as in the decoder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "native_test_files.h"

#include <JXRGlue.h>
#undef min
#undef max

namespace imagetest {

namespace {

// A stream that writes into a growing string.
struct StringSink {
    WMPStream stream;
    std::string bytes;
    size_t position = 0;
};

StringSink* SinkOf(WMPStream* stream) { return reinterpret_cast<StringSink*>(stream); }

ERR CloseSink(WMPStream** stream)
{
    *stream = nullptr;
    return WMP_errSuccess;
}
Bool SinkAtEnd(WMPStream* stream) { return SinkOf(stream)->position >= SinkOf(stream)->bytes.size(); }
ERR ReadSink(WMPStream*, void*, size_t) { return WMP_errFileIO; }
ERR WriteSink(WMPStream* stream, const void* data, size_t count)
{
    StringSink* sink = SinkOf(stream);
    if (sink->bytes.size() < sink->position + count) sink->bytes.resize(sink->position + count);
    std::memcpy(sink->bytes.data() + sink->position, data, count);
    sink->position += count;
    return WMP_errSuccess;
}
ERR SetSinkPosition(WMPStream* stream, size_t position)
{
    SinkOf(stream)->position = position;
    return WMP_errSuccess;
}
ERR GetSinkPosition(WMPStream* stream, size_t* position)
{
    *position = SinkOf(stream)->position;
    return WMP_errSuccess;
}

void Check(ERR error, const char* what)
{
    if (error < 0) throw std::runtime_error(std::string("jxrlib: ") + what + " failed: " + std::to_string(error));
}

}  // namespace

std::string JpegXr(uint32_t width, uint32_t height, uint8_t formatNumber, const std::string& pixels, float dpiX,
                   float dpiY, const std::string& profile)
{
    StringSink sink;
    std::memset(&sink.stream, 0, sizeof sink.stream);
    sink.stream.Close = CloseSink;
    sink.stream.EOS = SinkAtEnd;
    sink.stream.Read = ReadSink;
    sink.stream.Write = WriteSink;
    sink.stream.SetPos = SetSinkPosition;
    sink.stream.GetPos = GetSinkPosition;
    PKPixelFormatGUID format = GUID_PKPixelFormatDontCare;
    format.Data4[7] = formatNumber;
    PKPixelInfo info{};
    info.pGUIDPixFmt = &format;
    Check(PixelFormatLookup(&info, LOOKUP_FORWARD), "PixelFormatLookup");
    PKImageEncode* encoder = nullptr;
    Check(PKImageEncode_Create_WMP(&encoder), "PKImageEncode_Create_WMP");
    CWMIStrCodecParam parameters{};
    // Grey, CMYK and n-channel images are coded as such, colour as YUV 4:4:4.
    const COLORFORMAT own = info.cfColorFormat;
    parameters.cfColorFormat = own == Y_ONLY || own == CMYK || own == NCOMPONENT ? own : YUV_444;
    parameters.bdBitDepth = BD_LONG;
    parameters.bfBitstreamFormat = FREQUENCY;
    parameters.bProgressiveMode = TRUE;
    parameters.olOverlap = OL_ONE;
    parameters.sbSubband = SB_ALL;
    // Planar alpha for the formats that have it; quantisation 1 is lossless.
    parameters.uAlphaMode = (info.grBit & PK_pixfmtHasAlpha) != 0 ? 2 : 0;
    parameters.uiDefaultQPIndex = 1;
    parameters.uiDefaultQPIndexAlpha = 1;
    try {
        Check(encoder->Initialize(encoder, &sink.stream, &parameters, sizeof parameters), "Initialize");
        Check(encoder->SetPixelFormat(encoder, format), "SetPixelFormat");
        Check(encoder->SetSize(encoder, static_cast<I32>(width), static_cast<I32>(height)), "SetSize");
        if (dpiX != 0) Check(encoder->SetResolution(encoder, dpiX, dpiY), "SetResolution");
        if (!profile.empty()) {
            Check(encoder->SetColorContext(encoder, reinterpret_cast<const U8*>(profile.data()),
                                           static_cast<U32>(profile.size())),
                  "SetColorContext");
        }
        std::string rows = pixels;
        Check(encoder->WritePixels(encoder, height, reinterpret_cast<U8*>(rows.data()),
                                   static_cast<U32>(pixels.size() / height)),
              "WritePixels");
    } catch (...) {
        encoder->Release(&encoder);
        throw;
    }
    encoder->Release(&encoder);
    return sink.bytes;
}

}  // namespace imagetest
