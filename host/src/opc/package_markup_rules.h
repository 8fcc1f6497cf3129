// The rules the package's own markup ([Content_Types].xml, relationships
// parts) must keep: only the elements and attributes of its one namespace,
// so no markup compatibility, xml:lang or foreign extensions; media types as
// HTTP spells them; relationship Ids that are XML IDs.
#pragma once

#include <initializer_list>
#include <string_view>

#include "opc/xml_pull_reader.h"

namespace tav::host {

// Fails on the reader's part unless the current element is of the
// namespace and carries only attributes without namespace named in allowed.
void CheckPackageElement(const XmlPullReader& reader, std::string_view ns,
                         std::initializer_list<std::string_view> allowed);

// type "/" subtype, then ";" parameter "=" value pairs, with no white space
// anywhere, as OPC requires of content types.
bool IsMediaType(std::string_view text);

// An XML ID (an NCName): a letter or '_' first, then letters, digits,
// '.', '-' and '_'; characters beyond ASCII are taken as letters.
bool IsXmlId(std::string_view text);

// The name of an attribute as a message shows it ("xml:lang", "mc:Ignorable").
std::string AttributeForMessage(const XmlPullReader::NamedAttribute& attribute);

}  // namespace tav::host
