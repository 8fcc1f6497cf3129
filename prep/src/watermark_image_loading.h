// The bitmap watermark's image: the file the user chose, decoded and encoded
// again as PNG into a memory stream, which the image part then stores; and
// the size of that PNG on the page. Nothing is written to disk.
#pragma once

#include <string>

#include "bitmap_watermark_geometry.h"
#include "platform/comobject.h"
#include "platform/gdiplus.h"

// Loads the image file with GDI+ and saves it with the PNG encoder (the
// first whose MIME type is "image/png") into a new memory stream, rewound
// to its start. On failure *png is empty, the result is the thread's last
// error as an HRESULT (E_ACCESSDENIED when there is none) and *reason says
// what was wrong with the file.
HRESULT LoadImageFileAsPng(const WCHAR* fileName, ComPtr<IStream>* png, std::string* reason);

// The size in XPS units of the image in the stream, read from its current
// position (ImageExtentInXpsUnits). On failure the GDI+ status, and *reason
// says what was wrong.
Gdiplus::Status MeasureImageStream(IStream* image, ImageExtent* extent, std::string* reason);
