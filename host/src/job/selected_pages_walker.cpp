#include "job/selected_pages_walker.h"

#include <utility>

namespace tav::host {

SelectedPagesWalker::SelectedPagesWalker(std::shared_ptr<Package> package, ComPtr<IPartPrintTicket> jobTicket,
                                         PageSelection selection, std::function<void()> onPage)
    : PackageWalker(std::move(package), std::move(jobTicket)),
      selection_(std::move(selection)),
      onPage_(std::move(onPage))
{
}

ComPtr<IUnknown> SelectedPagesWalker::Handing(ComPtr<IUnknown> part, std::string name)
{
    currentName_ = std::move(name);
    return part;
}

ComPtr<IUnknown> SelectedPagesWalker::Next()
{
    if (heldPage_) return Handing(std::exchange(heldPage_, nullptr), std::move(heldPageName_));
    for (;;) {
        ComPtr<IUnknown> part = PackageWalker::Next();
        // Failures name the part being read.
        currentName_ = PackageWalker::CurrentPartName();
        if (!part) return nullptr;
        std::shared_ptr<PartData> data = HostDataOf(part.Get());
        PartRole role = data ? data->Role() : PartRole::Other;
        if (role == PartRole::Document) {
            pendingDocument_ = std::move(part);
            pendingDocumentName_ = currentName_;
            continue;
        }
        // Pages not selected were passed over by the walk.
        if (role != PartRole::Page) return part;
        if (onPage_) onPage_();
        if (!pendingDocument_) return part;
        heldPage_ = std::move(part);
        heldPageName_ = currentName_;
        return Handing(std::exchange(pendingDocument_, nullptr), std::move(pendingDocumentName_));
    }
}

}  // namespace tav::host
