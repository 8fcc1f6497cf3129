#include "test_package.h"

#include <zip.h>

#include <cstdlib>
#include <cstring>

namespace tav::render::testing {

namespace {

bool Add(zip_t* archive, const std::string& name, const std::string& content)
{
    // libzip copies the bytes it is given only when asked to free them.
    char* copy = static_cast<char*>(malloc(content.size() + 1));
    memcpy(copy, content.data(), content.size());
    zip_source_t* source = zip_source_buffer(archive, copy, content.size(), 1);
    if (!source) return false;
    if (zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

}  // namespace

bool WriteXpsPackage(const std::string& path, const std::vector<std::string>& pages,
                     const std::vector<std::pair<std::string, std::string>>& resources)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) return false;
    std::string document = "<FixedDocument xmlns=\"http://schemas.microsoft.com/xps/2005/06\">";
    bool ok = true;
    for (size_t i = 0; i < pages.size(); ++i) {
        std::string name = "Documents/1/Pages/" + std::to_string(i + 1) + ".fpage";
        document += "<PageContent Source=\"/" + name + "\"/>";
        ok = ok && Add(archive, name, pages[i]);
    }
    document += "</FixedDocument>";
    std::string types =
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"fdseq\" ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml\"/>"
        "<Default Extension=\"fdoc\" ContentType=\"application/vnd.ms-package.xps-fixeddocument+xml\"/>"
        "<Default Extension=\"fpage\" ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/>"
        "<Default Extension=\"ttf\" ContentType=\"application/vnd.ms-opentype\"/>"
        "<Default Extension=\"ttc\" ContentType=\"application/vnd.ms-opentype\"/>"
        "<Default Extension=\"odttf\" ContentType=\"application/vnd.ms-package.obfuscated-opentype\"/>"
        "<Default Extension=\"dict\" ContentType=\"application/vnd.ms-package.xps-resourcedictionary+xml\"/>"
        "</Types>";
    ok = ok && Add(archive, "[Content_Types].xml", types) &&
         Add(archive, "_rels/.rels",
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Type=\"http://schemas.microsoft.com/xps/2005/06/fixedrepresentation\" "
             "Target=\"/FixedDocumentSequence.fdseq\" Id=\"R0\"/></Relationships>") &&
         Add(archive, "FixedDocumentSequence.fdseq",
             "<FixedDocumentSequence xmlns=\"http://schemas.microsoft.com/xps/2005/06\">"
             "<DocumentReference Source=\"/Documents/1/FixedDocument.fdoc\"/></FixedDocumentSequence>") &&
         Add(archive, "Documents/1/FixedDocument.fdoc", document);
    for (const auto& [name, bytes] : resources)
        ok = ok && Add(archive, name.starts_with("/") ? name.substr(1) : name, bytes);
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return ok;
}

}  // namespace tav::render::testing
