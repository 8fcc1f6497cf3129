// The reason of a failure, for the user: the part it concerns and what is
// wrong with it. The code that finds the fault notes it; the part loop hands
// the note to the pipeline with its request to shut the job down, so that
// the user reads "/Documents/1/Pages/PT2.xml: not well-formed XML (line 3)"
// rather than a bare HRESULT.
//
// A note belongs to the thread that made it (a filter runs its part loop on
// one thread). The first note made since the last ClearFailureNote is kept;
// it is handed on only with the failure it was noted for.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/pipeline.h"

struct FailureNote {
    HRESULT result = S_OK;
    std::u16string part;    // the part's name, or empty
    std::u16string reason;  // a few words: "not well-formed XML (line 3)"
};

// Notes the failure, unless one is noted already. Never raises: a note that
// cannot be stored is dropped.
void NoteFailure(HRESULT result, std::u16string_view part, std::u16string_view reason) noexcept;

// Notes the failure with the name of the part (through its GetUri).
template <class Part>
void NoteFailureOf(HRESULT result, Part* part, std::u16string_view reason) noexcept
{
    BSTR uri = nullptr;
    if (part != nullptr && SUCCEEDED(part->GetUri(&uri)) && uri != nullptr) {
        NoteFailure(result, uri, reason);
    } else {
        NoteFailure(result, u"", reason);
    }
    SysFreeString(uri);
}

// What a failure that the platform reports says about the input: "not
// well-formed XML" and the like, or "failed (0x80004005)" for any other.
// Raises std::bad_alloc.
std::u16string DescribeFailure(HRESULT result);

// Notes the failure of a step the filter took for a part, in the words
// "<what>: <DescribeFailure(result)>", unless a step below noted a reason of
// its own already; a note that tells no more than the HRESULT ("failed
// (0x80070057)") gives way to it. Never raises.
void NoteStepFailure(HRESULT result, std::u16string_view part, std::u16string_view what) noexcept;

// The same with the name of the part (through its GetUri; none for a null
// part); gives the result back, and does nothing for a success.
template <class Part>
HRESULT NoteStepFailureOf(HRESULT result, Part* part, std::u16string_view what) noexcept
{
    if (SUCCEEDED(result)) return result;
    BSTR uri = nullptr;
    if (part != nullptr && FAILED(part->GetUri(&uri))) uri = nullptr;
    NoteStepFailure(result, uri != nullptr ? uri : u"", what);
    SysFreeString(uri);
    return result;
}

void ClearFailureNote() noexcept;

// The note, when it was made for this result.
std::optional<FailureNote> FailureNoteFor(HRESULT result);

// The note as the error information of a shutdown request (GetSource gives
// the part, GetDescription the reason); null when there is no note for the
// result or no memory.
IImgErrorInfo* MakeErrorInfo(HRESULT result);
