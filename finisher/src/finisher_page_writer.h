// FinisherPageWriter: rewrites a page in place for the finisher. The
// FixedPage gets its finished size and boxes; its content is wrapped in a
// Canvas that turns or flips it, and inside that in a Canvas that clips it to
// the printable area, after which the cut-out marks are drawn (turned and
// flipped with the content, not clipped). The page's resources become the
// outer Canvas's, so that the content inside still finds them.
#pragma once

#include "filtercore/page_writer_base.h"
#include "finisher_settings.h"

class FinisherPageWriter final : public PageWriterBase {
public:
    // The settings are borrowed for the writer's life. Raises
    // CXDException(E_POINTER) for a null stream.
    FinisherPageWriter(IPrintWriteStream* stream, const FinisherSettings& settings);

protected:
    HRESULT StartFixedPage(std::u16string& markup, ISAXAttributes* attributes) override;
    HRESULT EndFixedPage(std::u16string& markup) override;

private:
    // Width, Height and the boxes of the finished page.
    void AppendFinishedGeometry(std::u16string& markup, const std::optional<ContentTurn>& turn) const;

    const FinisherSettings& settings_;
    bool transformCanvasOpen_ = false;
    bool clipCanvasOpen_ = false;
};
