// Test packages the host's tests make themselves: small, valid XPS (or
// OpenXPS) packages with the documents, pages, tickets and resources a test
// asks for, and raw zip archives for broken ones. Written with libzip, so
// that they do not depend on the host's own zip writer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tav::host::testing {

struct TestResource {
    std::string name;         // part name, "/Resources/a.png"
    std::string contentType;  // "image/png"
    std::string bytes;
};

// A part with the relationship that reaches it (core properties and
// thumbnails of the package, story fragments of a page, ...).
struct TestRelatedPart {
    std::string relationshipType;
    TestResource part;
};

struct TestPage {
    double width = 816;
    double height = 1056;
    std::string ticket;                  // ticket markup; empty for none
    std::vector<std::string> resources;  // names of TestPackage::resources
    std::string body;                    // markup inside FixedPage; a filled rectangle when empty
    std::vector<TestRelatedPart> related;
};

struct TestDocument {
    std::vector<TestPage> pages;
    std::string ticket;
};

struct TestPackage {
    std::vector<TestDocument> documents;
    std::string jobTicket;
    std::vector<TestResource> resources;
    std::vector<TestRelatedPart> packageParts;
    bool openXps = false;
    bool interleavePages = false;  // store each page in three pieces
};

// n pages of the size given, in one document.
TestPackage PagesOfSize(int pages, double width = 816, double height = 1056);

// Writes the package; part names follow /Documents/N/Pages/M.fpage.
void WritePackage(const std::string& path, const TestPackage& package);

// The markup and entries WritePackage writes, for tests that break one.
std::vector<std::pair<std::string, std::string>> PackageEntries(const TestPackage& package);

// Writes a zip of the entries (item name, bytes), deflated.
void WriteZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries);

// Rewrites an entry's declared uncompressed size in its local header and in
// the central directory, as a zip bomb that lies about its size does.
void PatchDeclaredSize(const std::string& path, const std::string& item, uint32_t size);
// Rewrites an entry's declared CRC-32 in both places, as a damaged entry has.
void PatchDeclaredCrc(const std::string& path, const std::string& item, uint32_t crc);

// A print ticket with one job-level parameter, for tests that need a ticket.
std::string SimpleTicket(int copies);

// The test's own temporary folder, removed at exit.
std::string TemporaryFolder();

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// ASCII markup as UTF-16 with its byte-order mark, little or big endian; an
// encoding="utf-8" declaration becomes utf-16.
std::string ToUtf16(const std::string& ascii, bool littleEndian);

// Entries of a zip (item names), read with libzip.
std::vector<std::string> ZipItemNames(const std::string& path);
std::string ZipItem(const std::string& path, const std::string& item);

// The build folder: TAV_BUILD_DIR, else the folder above the test binary's.
std::string BuildFolder();
// The fixtures folder, "" when absent.
std::string FixturesFolder();

}  // namespace tav::host::testing
