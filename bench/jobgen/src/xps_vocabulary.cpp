#include "jobgen/xps_vocabulary.h"

namespace jobgen {

const XpsVocabulary& VocabularyFor(XpsFlavour flavour)
{
    static const XpsVocabulary kXps2005{
        "http://schemas.microsoft.com/xps/2005/06",
        "http://schemas.microsoft.com/xps/2005/06/fixedrepresentation",
        "http://schemas.microsoft.com/xps/2005/06/required-resource",
        "http://schemas.microsoft.com/xps/2005/06/printticket",
    };
    static const XpsVocabulary kOpenXps{
        "http://schemas.openxps.org/oxps/v1.0",
        "http://schemas.openxps.org/oxps/v1.0/fixedrepresentation",
        "http://schemas.openxps.org/oxps/v1.0/required-resource",
        "http://schemas.openxps.org/oxps/v1.0/printticket",
    };
    return flavour == XpsFlavour::OpenXps ? kOpenXps : kXps2005;
}

}  // namespace jobgen
