#include "file_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/wformat.h"

namespace tav::rip {
namespace {

constexpr mode_t kListMode = 0644;
constexpr mode_t kFolderMode = 0755;

std::string Because(const std::string& what) { return what + ": " + std::strerror(errno); }

bool WriteAll(int descriptor, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

std::string FileListFolderFor(std::string_view firstPath)
{
    size_t slash = firstPath.rfind('/');
    if (slash != std::string_view::npos && slash > 0) return std::string(firstPath.substr(0, slash));
    const char* temporary = std::getenv("TMPDIR");
    return temporary != nullptr && *temporary == '/' ? temporary : "/tmp";
}

bool ManualDuplexFileList::Add(std::u16string_view path, std::string* failure)
{
    std::string entry = WideToUtf8(path.data(), path.size());
    // A line break would start a key of its own in the list.
    if (entry.empty() || entry.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        *failure = "the second-pass file \"" + entry + "\" cannot be listed: its name is empty or holds a line break";
        return false;
    }
    if (path_.empty() && !Create(entry, failure)) return false;
    entries_.push_back(std::move(entry));
    if (Write(failure)) return true;
    entries_.pop_back();
    return false;
}

bool ManualDuplexFileList::Create(const std::string& firstPath, std::string* failure)
{
    std::string folder = FileListFolderFor(firstPath) + "/qzXXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        *failure = Because("the manual duplex file list cannot be made in " + FileListFolderFor(firstPath));
        return false;
    }
    // Readable by everyone; only the owner may add, remove or swap files.
    if (chmod(folder.c_str(), kFolderMode) != 0) {
        *failure = Because("the manual duplex file list's folder " + folder + " cannot be opened to its readers");
        rmdir(folder.c_str());
        return false;
    }
    folder_ = folder;
    path_ = folder + "/filelist.ini";
    return true;
}

bool ManualDuplexFileList::Write(std::string* failure) const
{
    std::string text = "[FileList]\n";
    for (size_t index = 0; index < entries_.size(); ++index)
        text += std::to_string(index + 1) + "=" + entries_[index] + "\n";
    int descriptor = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, kListMode);
    if (descriptor < 0) {
        *failure = Because("the manual duplex file list " + path_ + " cannot be written");
        return false;
    }
    // The mode whatever the process's umask.
    bool written = fchmod(descriptor, kListMode) == 0 && WriteAll(descriptor, text);
    if (close(descriptor) != 0) written = false;
    if (!written) *failure = Because("the manual duplex file list " + path_ + " cannot be written");
    return written;
}

void ManualDuplexFileList::Delete()
{
    if (!path_.empty()) unlink(path_.c_str());
    if (!folder_.empty()) rmdir(folder_.c_str());
    path_.clear();
    folder_.clear();
    entries_.clear();
}

}  // namespace tav::rip
