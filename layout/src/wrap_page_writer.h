// WrapPageWriter: rewrites a page in place with all of its content in one
// Canvas that carries a matrix (a sheet's binding gutter), clipped to the
// page's full size. The FixedPage keeps every attribute; its resources
// become the Canvas's (Canvas.Resources, the Canvas's first child), since a
// FixedPage.Resources inside the Canvas would not be valid XPS.
#pragma once

#include "filtercore/page_writer_base.h"
#include "placement_transform.h"

class WrapPageWriter final : public PageWriterBase {
public:
    // The placement is borrowed for the writer's life. Raises
    // CXDException(E_POINTER) for a null stream.
    WrapPageWriter(IPrintWriteStream* stream, const PlacementTransform& placement);

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override;
    HRESULT EndFixedPage(std::u16string& markup) override;

private:
    const PlacementTransform& placement_;
};
