#include "filtercore/property_group_reader.h"

#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"

PropertyGroupReader::PropertyGroupReader(PrintTicketDom& ticket, const WCHAR* prefix)
    : ticket_(ticket), prefix_(prefix), group_(ticket.NewXPath())
{
}

HRESULT PropertyGroupReader::Open(const WCHAR* group)
{
    HRESULT hr = group_.AppendProperty(prefix_, group);
    if (FAILED(hr)) return hr;
    return ticket_.NodeExists(group_.Expression());
}

HRESULT PropertyGroupReader::MemberPath(const WCHAR* member, XPathBuilder* path)
{
    HRESULT hr = path->CopyFrom(group_);
    if (SUCCEEDED(hr)) hr = path->AppendProperty(prefix_, member);
    return hr;
}

HRESULT PropertyGroupReader::ReadText(const WCHAR* member, OwnedBstr* text)
{
    XPathBuilder path = ticket_.NewXPath();
    HRESULT hr = MemberPath(member, &path);
    if (FAILED(hr)) return hr;
    return ticket_.ReadValueText(path.Expression(), text->Out());
}

HRESULT PropertyGroupReader::ReadInt(const WCHAR* member, INT* value)
{
    XPathBuilder path = ticket_.NewXPath();
    HRESULT hr = MemberPath(member, &path);
    if (FAILED(hr)) return hr;
    return ticket_.ReadValueInt(path.Expression(), value);
}

HRESULT PropertyGroupReader::Tolerate(HRESULT hr)
{
    if (!IsAbsence(hr)) return hr;
    missedMember_ = true;
    return S_OK;
}

HRESULT PropertyGroupReader::Text(const WCHAR* member, RecordString& field)
{
    OwnedBstr text;
    HRESULT hr = ReadText(member, &text);
    if (SUCCEEDED(hr)) field.Reset(text.Detach());
    return Tolerate(hr);
}

HRESULT PropertyGroupReader::Integer(const WCHAR* member, INT& field) { return Tolerate(ReadInt(member, &field)); }

HRESULT PropertyGroupReader::Integer(const WCHAR* member, SHORT& field)
{
    INT value = 0;
    HRESULT hr = ReadInt(member, &value);
    if (SUCCEEDED(hr)) field = static_cast<SHORT>(value);
    return Tolerate(hr);
}

HRESULT PropertyGroupReader::Choice(const WCHAR* member, NameTable names, NameComparison comparison, INT& field)
{
    OwnedBstr text;
    HRESULT hr = ReadText(member, &text);
    if (FAILED(hr)) return Tolerate(hr);
    return CatchRaised([&] {
        INT index = NameIndex(text.Get(), names, comparison);
        if (index >= 0) field = index;
        return S_OK;
    });
}

HRESULT PropertyGroupReader::Flag(const WCHAR* member, BOOL& field)
{
    return Choice(member, kOffOnNames, NameComparison::Locale, field);
}
