#include "filtercore/page_geometry.h"

#include "filtercore/ticket_strings.h"

PageGeometry::PageGeometry() : mediaName_(u"NorthAmericaLetter") {}

void PageGeometry::SetMedia(BSTR name, INT newWidth, INT newHeight, BOOL newNameIsPrivate)
{
    // Copying only a different name also keeps the record's own name valid
    // when the caller passes it back in.
    if (!SameText(name, mediaName_.Get())) mediaName_.Assign(name);
    width = newWidth;
    height = newHeight;
    nameIsPrivate = newNameIsPrivate;
}
