#include "filtercore/failure_note.h"

#include <new>

#include "platform/bstr.h"
#include "platform/comobject.h"
#include "platform/printticket.h"
#include "platform/wformat.h"
#include "platform/xml.h"

namespace {

thread_local std::optional<FailureNote> note;

// What a failure says that says nothing more than its HRESULT.
std::u16string BareDescription(HRESULT result)
{
    return FormatWideString(u"failed (0x%08X)", static_cast<unsigned>(result));
}

class ErrorInfo : public ComObject<IImgErrorInfo> {
public:
    explicit ErrorInfo(FailureNote failure) : failure_(std::move(failure)) {}

    HRESULT GetSource(BSTR* source) override { return Copy(failure_.part, source); }
    HRESULT GetDescription(BSTR* description) override { return Copy(failure_.reason, description); }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IImgErrorInfo ? static_cast<IImgErrorInfo*>(this) : nullptr;
    }

private:
    static HRESULT Copy(const std::u16string& text, BSTR* copy)
    {
        if (copy == nullptr) return E_POINTER;
        *copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *copy == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    FailureNote failure_;
};

}  // namespace

void NoteFailure(HRESULT result, std::u16string_view part, std::u16string_view reason) noexcept
{
    if (note) return;
    try {
        note = FailureNote{result, std::u16string(part), std::u16string(reason)};
    } catch (const std::bad_alloc&) {
        note.reset();
    }
}

std::u16string DescribeFailure(HRESULT result)
{
    switch (result) {
    case XML_E_PARSE_FAILED: return u"not well-formed XML";
    case XML_E_DTD_PROHIBITED: return u"XML with a DTD (DOCTYPE), which is not allowed";
    case XML_E_LIMIT_EXCEEDED: return u"XML beyond the reader's bounds on nesting, size or attributes";
    case E_PRINTTICKET_FORMAT:
    case E_DELTA_PRINTTICKET_FORMAT: return u"a print ticket that cannot be read";
    case E_OUTOFMEMORY: return u"out of memory";
    default: return BareDescription(result);
    }
}

void NoteStepFailure(HRESULT result, std::u16string_view part, std::u16string_view what) noexcept
{
    try {
        if (note && note->result == result && note->reason == BareDescription(result)) note.reset();
        NoteFailure(result, part, std::u16string(what) + u": " + DescribeFailure(result));
    } catch (const std::bad_alloc&) {
        // Left out, as NoteFailure leaves out a note it cannot store.
    }
}

void ClearFailureNote() noexcept { note.reset(); }

std::optional<FailureNote> FailureNoteFor(HRESULT result)
{
    if (!note || note->result != result) return std::nullopt;
    return note;
}

IImgErrorInfo* MakeErrorInfo(HRESULT result)
{
    try {
        std::optional<FailureNote> failure = FailureNoteFor(result);
        if (!failure) return nullptr;
        return new ErrorInfo(std::move(*failure));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
