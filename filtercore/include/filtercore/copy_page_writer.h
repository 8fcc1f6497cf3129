// CopyPageWriter: writes a page as it reads it, with nothing changed but what
// the writers' conventions change for every page (no character data, no
// comments, no byte-order mark, every attribute value escaped). A page
// rewritten with it prints as before.
#pragma once

#include "filtercore/page_writer_base.h"

class CopyPageWriter final : public PageWriterBase {
public:
    // Raises CXDException(E_POINTER) for a null stream.
    explicit CopyPageWriter(IPrintWriteStream* stream) : PageWriterBase(stream, {}) {}
};
