#include "support/test_package.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tav::host::testing {
namespace {

const char* kXpsNs = "http://schemas.microsoft.com/xps/2005/06";
const char* kOxpsNs = "http://schemas.openxps.org/oxps/v1.0";
const char* kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";

std::string Number(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string Rels(const std::vector<std::pair<std::string, std::string>>& relationships)
{
    std::string markup =
        std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?><Relationships xmlns=\"") + kRelsNs + "\">";
    int id = 0;
    for (const auto& [type, target] : relationships) {
        markup +=
            "<Relationship Id=\"R" + std::to_string(id++) + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
    }
    return markup + "</Relationships>";
}

std::string Vocabulary(bool openXps, const std::string& suffix)
{
    return std::string(openXps ? kOxpsNs : kXpsNs) + suffix;
}

}  // namespace

TestPackage PagesOfSize(int pages, double width, double height)
{
    TestPackage package;
    package.documents.emplace_back();
    for (int i = 0; i < pages; ++i) {
        TestPage page;
        page.width = width;
        page.height = height;
        package.documents[0].pages.push_back(page);
    }
    return package;
}

std::string SimpleTicket(int copies)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<psf:PrintTicket version=\"1\" "
           "xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
           "xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">"
           "<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xs:integer\">" +
           std::to_string(copies) + "</psf:Value></psf:ParameterInit></psf:PrintTicket>";
}

std::vector<std::pair<std::string, std::string>> PackageEntries(const TestPackage& package)
{
    bool oxps = package.openXps;
    std::vector<std::pair<std::string, std::string>> entries;
    std::string types =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"fdseq\" ContentType=\"application/vnd.ms-package.xps-fixeddocumentsequence+xml\"/>"
        "<Default Extension=\"fdoc\" ContentType=\"application/vnd.ms-package.xps-fixeddocument+xml\"/>"
        "<Default Extension=\"fpage\" ContentType=\"application/vnd.ms-package.xps-fixedpage+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/vnd.ms-printing.printticket+xml\"/>";
    std::vector<TestResource> overrides = package.resources;
    std::vector<std::pair<std::string, std::string>> packageRelationships = {
        {Vocabulary(oxps, "/fixedrepresentation"), "/FixedDocumentSequence.fdseq"}};
    for (const TestRelatedPart& related : package.packageParts) {
        overrides.push_back(related.part);
        packageRelationships.emplace_back(related.relationshipType, related.part.name);
        entries.emplace_back(related.part.name.substr(1), related.part.bytes);
    }
    for (const TestDocument& document : package.documents) {
        for (const TestPage& page : document.pages) {
            for (const TestRelatedPart& related : page.related) overrides.push_back(related.part);
        }
    }
    for (const TestResource& resource : overrides) {
        types += "<Override PartName=\"" + resource.name + "\" ContentType=\"" + resource.contentType + "\"/>";
    }
    types += "</Types>";
    entries.emplace_back("[Content_Types].xml", types);
    entries.emplace_back("_rels/.rels", Rels(packageRelationships));

    std::string sequence = std::string("<FixedDocumentSequence xmlns=\"") + (oxps ? kOxpsNs : kXpsNs) + "\">";
    for (size_t d = 0; d < package.documents.size(); ++d) {
        const TestDocument& document = package.documents[d];
        std::string folder = "Documents/" + std::to_string(d + 1);
        sequence += "<DocumentReference Source=\"/" + folder + "/FixedDocument.fdoc\"/>";
        std::string markup = std::string("<FixedDocument xmlns=\"") + (oxps ? kOxpsNs : kXpsNs) + "\">";
        for (size_t p = 0; p < document.pages.size(); ++p) {
            const TestPage& page = document.pages[p];
            std::string pageName = folder + "/Pages/" + std::to_string(p + 1) + ".fpage";
            // Relative, as many producers write them.
            markup += "<PageContent Source=\"Pages/" + std::to_string(p + 1) + ".fpage\"/>";
            std::string body = page.body.empty() ? "<Path Data=\"M 10,10 L " + Number(page.width - 10) + ",10 " +
                                                       Number(page.width - 10) + "," + Number(page.height - 10) +
                                                       " 10," + Number(page.height - 10) + " Z\" Fill=\"#FF" +
                                                       std::string(p % 2 ? "0000FF" : "FF0000") + "\"/>"
                                                 : page.body;
            std::string pageMarkup = std::string("<FixedPage xmlns=\"") + (oxps ? kOxpsNs : kXpsNs) + "\" Width=\"" +
                                     Number(page.width) + "\" Height=\"" + Number(page.height) +
                                     "\" xml:lang=\"en-US\">" + body + "</FixedPage>";
            if (package.interleavePages && pageMarkup.size() >= 3) {
                size_t third = pageMarkup.size() / 3;
                entries.emplace_back(pageName + "/[0].piece", pageMarkup.substr(0, third));
                entries.emplace_back(pageName + "/[1].piece", pageMarkup.substr(third, third));
                entries.emplace_back(pageName + "/[2].last.piece", pageMarkup.substr(2 * third));
            } else {
                entries.emplace_back(pageName, pageMarkup);
            }
            std::vector<std::pair<std::string, std::string>> relationships;
            for (const std::string& resource : page.resources) {
                relationships.emplace_back(Vocabulary(oxps, "/required-resource"), resource);
            }
            for (const TestRelatedPart& related : page.related) {
                relationships.emplace_back(related.relationshipType, related.part.name);
                entries.emplace_back(related.part.name.substr(1), related.part.bytes);
            }
            if (!page.ticket.empty()) {
                std::string ticketName = "/" + folder + "/Pages/" + std::to_string(p + 1) + "_PT.xml";
                entries.emplace_back(ticketName.substr(1), page.ticket);
                relationships.emplace_back(Vocabulary(oxps, "/printticket"), ticketName);
            }
            if (!relationships.empty()) {
                entries.emplace_back(folder + "/Pages/_rels/" + std::to_string(p + 1) + ".fpage.rels",
                                     Rels(relationships));
            }
        }
        entries.emplace_back(folder + "/FixedDocument.fdoc", markup + "</FixedDocument>");
        if (!document.ticket.empty()) {
            entries.emplace_back(folder + "/Document_PT.xml", document.ticket);
            entries.emplace_back(folder + "/_rels/FixedDocument.fdoc.rels",
                                 Rels({{Vocabulary(oxps, "/printticket"), "/" + folder + "/Document_PT.xml"}}));
        }
    }
    entries.emplace_back("FixedDocumentSequence.fdseq", sequence + "</FixedDocumentSequence>");
    if (!package.jobTicket.empty()) {
        entries.emplace_back("Job_PT.xml", package.jobTicket);
        entries.emplace_back("_rels/FixedDocumentSequence.fdseq.rels",
                             Rels({{Vocabulary(oxps, "/printticket"), "/Job_PT.xml"}}));
    }
    for (const TestResource& resource : package.resources)
        entries.emplace_back(resource.name.substr(1), resource.bytes);
    return entries;
}

void WritePackage(const std::string& path, const TestPackage& package) { WriteZip(path, PackageEntries(package)); }

void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) throw std::runtime_error("cannot create " + path);
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (source == nullptr || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name + " to " + path);
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write " + path);
    }
}

namespace {

// Rewrites a 32-bit field of an entry in its local header and in the
// central directory (offsets from the start of each record).
void PatchEntryField(const std::string& path, const std::string& item, size_t localOffset, size_t centralOffset,
                     uint32_t value)
{
    std::string bytes = ReadFile(path);
    auto le32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    size_t end = bytes.rfind(std::string("PK\x05\x06", 4));
    size_t directory = le32(end + 16);
    for (size_t at = directory; at < end && le32(at) == 0x02014b50;) {
        size_t nameLength = static_cast<unsigned char>(bytes[at + 28]) | static_cast<unsigned char>(bytes[at + 29])
                                                                             << 8;
        size_t extra = static_cast<unsigned char>(bytes[at + 30]) | static_cast<unsigned char>(bytes[at + 31]) << 8;
        size_t comment = static_cast<unsigned char>(bytes[at + 32]) | static_cast<unsigned char>(bytes[at + 33]) << 8;
        if (bytes.compare(at + 46, nameLength, item) == 0) {
            put32(at + centralOffset, value);
            put32(le32(at + 42) + localOffset, value);
        }
        at += 46 + nameLength + extra + comment;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

}  // namespace

void PatchDeclaredSize(const std::string& path, const std::string& item, uint32_t size)
{
    PatchEntryField(path, item, 22, 24, size);
}

void PatchDeclaredCrc(const std::string& path, const std::string& item, uint32_t crc)
{
    PatchEntryField(path, item, 14, 16, crc);
}

std::string TemporaryFolder()
{
    struct Folder {
        std::string path = std::filesystem::temp_directory_path().string() + "/tavhost-test-XXXXXX";
        Folder()
        {
            if (mkdtemp(path.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
        }
        ~Folder() { std::filesystem::remove_all(path); }
    };
    static Folder folder;
    return folder.path;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> ZipItemNames(const std::string& path)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) throw std::runtime_error("cannot open " + path);
    std::vector<std::string> names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) names.push_back(zip_get_name(archive, i, 0));
    zip_discard(archive);
    return names;
}

std::string ZipItem(const std::string& path, const std::string& item)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) throw std::runtime_error("cannot open " + path);
    zip_file_t* file = zip_fopen(archive, item.c_str(), ZIP_FL_NOCASE);
    if (file == nullptr) {
        zip_discard(archive);
        throw std::runtime_error(path + " has no item " + item);
    }
    std::string bytes;
    char block[65536];
    zip_int64_t got;
    while ((got = zip_fread(file, block, sizeof block)) > 0) bytes.append(block, static_cast<size_t>(got));
    zip_fclose(file);
    zip_discard(archive);
    return bytes;
}

std::string BuildFolder()
{
    const char* folder = std::getenv("TAV_BUILD_DIR");
    if (folder != nullptr && *folder != '\0') return folder;
    // Test binaries live in the build's bin folder.
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return self.parent_path().parent_path().string();
}

std::string FixturesFolder()
{
    const char* folder = std::getenv("TAV_FIXTURES");
    std::string candidate = folder != nullptr ? std::string(folder) + "/xps" : "../shared/fixtures/xps";
    return FileExists(candidate + "/mb01.xps") ? candidate : "";
}

std::string ToUtf16(const std::string& ascii, bool littleEndian)
{
    std::string text = ascii;
    for (const char* declared : {"encoding=\"utf-8\"", "encoding=\"UTF-8\""}) {
        for (size_t at; (at = text.find(declared)) != std::string::npos;) text.replace(at, 16, "encoding=\"utf-16\"");
    }
    std::string wide = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : text) {
        wide.push_back(littleEndian ? c : '\0');
        wide.push_back(littleEndian ? '\0' : c);
    }
    return wide;
}

}  // namespace tav::host::testing
