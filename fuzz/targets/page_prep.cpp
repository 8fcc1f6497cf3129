// One page through the preparation filter's rewrite with typical settings:
// scaling to A4 and by a percentage, a text watermark, a header/footer line
// with date and user. The first input byte picks the settings, the rest is
// the page's markup.
#include "fuzz_support.h"
#include "page_variants.h"
#include "preparation_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
    static const tav::fuzz::PageVariants variants({
        {"print-scaling=fit-paper:iso_a4_210x297mm"},
        {"print-scaling=custom:50 scale-alignment=top-left"},
        {"watermark-text=Draft watermark-outline=on"},
        {"header-footer=on header-footer-date=type1 header-footer-id=user"},
    });
    auto filter = ComPtr<PreparationFilter>::Adopt(new PreparationFilter);
    tav::fuzz::RunOnePageJob(filter.Get(), variants.Ticket(data, size), variants.Page(data, size));
    return 0;
}
