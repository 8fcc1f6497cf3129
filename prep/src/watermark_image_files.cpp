#include "watermark_image_files.h"

#include <system_error>
#include <utility>

#include "platform/wformat.h"
#include "watermark_part_name.h"

std::u16string WatermarkImageFiles::PartNameFor(std::u16string_view fileName, unsigned ticks)
{
    auto known = partNames_.find(fileName);
    if (known != partNames_.end()) return known->second;
    std::u16string name = WatermarkImagePartName(fileName, ticks);
    while (takenNames_.count(name) != 0) name = WatermarkImagePartName(fileName, ++ticks);
    takenNames_.insert(name);
    partNames_.emplace(std::u16string(fileName), name);
    return name;
}

void WatermarkImageFiles::DropPartName(std::u16string_view fileName)
{
    auto known = partNames_.find(fileName);
    if (known != partNames_.end()) partNames_.erase(known);
}

WatermarkImageFiles::FileState WatermarkImageFiles::StateOf(std::u16string_view fileName)
{
    std::filesystem::path path(WideToUtf8(fileName.data(), fileName.size()));
    std::error_code error;
    FileState state;
    state.size = std::filesystem::file_size(path, error);
    if (error) return FileState{};
    state.modified = std::filesystem::last_write_time(path, error);
    if (error) return FileState{};
    state.present = true;
    return state;
}

const ImageLoadFailure* WatermarkImageFiles::KnownFailure(std::u16string_view fileName) const
{
    auto known = failures_.find(fileName);
    if (known == failures_.end() || !(StateOf(fileName) == known->second.state)) return nullptr;
    return &known->second.failure;
}

void WatermarkImageFiles::RememberFailure(std::u16string_view fileName, ImageLoadFailure failure)
{
    std::u16string reason = Utf8ToWide(failure.reason.empty() ? "it cannot be read" : failure.reason);
    Failed failed{std::move(failure), StateOf(fileName)};
    auto [entry, first] = failures_.try_emplace(std::u16string(fileName), failed);
    if (!first) {
        entry->second = std::move(failed);
        return;
    }
    warnings_.push_back(u"the watermark image \"" + std::u16string(fileName) + u"\" cannot be loaded: " + reason +
                        u"; the pages are printed without it");
}

std::vector<std::u16string> WatermarkImageFiles::TakeWarnings() { return std::exchange(warnings_, {}); }

std::optional<ImageExtent> WatermarkImageFiles::KnownExtent(std::u16string_view fileName) const
{
    auto known = extents_.find(fileName);
    if (known == extents_.end()) return std::nullopt;
    return known->second;
}

void WatermarkImageFiles::RememberExtent(std::u16string_view fileName, ImageExtent extent)
{
    extents_.insert_or_assign(std::u16string(fileName), extent);
}
