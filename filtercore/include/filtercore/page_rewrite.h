// Running a page's markup through a markup writer: the SAX reader reads the
// page's content stream and the writer writes the (changed) markup into a
// write stream. RewriteFixedPage is what a page hook calls to change a page
// in place; the steps it is made of serve writers whose output goes
// elsewhere (a page written into a sheet, a blank page made from another).
#pragma once

#include <functional>

#include "filtercore/markup_writer.h"
#include "platform/pipeline.h"

// Makes the writer for one page over the stream it writes to; the writer
// comes with one reference, which the caller of the factory releases. It may
// raise CXDException or std::bad_alloc; a null writer counts as out of memory.
using MarkupWriterFactory = std::function<MarkupWriter*(IPrintWriteStream* stream)>;

// Parses source's markup into handler: a SAXXMLReader60 (CLSCTX_ALL) reads
// the page's content stream through a SequentialReadAdapter (with its
// largestRead). The reader and the adapter are released before returning.
// Returns the first failure: creating the reader, GetStream, a handler's
// failure or a parse error.
HRESULT ParsePageMarkup(IFixedPage* source, ISAXContentHandler* handler, ULONG largestRead = 0);

// Parses source's markup into the writer makeWriter builds over destination,
// then has the writer write what it still holds and releases it. The
// destination stays open, for a caller that writes more into it. After a
// successful parse the last write's failure is the result; after a failed
// parse the writer's destructor writes what it holds.
HRESULT StreamPageMarkup(IFixedPage* source, IPrintWriteStream* destination, const MarkupWriterFactory& makeWriter);

// StreamPageMarkup, then closes destination, whatever the result.
HRESULT WritePageMarkup(IFixedPage* source, IPrintWriteStream* destination, const MarkupWriterFactory& makeWriter);

// Rewrites a page in place: WritePageMarkup from the page into its own write
// stream (GetWriteStream), which is thus closed whenever it was obtained;
// the new markup replaces the old one when it is closed. The first failure
// is the result.
HRESULT RewriteFixedPage(IFixedPage* page, const MarkupWriterFactory& makeWriter);
