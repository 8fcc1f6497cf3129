#include "jobgen/zip_writer.h"

#include <stdexcept>

namespace jobgen {

namespace {

// Raw deflate at the fastest level: generated markup compresses well enough
// and large jobs must be written quickly.
constexpr int kDeflateLevel = 1;

std::runtime_error NamingTheArchive(const std::string& path, const std::exception& error)
{
    return std::runtime_error(path + ": " + error.what());
}

tav::zip::OutputFile OpenBeside(const std::string& path)
{
    try {
        return tav::zip::OutputFile(path, "jobgen");
    } catch (const std::runtime_error& error) {
        throw NamingTheArchive(path, error);
    }
}

}  // namespace

ZipWriter::ZipWriter(std::string path)
    : path_(std::move(path)), file_(OpenBeside(path_)), zip_(file_.TakeDescriptor(), tav::zip::kEarliestDosTime)
{
}

void ZipWriter::Add(std::string_view name, std::span<const uint8_t> data, ZipMethod method)
{
    try {
        zip_.BeginEntry(std::string(name), method == ZipMethod::Stored ? tav::zip::ZipWriter::kStored : kDeflateLevel);
        zip_.Write(data.data(), data.size());
        zip_.EndEntry();
    } catch (const std::runtime_error& error) {
        throw NamingTheArchive(path_, error);
    }
}

void ZipWriter::Add(std::string_view name, std::string_view text, ZipMethod method)
{
    Add(name, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), method);
}

void ZipWriter::Finish()
{
    try {
        zip_.Finish();
        file_.Commit();
    } catch (const std::runtime_error& error) {
        throw NamingTheArchive(path_, error);
    }
}

}  // namespace jobgen
