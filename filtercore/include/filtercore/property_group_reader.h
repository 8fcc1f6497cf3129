// PropertyGroupReader: the members of a Property that groups settings
// ("JobInfoData", "PageMediaSizeData", "PageImageableSize", ...), each a
// Property of its own below the group, named in one namespace.
//
// Besides plain reads it offers the member operations of the record
// visitors (VisitJobInfoData and the others), which PropertyGroupWriter
// offers as well, so that one list of members serves reading and writing.
#pragma once

#include "filtercore/name_table.h"
#include "filtercore/print_ticket_dom.h"
#include "filtercore/record_string.h"

class PropertyGroupReader {
public:
    // prefix: the document's prefix for the names of the group and its
    // members (borrowed from the ticket).
    PropertyGroupReader(PrintTicketDom& ticket, const WCHAR* prefix);

    // Narrows the group to the Property of that name: anywhere in the ticket
    // at first, inside the group opened before after that. ERROR_NOT_FOUND
    // when there is none.
    HRESULT Open(const WCHAR* group);

    // The member's value; ERROR_NOT_FOUND when the member is absent.
    HRESULT ReadText(const WCHAR* member, OwnedBstr* text);
    HRESULT ReadInt(const WCHAR* member, INT* value);

    // Record members: each reads the member into the field. An absent member
    // leaves the field, returns S_OK and is remembered (MissedMember); any
    // other failure is returned.
    HRESULT Text(const WCHAR* member, RecordString& field);
    HRESULT Integer(const WCHAR* member, INT& field);
    // A 16-bit member: the integer read is stored in 16 bits.
    HRESULT Integer(const WCHAR* member, SHORT& field);
    // Written as 0 to 65535; read like any 16-bit member.
    HRESULT Unsigned16(const WCHAR* member, SHORT& field) { return Integer(member, field); }
    // The index of the table's name equal to the text; other texts leave the
    // field.
    HRESULT Choice(const WCHAR* member, NameTable names, NameComparison comparison, INT& field);
    // "Off" 0, "On" 1.
    HRESULT Flag(const WCHAR* member, BOOL& field);

    // True when a record member was absent.
    bool MissedMember() const { return missedMember_; }

private:
    HRESULT MemberPath(const WCHAR* member, XPathBuilder* path);
    HRESULT Tolerate(HRESULT hr);

    PrintTicketDom& ticket_;
    const WCHAR* prefix_;
    XPathBuilder group_;
    bool missedMember_ = false;
};
