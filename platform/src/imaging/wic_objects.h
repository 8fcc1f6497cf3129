// The imaging component's objects, made by its factory: decoders, frames
// and bitmaps over one decoded image they share (it never changes once
// decoded), palettes and colour contexts; and the reason of the last
// failure on the thread.
#pragma once

#include <memory>
#include <string>

#include "native_image.h"
#include "platform/wincodec.h"

namespace tav::imaging {

using SharedImage = std::shared_ptr<const NativeImage>;

HRESULT CreateImageDecoder(SharedImage image, IWICBitmapDecoder** decoder);
// A bitmap over the image of a source this component made;
// WINCODEC_ERR_UNSUPPORTEDOPERATION for any other source.
HRESULT CreateImageBitmap(IWICBitmapSource* source, IWICBitmap** bitmap);
HRESULT CreateImagePalette(IWICPalette** palette);
HRESULT CreateImageColorContext(IWICColorContext** context);

// Records the reason of a failure on this thread and returns the failure.
HRESULT WicFailure(HRESULT result, std::string reason);
// Clears the thread's reason and returns S_OK.
HRESULT WicSuccess();

}  // namespace tav::imaging
