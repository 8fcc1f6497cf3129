// The file list of a manual two-sided job: the second-pass files the
// converter reported, in arrival order, in a text file the manual duplex
// program reads (section "FileList", keys "1", "2", ... in the profile-file
// format).
//
// The list decides which files the program prints, so nobody but its
// owner may change it: it is made, mode 0644, in a new folder (mkdtemp,
// mode 0755) in the folder of the first path, or in the temporary folder
// when the first path names none, so that no other user can have put or
// swapped anything there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tav::rip {

class ManualDuplexFileList {
public:
    ManualDuplexFileList() = default;
    ManualDuplexFileList(const ManualDuplexFileList&) = delete;
    ManualDuplexFileList& operator=(const ManualDuplexFileList&) = delete;

    // Adds one path; the first makes the list. False with *failure when the
    // path cannot be listed (it holds a line break or a NUL) or the list
    // cannot be written.
    bool Add(std::u16string_view path, std::string* failure);

    // The list's path; empty while there is none.
    const std::string& Path() const { return path_; }
    size_t Count() const { return entries_.size(); }

    // Removes the list and its folder.
    void Delete();

private:
    bool Create(const std::string& firstPath, std::string* failure);
    bool Write(std::string* failure) const;

    std::string folder_;
    std::string path_;
    std::vector<std::string> entries_;
};

// The folder a first path names (up to its last '/'), or the user's
// temporary folder (TMPDIR, else /tmp) when there is no '/' after its first
// character.
std::string FileListFolderFor(std::string_view firstPath);

}  // namespace tav::rip
