// ReadJobInfo and WriteJobInfo: the private "JobInfoData", "JobSettingData"
// and "JobSecretFunctionData" Properties. One list of members per Property
// serves both.
#include "filtercore/job_settings.h"
#include "filtercore/property_group_reader.h"
#include "filtercore/property_group_writer.h"
#include "filtercore/raised_result.h"
#include "filtercore/read_outcome.h"
#include "filtercore/ticket_writing.h"

namespace {

constexpr WCHAR kJobInfoData[] = u"JobInfoData";
constexpr WCHAR kJobSettingData[] = u"JobSettingData";
constexpr WCHAR kJobSecretFunctionData[] = u"JobSecretFunctionData";

// The members of each Property in ticket order; Visitor is a
// PropertyGroupReader or a PropertyGroupWriter. Each stops at the first
// failure.
template <class Settings, class Visitor>
HRESULT VisitJobInfoData(Settings& settings, Visitor& visitor)
{
    HRESULT hr = visitor.Text(u"DefaultUserName", settings.defaultUserName);
    if (SUCCEEDED(hr)) hr = visitor.Text(u"ComputerName", settings.computerName);
    if (SUCCEEDED(hr)) hr = visitor.Integer(u"CodePage", settings.codePage);
    return hr;
}

template <class Settings, class Visitor>
HRESULT VisitJobSettingData(Settings& settings, Visitor& visitor)
{
    HRESULT hr = visitor.Choice(u"SeparateTrayMode", kOffOnNames, NameComparison::Exact, settings.separateTrayMode);
    if (SUCCEEDED(hr)) hr = visitor.Text(u"DivideCondition", settings.divideCondition);
    if (SUCCEEDED(hr)) hr = visitor.Unsigned16(u"BandingPortraitFlag", settings.bandingPortraitFlag);
    if (SUCCEEDED(hr)) hr = visitor.Unsigned16(u"BandingPortraitSize", settings.bandingPortraitSize);
    if (SUCCEEDED(hr)) hr = visitor.Unsigned16(u"BandingLandscapeFlag", settings.bandingLandscapeFlag);
    if (SUCCEEDED(hr)) hr = visitor.Unsigned16(u"BandingLandscapeSize", settings.bandingLandscapeSize);
    return hr;
}

template <class Settings, class Visitor>
HRESULT VisitJobSecretFunctionData(Settings& settings, Visitor& visitor)
{
    HRESULT hr = visitor.Flag(u"HalftoneReduction", settings.halftoneReduction);
    if (SUCCEEDED(hr)) hr = visitor.Flag(u"DraftMode", settings.draftMode);
    return hr;
}

// Reads one Property; an absent one is skipped.
template <class Visit>
HRESULT ReadGroup(PrintTicketDom& ticket, const WCHAR* group, Visit visit)
{
    PropertyGroupReader reader(ticket, ticket.PrivatePrefix());
    HRESULT hr = reader.Open(group);
    if (FAILED(hr)) return hr;
    return visit(reader);
}

// Builds one Property and appends it to the root when every member was built.
template <class Visit>
HRESULT WriteGroup(PrintTicketDom& ticket, IXMLDOMNode* root, const WCHAR* group, Visit visit)
{
    PropertyGroupWriter writer(ticket, ticket.PrivatePrefix(), group);
    visit(writer);
    return writer.AppendTo(root);
}

}  // namespace

HRESULT ReadJobInfo(PrintTicketDom& ticket, JobInfoSettings* settings)
{
    if (settings == nullptr) return E_POINTER;
    // A failure in one Property does not keep the others from being read,
    // but it is reported: the divide-condition tracker must not take a value
    // that could not be read for a change.
    ReadOutcome outcome;
    outcome.Note(ReadGroup(ticket, kJobInfoData, [&](auto& group) { return VisitJobInfoData(*settings, group); }));
    outcome.Note(
        ReadGroup(ticket, kJobSettingData, [&](auto& group) { return VisitJobSettingData(*settings, group); }));
    outcome.Note(ReadGroup(ticket, kJobSecretFunctionData,
                           [&](auto& group) { return VisitJobSecretFunctionData(*settings, group); }));
    return outcome.Result();
}

HRESULT WriteJobInfo(PrintTicketDom& ticket, const JobInfoSettings& settings)
{
    return CatchRaised([&] {
        ComPtr<IXMLDOMNode> root;
        HRESULT hr = SelectTicketRoot(ticket, &root);
        if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(kJobInfoData);
        if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(kJobSettingData);
        if (SUCCEEDED(hr)) hr = ticket.RemoveProperty(kJobSecretFunctionData);
        if (SUCCEEDED(hr)) {
            hr = WriteGroup(ticket, root.Get(), kJobInfoData,
                            [&](auto& group) { return VisitJobInfoData(settings, group); });
        }
        if (SUCCEEDED(hr)) {
            hr = WriteGroup(ticket, root.Get(), kJobSettingData,
                            [&](auto& group) { return VisitJobSettingData(settings, group); });
        }
        if (SUCCEEDED(hr)) {
            hr = WriteGroup(ticket, root.Get(), kJobSecretFunctionData,
                            [&](auto& group) { return VisitJobSecretFunctionData(settings, group); });
        }
        return hr;
    });
}
