// One page through the layout filter's imposition with typical settings:
// 4-up with borders, booklet, a 4-tile poster and a two-sided job with a
// binding gutter. The first input byte picks the settings, the rest is the
// page's markup.
#include "fuzz_support.h"
#include "layout_filter.h"
#include "page_variants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
    static const tav::fuzz::PageVariants variants({
        {"number-up=4 page-border=single"},
        {"booklet=on"},
        {"poster=4"},
        {"sides=two-sided-long-edge binding=left binding-gutter=10mm"},
    });
    auto filter = ComPtr<LayoutFilter>::Adopt(new LayoutFilter);
    tav::fuzz::RunOnePageJob(filter.Get(), variants.Ticket(data, size), variants.Page(data, size));
    return 0;
}
