// PropertyGroupWriter: builds a Property that groups settings, one member
// Property with a typed Value each, and appends it where it belongs. It
// offers the member operations of the record visitors with the same names
// as PropertyGroupReader.
//
// After the first failure nothing more is built and every operation returns
// that failure, so a visitor stops at it and AppendTo reports it.
#pragma once

#include "filtercore/name_table.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/record_string.h"

class PropertyGroupWriter {
public:
    // Creates the Property prefix+group (not yet attached).
    PropertyGroupWriter(PrintTicketDom& ticket, const WCHAR* prefix, const WCHAR* group);

    // A member of type "string".
    HRESULT Text(const WCHAR* member, const RecordString& field);
    // Members of type "integer", written with %i (a 16-bit value
    // sign-extended).
    HRESULT Integer(const WCHAR* member, const INT& field);
    HRESULT Integer(const WCHAR* member, const SHORT& field) { return Integer(member, static_cast<INT>(field)); }
    // A 16-bit member of type "integer" taken as unsigned (0 to 65535).
    HRESULT Unsigned16(const WCHAR* member, const SHORT& field)
    {
        return Integer(member, static_cast<INT>(static_cast<USHORT>(field)));
    }
    // The name the value stands for (see ChoiceName), as a "string";
    // E_INVALIDARG for a value outside the table.
    HRESULT Choice(const WCHAR* member, NameTable names, NameComparison comparison, const INT& field);
    // "On" for a non-zero flag, else "Off".
    HRESULT Flag(const WCHAR* member, const BOOL& field);

    // Appends the group to parent when every member was built; otherwise
    // returns the first failure and appends nothing.
    HRESULT AppendTo(IXMLDOMNode* parent);

private:
    HRESULT AddString(const WCHAR* member, const WCHAR* text);
    HRESULT AddMember(IXMLDOMElement* member);

    PrintTicketDom& ticket_;
    const WCHAR* prefix_;
    ComPtr<IXMLDOMElement> group_;
    HRESULT result_ = S_OK;
};
