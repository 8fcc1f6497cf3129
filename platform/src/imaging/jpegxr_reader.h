// JPEG XR through jxrlib, behind a header of plain types: jxrlib's own
// headers define GUID, TRUE, FALSE, min and max in ways the platform's
// cannot live with, so they are included in jpegxr_reader.cpp alone.
//
// jxrlib reads through a stream of ours that never reads past the file; the
// container's offsets of the image, alpha and profile data are checked
// against the file's size before anything is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tav::imaging {

class JpegXrReader {
public:
    JpegXrReader(const uint8_t* data, size_t size);
    ~JpegXrReader();
    JpegXrReader(const JpegXrReader&) = delete;
    JpegXrReader& operator=(const JpegXrReader&) = delete;

    // Reads the container and the image header; false with the reason.
    bool Open(std::string* reason);

    // After Open: the size, resolution (dots per inch) and pixel format.
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    float dpiX() const { return dpiX_; }
    float dpiY() const { return dpiY_; }
    // The last byte of the pixel format's identifier, when the format is one
    // of the imaging component's family {6FDDC324-4E03-4BFE-B185-3D77768DC9xx};
    // 0 for jxrlib's formats outside it.
    uint8_t formatNumber() const { return formatNumber_; }
    uint32_t bitsPerPixel() const { return bitsPerPixel_; }

    // The embedded ICC profile, empty when there is none.
    bool ReadProfile(std::string* profile, std::string* reason);
    // Decodes the whole image (alpha included) into rows of stride bytes.
    bool Decode(uint8_t* pixels, size_t stride, std::string* reason);

private:
    struct State;
    std::unique_ptr<State> state_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    float dpiX_ = 0;
    float dpiY_ = 0;
    uint8_t formatNumber_ = 0;
    uint32_t bitsPerPixel_ = 0;
};

}  // namespace tav::imaging
