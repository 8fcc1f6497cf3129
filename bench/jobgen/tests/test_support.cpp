#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <libxml/parser.h>
#include <zip.h>

namespace jobgen::testing {

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/jobgen-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

namespace {

struct ZipClose {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

std::string ReadEntry(zip_t* archive, zip_uint64_t index)
{
    zip_stat_t stat;
    if (zip_stat_index(archive, index, 0, &stat) != 0) throw std::runtime_error("cannot stat a zip entry");
    std::string data(stat.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    if (!file) throw std::runtime_error(std::string("cannot open zip entry ") + stat.name);
    zip_int64_t got = zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size)
        throw std::runtime_error(std::string("cannot read zip entry ") + stat.name);
    return data;
}

// "a/b.ext/[3].piece" -> ("/a/b.ext", 3, false); false for other names.
bool SplitPieceName(const std::string& entry, std::string& part, int& index, bool& last)
{
    size_t slash = entry.rfind('/');
    if (slash == std::string::npos || entry.compare(slash + 1, 1, "[") != 0) return false;
    size_t close = entry.find(']', slash);
    if (close == std::string::npos) return false;
    std::string suffix = entry.substr(close + 1);
    if (suffix != ".piece" && suffix != ".last.piece") return false;
    index = std::stoi(entry.substr(slash + 2, close - slash - 2));
    last = suffix == ".last.piece";
    part = "/" + entry.substr(0, slash);
    return true;
}

}  // namespace

ZipPackage::ZipPackage(const std::string& path)
{
    int error = 0;
    // ZIP_CHECKCONS compares every local header with the central directory.
    std::unique_ptr<zip_t, ZipClose> archive(zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) throw std::runtime_error(path + ": libzip cannot open it (error " + std::to_string(error) + ")");
    std::map<std::string, std::map<int, std::pair<bool, std::string>>> pieces;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        std::string name = zip_get_name(archive.get(), i, 0);
        entries_.push_back(name);
        std::string data = ReadEntry(archive.get(), i);
        std::string part;
        int index = 0;
        bool last = false;
        if (SplitPieceName(name, part, index, last)) {
            if (pieces.count(part) == 0) partNames_.push_back(part);
            if (!pieces[part].emplace(index, std::make_pair(last, std::move(data))).second)
                throw std::runtime_error(path + ": piece " + name + " twice");
            continue;
        }
        partNames_.push_back("/" + name);
        parts_["/" + name] = std::move(data);
    }
    for (auto& [part, list] : pieces) {
        std::string joined;
        int expected = 0;
        for (auto& [index, piece] : list) {
            bool isLast = index == static_cast<int>(list.size()) - 1;
            if (index != expected++ || piece.first != isLast)
                throw std::runtime_error(path + ": pieces of " + part + " are not numbered 0..N with N last");
            joined += piece.second;
        }
        parts_[part] = std::move(joined);
    }
}

const std::string& ZipPackage::Part(const std::string& partName) const
{
    auto found = parts_.find(partName);
    if (found == parts_.end()) throw std::out_of_range("no part " + partName);
    return found->second;
}

XmlDoc ParseXml(const std::string& text)
{
    // XML_PARSE_NONET and no NOENT/DTDLOAD: nothing outside the text is read.
    XmlDoc doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                             XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (doc && doc->intSubset) return nullptr;
    return doc;
}

std::vector<xmlNode*> ChildElements(xmlNode* parent, const char* name)
{
    std::vector<xmlNode*> children;
    for (xmlNode* child = parent->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (!name || xmlStrcmp(child->name, BAD_CAST name) == 0) children.push_back(child);
    }
    return children;
}

std::string Attribute(xmlNode* element, const char* name)
{
    xmlChar* value = xmlGetNoNsProp(element, BAD_CAST name);
    if (!value) return {};
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

std::string Namespace(xmlNode* element)
{
    return element->ns && element->ns->href ? reinterpret_cast<const char*>(element->ns->href) : "";
}

std::string ResolvePartName(const std::string& sourcePart, const std::string& reference)
{
    if (reference.starts_with('/')) return reference;
    std::string folder = sourcePart.substr(0, sourcePart.rfind('/') + 1);
    std::filesystem::path resolved = std::filesystem::path(folder + reference).lexically_normal();
    return resolved.string();
}

std::vector<Relationship> RelationshipsOf(const ZipPackage& package, const std::string& sourcePart)
{
    std::string folder = sourcePart.substr(0, sourcePart.rfind('/') + 1);
    std::string name = sourcePart.substr(sourcePart.rfind('/') + 1);
    std::string relsPart = folder + "_rels/" + name + ".rels";
    std::vector<Relationship> relationships;
    if (!package.HasPart(relsPart)) return relationships;
    XmlDoc doc = ParseXml(package.Part(relsPart));
    if (!doc) throw std::runtime_error(relsPart + " is not well-formed");
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (Namespace(root) != "http://schemas.openxmlformats.org/package/2006/relationships")
        throw std::runtime_error(relsPart + " is not a relationships part");
    for (xmlNode* element : ChildElements(root, "Relationship")) {
        std::string base = sourcePart == "/" ? "/" : sourcePart;
        relationships.push_back({Attribute(element, "Type"), ResolvePartName(base, Attribute(element, "Target"))});
    }
    return relationships;
}

}  // namespace jobgen::testing
