// One page through the finisher filter's rewrite with typical settings:
// mirror across the width and the height, the page turned upside down,
// transverse feed, and poster cut-out lines. The first input byte picks
// the settings, the rest is the page's markup.
#include "finisher_filter.h"
#include "fuzz_support.h"
#include "page_variants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    tav::fuzz::EnsureComApartment();
    static const tav::fuzz::PageVariants variants({
        {"mirror=width"},
        {"mirror=height reverse-image=on"},
        {"transverse=on media=na_letter_8.5x11in"},
        {"poster=4 poster-cut-lines=on"},
    });
    auto filter = ComPtr<FinisherFilter>::Adopt(new FinisherFilter);
    tav::fuzz::RunOnePageJob(filter.Get(), variants.Ticket(data, size), variants.Page(data, size));
    return 0;
}
