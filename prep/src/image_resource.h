// ImageResource: the image a bitmap watermark draws, as a part of the job.
// The image file the user chose is decoded and encoded again as PNG in
// memory the first time a page needs it, and written once per job under a
// part name chosen once (WatermarkImageFiles). What the job learnt about
// the file (its part name, its size on the page, its failure to load) is
// kept in the job's WatermarkImageFiles, the resource itself living for
// one page.
#pragma once

#include <string>

#include "bitmap_watermark_geometry.h"
#include "decoration_data.h"
#include "page_resource.h"
#include "platform/comobject.h"
#include "platform/stream.h"
#include "watermark_image_files.h"

class ImageResource final : public PageResource {
public:
    // The file of the active entry. Raises CXDException with E_INVALIDARG
    // when the data is not a bitmap watermark's.
    ImageResource(const DecorationData& data, WatermarkImageFiles& files);

    // Writes the PNG into the part's stream in blocks of 64 KiB and makes it
    // an "image/png" part.
    HRESULT WriteContent(IUnknown* part, IPrintWriteStream* stream) override;
    // The file name: one part per image file per job.
    HRESULT GetKey(BSTR* key) override;
    // "/WM_<file's base name>_<ticks>.png", the same for the whole job.
    HRESULT GetPartUri(BSTR* uri) override;
    REFIID PartInterface() const override { return IID_IPartImage; }

    // The PNG of the image, rewound to its start. A file that cannot be
    // loaded is the failure; the job remembers it, and a later page fails
    // at once unless the file has changed since.
    HRESULT Load();
    // The image's size in XPS units.
    HRESULT ImageSize(ImageExtent* extent);

    const std::u16string& FileName() const { return fileName_; }

private:
    DecorationData data_;
    std::u16string fileName_;
    WatermarkImageFiles& files_;
    ComPtr<IStream> png_;
};
