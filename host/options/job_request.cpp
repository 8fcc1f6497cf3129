#include "job_request.h"

#include <cassert>
#include <stdexcept>

#include "option_settings.h"

namespace tav::options {

namespace {

}  // namespace

std::string ValueError(const OptionSpec& spec, std::string_view value, const std::string& problem)
{
    std::string message = std::string(spec.name) + ": ";
    if (problem.empty())
        message += "unknown value \"" + std::string(value) + "\"";
    else
        message += "value \"" + std::string(value) + "\" " + problem;
    return message + "; accepted values: " + AcceptedValues(spec);
}

JobRequest::JobRequest() : slots_(static_cast<size_t>(OptionId::Count))
{
    for (const OptionSpec& spec : OptionTable()) Reset(spec.id);
}

void JobRequest::Reset(OptionId id)
{
    const OptionSpec& spec = Spec(id);
    Slot& slot = slots_[static_cast<size_t>(id)];
    slot = Slot{};
    if (spec.defaultValue.empty()) return;
    std::string problem;
    bool accepted = ParseOptionValue(spec.values, spec.defaultValue, &slot.value, &problem);
    assert(accepted);
    (void)accepted;
    slot.text = spec.defaultValue;
}

bool JobRequest::Set(std::string_view name, std::string_view value, std::string* error)
{
    const OptionSpec* spec = FindOption(name);
    if (!spec) {
        *error = "unknown option \"" + std::string(name) + "\"" + OptionSuggestion(name);
        return false;
    }
    Slot slot;
    std::string problem;
    if (!ParseOptionValue(spec->values, value, &slot.value, &problem)) {
        *error = ValueError(*spec, value, problem);
        return false;
    }
    slot.text = value;
    slot.source = Source::CommandLine;
    slots_[static_cast<size_t>(spec->id)] = std::move(slot);
    return true;
}

void JobRequest::Imply(OptionId id, std::string_view value)
{
    Slot slot;
    std::string problem;
    if (!ParseOptionValue(Spec(id).values, value, &slot.value, &problem))
        throw std::logic_error("an implied value is not accepted");
    slot.text = value;
    slot.source = Source::Implied;
    slots_[static_cast<size_t>(id)] = std::move(slot);
}

void JobRequest::Ignore(OptionId id) { Reset(id); }

bool JobRequest::Given(OptionId id) const { return slots_[static_cast<size_t>(id)].source != Source::Default; }

bool JobRequest::Explicit(OptionId id) const { return slots_[static_cast<size_t>(id)].source == Source::CommandLine; }

bool JobRequest::GroupGiven(TicketGroup group) const
{
    for (const OptionSpec& spec : OptionTable()) {
        if (spec.group == group && Given(spec.id)) return true;
    }
    return false;
}

const ParsedValue& JobRequest::Value(OptionId id) const { return slots_[static_cast<size_t>(id)].value; }

const Alternative& JobRequest::Choice(OptionId id) const
{
    const Alternative* alternative = Value(id).alternative;
    if (!alternative) throw std::logic_error("an option without value has no choice");
    return *alternative;
}

const std::string& JobRequest::Text(OptionId id) const { return slots_[static_cast<size_t>(id)].text; }

}  // namespace tav::options
