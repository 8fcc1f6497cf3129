#include "filtercore/property_group_writer.h"

PropertyGroupWriter::PropertyGroupWriter(PrintTicketDom& ticket, const WCHAR* prefix, const WCHAR* group)
    : ticket_(ticket), prefix_(prefix)
{
    result_ = ticket_.CreateProperty(prefix_, group, group_.Out());
}

HRESULT PropertyGroupWriter::AddMember(IXMLDOMElement* member)
{
    if (SUCCEEDED(result_)) result_ = group_->appendChild(member, nullptr);
    return result_;
}

HRESULT PropertyGroupWriter::AddString(const WCHAR* member, const WCHAR* text)
{
    if (FAILED(result_)) return result_;
    ComPtr<IXMLDOMElement> property;
    result_ = ticket_.CreatePropertyWithValue(prefix_, member, u"string", text, property.Out());
    return AddMember(property.Get());
}

HRESULT PropertyGroupWriter::Text(const WCHAR* member, const RecordString& field)
{
    return AddString(member, field.Get());
}

HRESULT PropertyGroupWriter::Integer(const WCHAR* member, const INT& field)
{
    if (FAILED(result_)) return result_;
    ComPtr<IXMLDOMElement> property;
    result_ = ticket_.CreateIntProperty(prefix_, member, field, property.Out());
    return AddMember(property.Get());
}

HRESULT PropertyGroupWriter::Choice(const WCHAR* member, NameTable names, NameComparison, const INT& field)
{
    const WCHAR* name = ChoiceName(field, names);
    if (name == nullptr && SUCCEEDED(result_)) result_ = E_INVALIDARG;
    return AddString(member, name);
}

HRESULT PropertyGroupWriter::Flag(const WCHAR* member, const BOOL& field)
{
    return AddString(member, field != 0 ? u"On" : u"Off");
}

HRESULT PropertyGroupWriter::AppendTo(IXMLDOMNode* parent)
{
    if (FAILED(result_)) return result_;
    if (parent == nullptr) return E_POINTER;
    return parent->appendChild(group_.Get(), nullptr);
}
