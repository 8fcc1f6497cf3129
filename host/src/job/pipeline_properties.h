// The property-bag values the filters read, with the types they read them
// as and the defaults a job gets, and the typed parsing of
// --set-property NAME=VALUE.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/comobject.h"
#include "platform/pipeline.h"

namespace tav::host {

class PropertyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class PropertyType { Text, Integer, Unsigned, Handle, Object };

struct PropertyDescription {
    const char* name;
    PropertyType type;
    const char* defaultValue;  // null: absent unless set
    const char* meaning;
};

// Every value of the table, in order.
const std::vector<PropertyDescription>& KnownProperties();

// A typed value for the bag. Throws PropertyError for a value that does not
// fit the property's type or for objects, which cannot be given as text.
// Names the table does not know become text.
VARIANT PropertyValue(const std::string& name, const std::string& text);

// Puts the table's defaults into the bag, then the values set (later ones
// win). The objects are added by the caller.
void AddTextProperties(IPrintPipelinePropertyBag* bag, const std::vector<std::pair<std::string, std::string>>& set);

}  // namespace tav::host
