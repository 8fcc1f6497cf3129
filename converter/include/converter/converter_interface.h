// The calls between the rip filter (tavrip) and a device converter pair:
// libpcorectl.so (job control and output) and libpcoreconv.so (page
// conversion). The rip filter loads both from "<printer-driver
// directory>/3" and calls them as declared here; every converter this
// project ships (the recording one and the rendering one) exports exactly
// these names with C linkage, and any substitute must too.
//
// Call order for a job:
//   PrnCtrlOpen, PrnCtrlXPS2SPDLOpen, GetConvCntFromSPDLCnt;
//   for each page: DevModeSet, then (libpcoreconv.so loaded for the page)
//     XpsSetConvResAPI, XpsSetPageDevice, then for every element
//     XPSStartElem, its attributes last to first through XPSReadAtt, its
//     children, and XPSEndCurElem (no children) or XPSEndElem; the elements
//     of a resource dictionary that the page references by Source follow
//     right after the end of the referencing ResourceDictionary element;
//     libpcoreconv.so is unloaded after each page, so it keeps nothing of its
//     own between pages: whatever lives longer belongs to the context;
//   PrnCtrlXPS2SPDLClose, PrnCtrlClose.
//
// The converter returns what it makes through the write callback as output
// records (an 8-byte header: 32-bit type, of which only the low byte counts,
// and 32-bit payload length; then the payload): type 0 printer-language
// bytes, type 1 a file path (UTF-16 with a terminator, at most 259
// characters) of a manual duplex second-pass file. A header never spans two
// calls; a payload may. Types 2 and 3 are this project's own: a converter
// explains itself to the user with them, and a filter that does not know
// them skips them as it skips every other type. Type 2 is a warning about a
// job that goes on, type 3 the reason of the refusal that follows it (the
// page and what is wrong with it); both are UTF-8 text of one line.
#pragma once

#include <cstdint>

#include "platform/devmode.h"
#include "platform/types.h"

// The names of the two libraries in the converter folder.
constexpr char kConverterControlLibrary[] = "libpcorectl.so";
constexpr char kConverterPageLibrary[] = "libpcoreconv.so";
// The folder below the printer-driver directory that holds them.
constexpr char kConverterSubdirectory[] = "3";

// Pointer-sized handles; 0 is failure.
using ConverterHandle = uintptr_t;

// Output records.
constexpr uint32_t kOutputRecordHeaderSize = 8;
constexpr uint8_t kOutputRecordPrinterData = 0;
constexpr uint8_t kOutputRecordFilePath = 1;
constexpr uint8_t kOutputRecordWarning = 2;
constexpr uint8_t kOutputRecordRefusalReason = 3;
constexpr uint32_t kOutputRecordMaxPathCharacters = 259;

// The open record handed to PrnCtrlOpen: 1548 bytes, little-endian.
constexpr uint32_t kOpenRecordSize = 1548;
constexpr uint32_t kOpenRecordPrinterNameOffset = 4;     // UTF-16, at most 255 characters and a terminator
constexpr uint32_t kOpenRecordDocumentNameOffset = 516;  // likewise; empty when unknown
constexpr uint32_t kOpenRecordJobIdOffset = 1028;
constexpr uint32_t kOpenRecordOneOffset = 1032;   // always 1
constexpr uint32_t kOpenRecordTextOffset = 1036;  // UTF-16, left empty
constexpr uint32_t kOpenRecordNameCharacters = 256;

// The image block GetXPSImageData returns: a 512-byte header, then the raster
// (rows top to bottom, samplesPerPixel bytes a pixel, no padding), then the
// image's ICC profile when it has one.
constexpr uint32_t kImageBlockHeaderSize = 512;
constexpr uint8_t kImageBlockHasProfile = 2;  // byte 23
enum ImageColourModel : uint8_t {
    kImageGray = 0,
    kImageRgb = 1,
    kImageCmyk = 2,
    kImageNChannel = 5,
    kImageRgbAlpha = 9,
    kImageCmykAlpha = 10,
    kImageNChannelAlpha = 13,
};

extern "C" {

// Callbacks the rip filter hands to the converter.

// Delivers output records; returns the result of the last write, 0 if none.
using ConverterWriteCallback = HRESULT (*)(const BYTE* buffer, uint32_t count, void* context);
// Stores 0 in *flag and returns 1.
using ConverterCancelCallback = BOOL (*)(BYTE* flag);
// The converter's own allocator, through which resource blocks are made.
using ConverterAllocate = void* (*)(uint32_t size);
using ConverterFree = void (*)(void* block);
// GetXPSFontData and GetXPSICCData: the part's bytes in a block from
// allocate. pageObject is the page handed to XpsSetConvResAPI; uri is the
// part's name in the process's multibyte code (UTF-8); ignored1 and ignored2
// are not used. 1 on success; 0 with *block null and *size 0 on failure.
using ConverterPartCallback = BOOL (*)(ConverterAllocate allocate, ConverterFree release, void* pageObject,
                                       const char* uri, uintptr_t ignored1, uintptr_t ignored2, void** block,
                                       uint32_t* size);
// GetXPSImageData: the decoded image as an image block from allocate.
using ConverterImageCallback = BOOL (*)(ConverterAllocate allocate, ConverterFree release, void* pageObject,
                                        const char* uri, uintptr_t ignored1, uintptr_t ignored2, void** block);

// libpcorectl.so.

// driverOut is u"driverout", reserved 0; encoderPath the device encoder
// library the converter is to use (it names the output language of a
// converter that has several); openRecord the 1548-byte open record.
using PrnCtrlOpenFunction = ConverterHandle (*)(const WCHAR* driverOut, int32_t reserved, const WCHAR* encoderPath,
                                                ConverterWriteCallback write, void* writeContext,
                                                const BYTE* openRecord, ConverterCancelCallback cancel);
using PrnCtrlXPS2SPDLOpenFunction = ConverterHandle (*)(ConverterCancelCallback cancel, ConverterHandle job);
// The converter context every libpcoreconv.so call takes.
using GetConvCntFromSPDLCntFunction = ConverterHandle (*)(ConverterHandle conversion);
// The page's DEVMODE (with its driver-extra bytes), before each page.
using DevModeSetFunction = void (*)(const DEVMODEW* devmode, uint32_t size, ConverterHandle job);
using PrnCtrlXPS2SPDLCloseFunction = void (*)(ConverterHandle conversion);
using PrnCtrlCloseFunction = void (*)(ConverterHandle job);

// libpcoreconv.so.

// pageObject is the resource context the callbacks get back; the last two
// values are 0.
using XpsSetConvResAPIFunction = void (*)(ConverterHandle context, void* pageObject, ConverterPartCallback font,
                                          ConverterPartCallback colourProfile, ConverterImageCallback image,
                                          uintptr_t reserved1, uintptr_t reserved2);
// The page device: context; 1; 1; width; height (microns); 0; 0; width;
// height; resolution x; resolution y (dpi); rotation code (2 none, 3 a
// quarter turn, 4 a half turn, 5 three quarters); 0; 4; 100; height;
// height; planes code (1, 3 or 4); planes; bits per pixel.
using XpsSetPageDeviceFunction = void (*)(ConverterHandle context, BYTE one, int32_t one2, int32_t width,
                                          int32_t height, int32_t zero1, int32_t zero2, int32_t width2, int32_t height2,
                                          int32_t resolutionX, int32_t resolutionY, int32_t rotationCode, int32_t zero3,
                                          int32_t four, int32_t hundred, int32_t height3, int32_t height4,
                                          int32_t planesCode, int32_t planes, int32_t bitsPerPixel);
// Nonzero when the converter accepts the call. Names and values are narrow
// (UTF-8), except the value of an attribute named "UnicodeString", which is
// the UTF-16 string itself (a const WCHAR*).
using XPSStartElemFunction = int32_t (*)(const char* name, ConverterHandle context);
using XPSReadAttFunction = int32_t (*)(const char* name, const void* value, ConverterHandle context);
using XPSEndCurElemFunction = int32_t (*)(ConverterHandle context);
using XPSEndElemFunction = int32_t (*)(const char* name, ConverterHandle context);

}  // extern "C"
