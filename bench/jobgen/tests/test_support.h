// Helpers the generator's tests share: temporary folders, and reading a
// package back with libzip and libxml2, independently of the writer.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <libxml/tree.h>

namespace jobgen::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A zip package read whole; parts split into interleaved pieces are joined.
class ZipPackage {
public:
    explicit ZipPackage(const std::string& path);  // throws std::runtime_error
    const std::vector<std::string>& EntryNames() const { return entries_; }
    // Logical part names ("/a/b.ext"), pieces joined, in first-seen order.
    const std::vector<std::string>& PartNames() const { return partNames_; }
    bool HasPart(const std::string& partName) const { return parts_.count(partName) != 0; }
    const std::string& Part(const std::string& partName) const;  // throws std::out_of_range

private:
    std::vector<std::string> entries_;
    std::vector<std::string> partNames_;
    std::map<std::string, std::string> parts_;
};

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using XmlDoc = std::unique_ptr<xmlDoc, XmlDocFree>;

// Parsed without network access, DTDs or entity expansion; null when the
// text is not well-formed.
XmlDoc ParseXml(const std::string& text);
std::vector<xmlNode*> ChildElements(xmlNode* parent, const char* name = nullptr);
std::string Attribute(xmlNode* element, const char* name);  // empty when absent
std::string Namespace(xmlNode* element);

struct Relationship {
    std::string type;
    std::string target;  // resolved to an absolute part name
};
// The relationships of `sourcePart` ("/" for the package), empty when it has
// no relationships part. Throws std::runtime_error when that part is broken.
std::vector<Relationship> RelationshipsOf(const ZipPackage& package, const std::string& sourcePart);

// `reference` resolved against the folder of `sourcePart`.
std::string ResolvePartName(const std::string& sourcePart, const std::string& reference);

}  // namespace jobgen::testing
