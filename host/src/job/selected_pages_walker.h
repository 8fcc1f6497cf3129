// The walk of a package that hands on only the pages page-ranges selects.
// A page left out is not even read, and never reaches the filters, nor do
// its resources and ticket, unless a selected page uses them too. A document
// none of whose pages is selected is left out with them; a document is
// handed on just before its first selected page. Every page handed on is
// reported to onPage (optional).
#pragma once

#include <functional>

#include "job/page_selection.h"
#include "package/package_walker.h"

namespace tav::host {

class SelectedPagesWalker : public PackageWalker {
public:
    SelectedPagesWalker(std::shared_ptr<Package> package, ComPtr<IPartPrintTicket> jobTicket, PageSelection selection,
                        std::function<void()> onPage);

    ComPtr<IUnknown> Next() override;
    const std::string& CurrentPartName() const override { return currentName_; }

protected:
    bool WantsNextPage() override { return selection_.Contains(++pageNumber_); }

private:
    ComPtr<IUnknown> Handing(ComPtr<IUnknown> part, std::string name);

    PageSelection selection_;
    std::function<void()> onPage_;
    uint64_t pageNumber_ = 0;
    ComPtr<IUnknown> pendingDocument_;  // its first selected page not yet seen
    std::string pendingDocumentName_;
    ComPtr<IUnknown> heldPage_;  // the page that follows the document handed on
    std::string heldPageName_;
    std::string currentName_;
};

}  // namespace tav::host
