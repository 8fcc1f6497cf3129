// GDI+ images: PNG, JPEG, TIFF, BMP and GIF files and streams loaded as
// bitmaps, their size and resolution, and the PNG encoder that saves an
// image into a stream.
//
// A file or stream is read whole, up to 128 MiB, and an image may have at
// most 30,000 pixels a side and 40 million in all; larger ones are refused
// before their pixels are decoded. Every function needs a GdiplusStartup
// that is not yet shut down (GdiplusNotInitialized otherwise). A failing
// function also leaves on its thread the reason of the failure, for the
// message to the user (LastImageFailureReason).
#pragma once

#include <string>

#include "platform/gdiplus_types.h"
#include "platform/guid.h"
#include "platform/stream.h"

namespace Gdiplus {

// A loaded image; here every image is a bitmap.
struct GpImage;
using GpBitmap = GpImage;

constexpr DWORD ImageCodecFlagsEncoder = 0x00000001;
constexpr DWORD ImageCodecFlagsSupportBitmap = 0x00000004;
constexpr DWORD ImageCodecFlagsBuiltin = 0x00010000;

// An image encoder. The strings and signature arrays live in the buffer that
// GdipGetImageEncoders filled.
struct ImageCodecInfo {
    CLSID Clsid;
    GUID FormatID;
    const WCHAR* CodecName;
    const WCHAR* DllName;
    const WCHAR* FormatDescription;
    const WCHAR* FilenameExtension;
    const WCHAR* MimeType;
    DWORD Flags;
    DWORD Version;
    DWORD SigCount;
    DWORD SigSize;
    const BYTE* SigPattern;
    const BYTE* SigMask;
};

struct EncoderParameter {
    GUID Guid;
    ULONG NumberOfValues;
    ULONG Type;
    void* Value;
};

struct EncoderParameters {
    UINT Count;
    EncoderParameter Parameter[1];
};

// Loads the image file (a UTF-16 path). FileNotFound, AccessDenied or
// Win32Error when the file cannot be read; UnknownImageFormat for a file of
// no known format or an unsupported variant; ValueOverflow for a file or
// image past the limits; GenericError for damaged data; OutOfMemory. Each
// failure also sets the thread's last error: ERROR_FILE_NOT_FOUND,
// ERROR_ACCESS_DENIED, ERROR_READ_FAULT, ERROR_NOT_SUPPORTED,
// ERROR_INVALID_DATA (too large or damaged), ERROR_OUTOFMEMORY.
Status GdipLoadImageFromFile(const WCHAR* filename, GpImage** image);
// Loads an image from the stream's current position to its end, with the
// same results.
Status GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
// Releases an image; a null image is InvalidParameter.
Status GdipDisposeImage(GpImage* image);

Status GdipGetImageWidth(GpImage* image, UINT* width);
Status GdipGetImageHeight(GpImage* image, UINT* height);
// Dots per inch as the file gives them; 0 when it gives none.
Status GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution);
Status GdipGetImageVerticalResolution(GpImage* image, REAL* resolution);

// The encoders: their number and the bytes a buffer for them needs. There
// is one, the PNG encoder ("image/png").
Status GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);
// Fills a buffer of size bytes; InvalidParameter unless numEncoders and size
// are those GdipGetImageEncodersSize gave.
Status GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);

// Writes the image into the stream at its position with the encoder of
// that class identifier: 8-bit RGB, or RGBA when the image has transparency,
// with its resolution when it has one. The encoder takes no parameters
// (InvalidParameter for a non-empty list); an unknown encoder is
// FileNotFound; a failing stream Win32Error.
Status GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* clsidEncoder,
                             const EncoderParameters* encoderParams);

// What was wrong in the last failed call of the functions above on this
// thread, in words ("the PNG image is damaged: the data ends early"); empty
// after a call that succeeded.
std::string LastImageFailureReason();

}  // namespace Gdiplus
