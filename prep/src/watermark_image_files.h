// WatermarkImageFiles: what the job has learnt about the image files its
// bitmap watermarks draw, kept as long as the filter object (one job) while
// the decorations themselves are rebuilt for every page:
// - the part name of each file's image, chosen once, so that the job has
//   one image part per file and no two files (or a failed try and a later
//   one) ever share a name;
// - each file's size on the page, so that a page after the first does not
//   decode the image again;
// - each file that could not be loaded, with the reason, so that a damaged
//   file is not decoded again on every page: a later page tries it again
//   only when the file has changed since (its size or modification time).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "bitmap_watermark_geometry.h"
#include "platform/hresult.h"

struct ImageLoadFailure {
    HRESULT result = E_FAIL;
    std::string reason;
};

class WatermarkImageFiles {
public:
    // The part name of the file's image for this job: the first call makes
    // it from the tick count it is given, counting on from there past any
    // name given out before.
    std::u16string PartNameFor(std::u16string_view fileName, unsigned ticks);
    // The part could not be written under its name: the next try chooses a
    // new one (the old one stays taken).
    void DropPartName(std::u16string_view fileName);

    // The failure remembered for the file while the file is as it was when
    // it failed; null otherwise.
    const ImageLoadFailure* KnownFailure(std::u16string_view fileName) const;
    // Remembers the failure. The first failure of a file in the job also
    // makes a warning for the user, naming the file and the reason.
    void RememberFailure(std::u16string_view fileName, ImageLoadFailure failure);
    // The warnings made since the last call.
    std::vector<std::u16string> TakeWarnings();

    std::optional<ImageExtent> KnownExtent(std::u16string_view fileName) const;
    void RememberExtent(std::u16string_view fileName, ImageExtent extent);

private:
    // What the file looked like: missing, or its size and modification time.
    struct FileState {
        bool present = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const FileState&) const = default;
    };
    static FileState StateOf(std::u16string_view fileName);

    struct Failed {
        ImageLoadFailure failure;
        FileState state;
    };
    std::map<std::u16string, std::u16string, std::less<>> partNames_;
    std::set<std::u16string, std::less<>> takenNames_;
    std::map<std::u16string, Failed, std::less<>> failures_;
    std::map<std::u16string, ImageExtent, std::less<>> extents_;
    std::vector<std::u16string> warnings_;
};
