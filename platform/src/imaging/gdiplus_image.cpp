#include "platform/gdiplus_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "../core/stream_bytes.h"
#include "decoded_image.h"
#include "image_decoders.h"
#include "platform/base.h"
#include "platform/gdiplus.h"
#include "png_encoder.h"

namespace Gdiplus {

struct GpImage {
    tav::imaging::DecodedImage pixels;
};

namespace {

using tav::imaging::DecodedImage;
using tav::imaging::ImageFailure;
using tav::imaging::ImageOutcome;
using tav::imaging::kMaxImageFileBytes;

thread_local std::string lastFailureReason;

Status Succeed()
{
    lastFailureReason.clear();
    return Ok;
}

// The system error that goes with a failure of the image itself, so that a
// caller that turns the thread's last error into its result reports this
// failure and not an earlier one. Failures of the file or stream set their
// own system error before they get here.
void SetLastErrorForImageFailure(Status status)
{
    switch (status) {
    case InvalidParameter: SetLastError(ERROR_INVALID_PARAMETER); break;
    case OutOfMemory: SetLastError(ERROR_OUTOFMEMORY); break;
    case UnknownImageFormat: SetLastError(ERROR_NOT_SUPPORTED); break;
    case GenericError:
    case ValueOverflow: SetLastError(ERROR_INVALID_DATA); break;
    default: break;
    }
}

Status Fail(const ImageOutcome& outcome)
{
    lastFailureReason = outcome.reason;
    SetLastErrorForImageFailure(outcome.status);
    return outcome.status;
}

Status Fail(Status status, const char* reason) { return Fail(ImageFailure(status, reason)); }

// Checked by every function, as an imaging library that was not started
// has nothing to work with.
bool Started() { return GdiplusActiveStartups() > 0; }

constexpr CLSID kPngEncoderClsid = {0x6A3C1E50, 0x2B7D, 0x4F0E, {0x9C, 0x41, 0x8E, 0x5D, 0x2F, 0x7A, 0x0B, 0x13}};
constexpr GUID kPngFormat = {0x3F2D9A61, 0x74C8, 0x4B5E, {0xA1, 0x07, 0x52, 0xC6, 0x9E, 0x3B, 0xD4, 0x28}};
constexpr char16_t kCodecName[] = u"Built-in PNG Codec";
constexpr char16_t kFormatDescription[] = u"PNG";
constexpr char16_t kFilenameExtension[] = u"*.PNG";
constexpr char16_t kMimeType[] = u"image/png";
constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr BYTE kPngSignatureMask[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr UINT kEncodersBufferBytes = sizeof(ImageCodecInfo) + sizeof kCodecName + sizeof kFormatDescription +
                                      sizeof kFilenameExtension + sizeof kMimeType + sizeof kPngSignature +
                                      sizeof kPngSignatureMask;

// Copies the value behind *cursor and moves the cursor past it.
template <class T, size_t N>
const T* Place(BYTE** cursor, const T (&value)[N])
{
    std::memcpy(*cursor, value, sizeof value);
    const T* placed = reinterpret_cast<const T*>(*cursor);
    *cursor += sizeof value;
    return placed;
}

Status FailForSystemError(int error, const char* what)
{
    const bool missing = error == ENOENT || error == ENOTDIR;
    const bool denied = error == EACCES || error == EPERM;
    SetLastError(missing ? ERROR_FILE_NOT_FOUND : denied ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
    const Status status = missing ? FileNotFound : denied ? AccessDenied : Win32Error;
    return Fail(status, (std::string(what) + ": " + std::strerror(error)).c_str());
}

class FileDescriptor {
public:
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor()
    {
        if (descriptor_ >= 0) close(descriptor_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

// The whole file, which must be a regular file of at most
// kMaxImageFileBytes. Opening does not wait on a pipe.
Status ReadImageFile(const WCHAR* filename, std::string* bytes)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, filename, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return Fail(InvalidParameter, "the file name is not valid text");
    std::string path(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, filename, -1, path.data(), length, nullptr, nullptr);
    FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) return FailForSystemError(errno, "the file cannot be opened");
    struct stat status {};
    if (fstat(file.get(), &status) != 0) return FailForSystemError(errno, "the file cannot be read");
    if (!S_ISREG(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return Fail(AccessDenied, "it is not a regular file");
    }
    if (static_cast<uint64_t>(status.st_size) > kMaxImageFileBytes) {
        return Fail(ValueOverflow, ("the file has " + std::to_string(status.st_size) + " bytes, more than the " +
                                    std::to_string(kMaxImageFileBytes) + " an image file may have")
                                       .c_str());
    }
    bytes->resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t got = read(file.get(), bytes->data() + done, bytes->size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FailForSystemError(errno, "the file cannot be read");
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    bytes->resize(done);
    return Ok;
}

Status MakeImage(const std::string& bytes, GpImage** image)
{
    auto* made = new (std::nothrow) GpImage;
    if (made == nullptr) return Fail(OutOfMemory, "no memory for the image");
    const ImageOutcome outcome =
        tav::imaging::DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &made->pixels);
    if (outcome.Failed()) {
        delete made;
        return Fail(outcome);
    }
    *image = made;
    return Succeed();
}

}  // namespace

Status GdipLoadImageFromFile(const WCHAR* filename, GpImage** image)
{
    if (filename == nullptr || image == nullptr) return Fail(InvalidParameter, "no file or no place for the image");
    *image = nullptr;
    if (!Started()) return Fail(GdiplusNotInitialized, "the imaging library was not started");
    std::string bytes;
    try {
        const Status status = ReadImageFile(filename, &bytes);
        if (status != Ok) return status;
        return MakeImage(bytes, image);
    } catch (const std::bad_alloc&) {
        return Fail(OutOfMemory, "no memory to read the image file");
    }
}

Status GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap)
{
    if (stream == nullptr || bitmap == nullptr) return Fail(InvalidParameter, "no stream or no place for the image");
    *bitmap = nullptr;
    if (!Started()) return Fail(GdiplusNotInitialized, "the imaging library was not started");
    std::string bytes;
    try {
        const HRESULT hr = tav::ReadStreamToEnd(stream, kMaxImageFileBytes, &bytes);
        if (hr == STG_E_MEDIUMFULL) return Fail(ValueOverflow, "the image data is larger than an image file may be");
        if (FAILED(hr)) {
            SetLastError(ERROR_READ_FAULT);
            return Fail(Win32Error, "the image data cannot be read from its stream");
        }
        return MakeImage(bytes, bitmap);
    } catch (const std::bad_alloc&) {
        return Fail(OutOfMemory, "no memory to read the image data");
    }
}

Status GdipDisposeImage(GpImage* image)
{
    if (image == nullptr) return Fail(InvalidParameter, "no image");
    delete image;
    return Succeed();
}

Status GdipGetImageWidth(GpImage* image, UINT* width)
{
    if (image == nullptr || width == nullptr) return Fail(InvalidParameter, "no image or no place for its width");
    *width = image->pixels.width;
    return Succeed();
}

Status GdipGetImageHeight(GpImage* image, UINT* height)
{
    if (image == nullptr || height == nullptr) return Fail(InvalidParameter, "no image or no place for its height");
    *height = image->pixels.height;
    return Succeed();
}

Status GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution)
{
    if (image == nullptr || resolution == nullptr)
        return Fail(InvalidParameter, "no image or no place for its resolution");
    *resolution = static_cast<REAL>(image->pixels.dpiX);
    return Succeed();
}

Status GdipGetImageVerticalResolution(GpImage* image, REAL* resolution)
{
    if (image == nullptr || resolution == nullptr)
        return Fail(InvalidParameter, "no image or no place for its resolution");
    *resolution = static_cast<REAL>(image->pixels.dpiY);
    return Succeed();
}

Status GdipGetImageEncodersSize(UINT* numEncoders, UINT* size)
{
    if (numEncoders == nullptr || size == nullptr)
        return Fail(InvalidParameter, "no place for the encoder list's size");
    if (!Started()) return Fail(GdiplusNotInitialized, "the imaging library was not started");
    *numEncoders = 1;
    *size = kEncodersBufferBytes;
    return Succeed();
}

Status GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders)
{
    if (encoders == nullptr || numEncoders != 1 || size != kEncodersBufferBytes) {
        return Fail(InvalidParameter, "the encoder list's buffer does not have the size it was given");
    }
    if (!Started()) return Fail(GdiplusNotInitialized, "the imaging library was not started");
    ImageCodecInfo& png = encoders[0];
    png = ImageCodecInfo{};
    png.Clsid = kPngEncoderClsid;
    png.FormatID = kPngFormat;
    png.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    png.Version = 1;
    png.SigCount = 1;
    png.SigSize = sizeof kPngSignature;
    BYTE* cursor = reinterpret_cast<BYTE*>(encoders + 1);
    png.CodecName = Place(&cursor, kCodecName);
    png.FormatDescription = Place(&cursor, kFormatDescription);
    png.FilenameExtension = Place(&cursor, kFilenameExtension);
    png.MimeType = Place(&cursor, kMimeType);
    png.SigPattern = Place(&cursor, kPngSignature);
    png.SigMask = Place(&cursor, kPngSignatureMask);
    return Succeed();
}

Status GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* clsidEncoder,
                             const EncoderParameters* encoderParams)
{
    if (image == nullptr || stream == nullptr || clsidEncoder == nullptr) {
        return Fail(InvalidParameter, "no image, no stream or no encoder");
    }
    if (encoderParams != nullptr && encoderParams->Count != 0) {
        return Fail(InvalidParameter, "the PNG encoder takes no parameters");
    }
    if (!Started()) return Fail(GdiplusNotInitialized, "the imaging library was not started");
    if (*clsidEncoder != kPngEncoderClsid) return Fail(FileNotFound, "there is no such encoder");
    try {
        std::string png;
        const ImageOutcome outcome = tav::imaging::EncodePng(image->pixels, &png);
        if (outcome.Failed()) return Fail(outcome);
        if (FAILED(tav::WriteStreamFully(stream, png))) {
            SetLastError(ERROR_WRITE_FAULT);
            return Fail(Win32Error, "the PNG data cannot be written to its stream");
        }
        return Succeed();
    } catch (const std::bad_alloc&) {
        return Fail(OutOfMemory, "no memory to encode the PNG image");
    }
}

std::string LastImageFailureReason() { return lastFailureReason; }

}  // namespace Gdiplus
