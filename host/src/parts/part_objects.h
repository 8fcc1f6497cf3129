// The COM objects filters see for the parts of a job: the XPS document, the
// FixedDocumentSequence, FixedDocuments, FixedPages and the parts they refer
// to (print tickets, fonts, images, colour profiles, resource dictionaries,
// thumbnails, any other part). Each is a thin face over a PartData.
#pragma once

#include <optional>

#include "parts/part_data.h"

namespace tav::host {

// The object for a part of the given data, answering the interface of its
// role (IFixedPage for a page, IPartFont for a font, IPartBase for other
// parts, ...) and IHostPart.
ComPtr<IUnknown> MakePartObject(std::shared_ptr<PartData> data);

// The XPS document object (the package itself), with its thumbnail if any.
ComPtr<IXpsDocument> MakeXpsDocument(ComPtr<IPartThumbnail> thumbnail);

// The role of a part made with GetNewEmptyPart for the interface riid
// (IID_IFixedPage, IID_IPartPrintTicket, IID_IPartFont, ...).
std::optional<PartRole> RoleForInterface(REFIID riid);
// The interface identifier that the object of a role answers.
const IID& InterfaceForRole(PartRole role);
// The content type a new part of the role gets, from its name's extension
// where the role allows several.
std::string DefaultContentType(PartRole role, const std::string& name);

}  // namespace tav::host
