// Real XPS packages made by other programs, every page rewritten with the
// copy writer: the result is well-formed, keeps every element and attribute
// of the original, and prints the same pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <zip.h>

#include "jobgen/program_runner.h"
#include "jobgen/require_program.h"
#include "jobgen/rgb_image.h"
#include "jobgen/zip_writer.h"
#include "markup_test_support.h"

namespace {

using namespace markuptest;

std::filesystem::path FixturePackage(const std::string& name)
{
    const char* root = std::getenv("TAV_FIXTURES");
    return std::filesystem::path(root != nullptr ? root : "../shared/fixtures") / "xps" / name;
}

struct Entry {
    std::string name;
    std::string data;
};

// Every file entry of a zip package, in archive order.
std::vector<Entry> ReadEntries(const std::filesystem::path& package)
{
    int error = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(package.c_str(), ZIP_RDONLY, &error), &zip_discard);
    if (!archive) throw std::runtime_error(package.string() + ": libzip cannot open it");
    std::vector<Entry> entries;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive.get(), i, 0, &stat) != 0) throw std::runtime_error("cannot stat an entry");
        Entry entry{stat.name, std::string(stat.size, '\0')};
        if (entry.name.ends_with("/")) continue;
        zip_file_t* file = zip_fopen_index(archive.get(), i, 0);
        if (file == nullptr) throw std::runtime_error("cannot open " + entry.name);
        zip_int64_t read = zip_fread(file, entry.data.data(), stat.size);
        zip_fclose(file);
        if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size)
            throw std::runtime_error("cannot read " + entry.name);
        entries.push_back(std::move(entry));
    }
    return entries;
}

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "markup-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The elements and attributes of a tree, in document order, with each
// name's namespace: what a rewrite must keep. Text, comments and processing
// instructions are left out, as the writers leave them out.
void Describe(xmlNode* node, std::string& out)
{
    for (; node != nullptr; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        out += "<{";
        if (node->ns != nullptr) out += reinterpret_cast<const char*>(node->ns->href);
        out += "}";
        out += reinterpret_cast<const char*>(node->name);
        for (xmlNs* ns = node->nsDef; ns != nullptr; ns = ns->next) {
            out += " xmlns:";
            if (ns->prefix != nullptr) out += reinterpret_cast<const char*>(ns->prefix);
            out += "=";
            out += reinterpret_cast<const char*>(ns->href);
        }
        for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
            out += " {";
            if (attribute->ns != nullptr) out += reinterpret_cast<const char*>(attribute->ns->href);
            out += "}";
            out += reinterpret_cast<const char*>(attribute->name);
            out += "=[" +
                   AttributeValue(
                       node, reinterpret_cast<const char*>(attribute->name),
                       attribute->ns != nullptr ? reinterpret_cast<const char*>(attribute->ns->href) : nullptr) +
                   "]";
        }
        out += ">";
        Describe(node->children, out);
        out += "</>";
    }
}

std::string DescribeDocument(const std::string& markup)
{
    XmlDoc doc = ParseXml(markup);
    if (!doc) return "not well-formed";
    std::string out;
    Describe(xmlDocGetRootElement(doc.get()), out);
    return out;
}

// Writes a copy of original with the given entries and renders both with
// MuPDF; every page must come out with the same pixels.
void ExpectSameRendering(const std::filesystem::path& original, const std::vector<Entry>& entries)
{
    TempFolder folder;
    std::string copy = (folder / ("copy-" + original.filename().string())).string();
    jobgen::ZipWriter writer(copy);
    for (const Entry& entry : entries) writer.Add(entry.name, entry.data);
    writer.Finish();

    std::vector<std::string> before = jobgen::RenderWithMutool(original.string(), 50, (folder / "before").string());
    std::vector<std::string> after = jobgen::RenderWithMutool(copy, 50, (folder / "after").string());
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        jobgen::RgbImage expected = jobgen::ReadPngFile(before[i]);
        jobgen::RgbImage actual = jobgen::ReadPngFile(after[i]);
        ASSERT_EQ(actual.Width(), expected.Width()) << "page " << i + 1;
        ASSERT_EQ(actual.Height(), expected.Height()) << "page " << i + 1;
        EXPECT_TRUE(actual.Bytes() == expected.Bytes()) << "page " << i + 1 << " renders differently";
    }
}

class FixturePages : public ::testing::TestWithParam<const char*> {
protected:
    // The package's entries; skips the test when the fixtures are absent.
    std::vector<Entry> Entries()
    {
        if (!std::filesystem::exists(Package())) return {};
        return ReadEntries(Package());
    }
    std::filesystem::path Package() const { return FixturePackage(GetParam()); }

private:
    ComApartment com_;
};

#define SKIP_WITHOUT_FIXTURE(entries) \
    if ((entries).empty()) GTEST_SKIP() << Package() << " not found; set TAV_FIXTURES"

TEST_P(FixturePages, RewrittenWithNoChangeKeepTheirMarkupAndRenderTheSame)
{
    std::vector<Entry> entries = Entries();
    SKIP_WITHOUT_FIXTURE(entries);
    int pages = 0;
    for (Entry& entry : entries) {
        if (!entry.name.ends_with(".fpage")) continue;
        ++pages;
        SCOPED_TRACE(entry.name);
        Rewritten page = Copy(entry.data);
        ASSERT_EQ(page.result, S_OK);
        EXPECT_EQ(page.closeCount, 1);
        EXPECT_EQ(page.writeSizes.size(), 1u);
        EXPECT_TRUE(page.markup.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?><"))
            << page.markup.substr(0, 60);
        EXPECT_EQ(DescribeDocument(page.markup), DescribeDocument(entry.data));
        entry.data = std::move(page.markup);
    }
    ASSERT_GT(pages, 0);
    JOBGEN_REQUIRE_PROGRAM("mutool");
    ExpectSameRendering(Package(), entries);
}

TEST_P(FixturePages, WrappedInACanvasThatTakesTheirResourcesRenderTheSame)
{
    std::vector<Entry> original = Entries();
    SKIP_WITHOUT_FIXTURE(original);
    for (ResourcesElement resources : {ResourcesElement::Rename, ResourcesElement::RenameInOwnCanvas}) {
        SCOPED_TRACE(resources == ResourcesElement::Rename ? "renamed" : "renamed in a Canvas of their own");
        std::vector<Entry> entries = original;
        for (Entry& entry : entries) {
            if (!entry.name.ends_with(".fpage")) continue;
            SCOPED_TRACE(entry.name);
            Rewritten page = Rewrite(entry.data, CanvasWrapping(u"1,0,0,1,0,0", resources));
            ASSERT_EQ(page.result, S_OK);
            ASSERT_NE(DescribeDocument(page.markup), "not well-formed");
            entry.data = std::move(page.markup);
        }
        JOBGEN_REQUIRE_PROGRAM("mutool");
        ExpectSameRendering(Package(), entries);
    }
}

INSTANTIATE_TEST_SUITE_P(Packages, FixturePages, ::testing::Values("mb01.xps", "mb06.xps", "mb08.xps", "mb06.oxps"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '.') c = '_';
                             return name;
                         });

TEST(FixturePageWithByteOrderMark, StartsWithTheMarkAndCommentsAndComesOutWithNeither)
{
    ComApartment com;
    std::filesystem::path package = FixturePackage("mb06.xps");
    if (!std::filesystem::exists(package)) GTEST_SKIP() << package << " not found; set TAV_FIXTURES";
    for (const Entry& entry : ReadEntries(package)) {
        if (entry.name != "Documents/1/Pages/1.fpage") continue;
        ASSERT_TRUE(entry.data.starts_with("\xEF\xBB\xBF<!--"));
        Rewritten page = Copy(entry.data);
        ASSERT_EQ(page.result, S_OK);
        EXPECT_TRUE(page.markup.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?><FixedPage "));
        EXPECT_EQ(page.markup.find("<!--"), std::string::npos);
        EXPECT_EQ(page.markup.find("\xEF\xBB\xBF"), std::string::npos);
        return;
    }
    FAIL() << "mb06.xps has no first page";
}

}  // namespace
