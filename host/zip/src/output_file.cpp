#include "tavzip/output_file.h"

#include "spool_copy.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace tav::zip {
namespace {

// The temporary files a signal handler removes. Plain arrays and atomics:
// the handler may run at any moment, on any thread.
constexpr int kCleanupSlots = 8;
struct CleanupSlot {
    std::atomic<bool> claimed{false};
    std::atomic<bool> armed{false};
    char path[PATH_MAX];
};
CleanupSlot cleanupSlots[kCleanupSlots];

int ArmCleanup(const std::string& path)
{
    if (path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < kCleanupSlots; ++i) {
        bool expected = false;
        if (!cleanupSlots[i].claimed.compare_exchange_strong(expected, true)) continue;
        std::memcpy(cleanupSlots[i].path, path.c_str(), path.size() + 1);
        cleanupSlots[i].armed.store(true);
        return i;
    }
    return -1;
}

void DisarmCleanup(int slot)
{
    if (slot < 0) return;
    cleanupSlots[slot].armed.store(false);
    cleanupSlots[slot].claimed.store(false);
}

// While a temporary file is made and armed for removal, or a file is
// overwritten in place, a stopping signal waits until that is done:
// stopping in between would leave a temporary file behind, or neither the
// old file nor the new one.
std::atomic<bool> holdingSignals{false};
std::atomic<int> deferredSignal{0};

extern "C" void RemoveTemporaryFilesAndExit(int signal)
{
    if (holdingSignals.load()) {
        deferredSignal.store(signal);
        return;
    }
    for (CleanupSlot& slot : cleanupSlots) {
        if (slot.armed.load()) unlink(slot.path);
    }
    _exit(128 + signal);
}

// Holds stopping signals back for its lifetime, then acts on one that came.
class SignalsHeldBack {
public:
    SignalsHeldBack() { holdingSignals.store(true); }
    ~SignalsHeldBack()
    {
        holdingSignals.store(false);
        if (int signal = deferredSignal.exchange(0)) RemoveTemporaryFilesAndExit(signal);
    }
};

std::runtime_error SystemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

// The path with every symbolic link along its last component followed
// (a link to a link, a link to a name that does not exist yet).
std::string FollowLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        ssize_t length = readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<size_t>(length) >= target.size()) return path;
        target.resize(static_cast<size_t>(length));
        size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    throw std::runtime_error("too many levels of symbolic links");
}

// An unlinked file in the temporary folder.
int MakeSpoolFile()
{
    const char* folder = std::getenv("TMPDIR");
    std::string name = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/tavspool-XXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw SystemError("cannot create a spool file in " + name.substr(0, name.rfind('/')));
    unlink(name.c_str());
    return fd;
}

}  // namespace

OutputFile::OutputFile(std::string path, std::string_view tag)
{
    if (path == "-") {
        target_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (target_ < 0) throw SystemError("cannot use standard output");
        path_ = "standard output";
        standardOutput_ = true;
        spool_ = MakeSpoolFile();
        return;
    }
    path_ = FollowLinks(std::move(path));
    struct stat info;
    bool exists = stat(path_.c_str(), &info) == 0;
    if ((exists && S_ISDIR(info.st_mode)) || path_.empty() || path_.back() == '/') {
        throw std::runtime_error("the output is a folder");
    }
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or a FIFO: opened now (a FIFO waits for its reader), so
        // that a target that cannot be written stops the job before it runs.
        OpenStraight("cannot open the output");
        return;
    }
    size_t slash = path_.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path_.substr(0, slash == 0 ? 1 : slash);
    std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    temporary_ = folder + "/." + base + "." + std::string(tag) + "-XXXXXX";
    {
        SignalsHeldBack heldBack;
        fd_ = mkostemp(temporary_.data(), O_CLOEXEC);
        if (fd_ >= 0) slot_ = ArmCleanup(temporary_);
    }
    if (fd_ < 0) {
        int error = errno;
        temporary_.clear();
        // A file that may be written in a folder that takes no new files:
        // written in place, once the job has succeeded.
        if (exists && (error == EACCES || error == EROFS || error == EPERM)) {
            OpenStraight("cannot create a file in " + folder + " or write the output");
            return;
        }
        errno = error;
        throw SystemError("cannot create a file in " + folder);
    }
    // mkostemp makes the file private; the output keeps the mode of the file
    // it replaces, or gets the usual one.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, exists ? info.st_mode & 07777 : 0666 & ~mask);
}

void OutputFile::OpenStraight(const std::string& what)
{
    target_ = open(path_.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (target_ < 0) throw SystemError(what);
    spool_ = MakeSpoolFile();
}

OutputFile::~OutputFile()
{
    if (fd_ >= 0) close(fd_);
    if (spool_ >= 0) close(spool_);
    if (target_ >= 0) close(target_);
    if (!committed_ && !temporary_.empty()) unlink(temporary_.c_str());
    DisarmCleanup(slot_);
}

int OutputFile::TakeDescriptor()
{
    if (spool_ >= 0) return fcntl(spool_, F_DUPFD_CLOEXEC, 0);
    int fd = fd_;
    fd_ = -1;
    return fd;
}

void OutputFile::Commit()
{
    if (WritesStraight()) {
        CopySpoolToTarget();
        committed_ = true;
        return;
    }
    if (rename(temporary_.c_str(), path_.c_str()) != 0) {
        throw SystemError("cannot rename the finished output to " + path_);
    }
    committed_ = true;
}

void OutputFile::CopySpoolToTarget()
{
    struct stat info;
    // Standard output is left at its position (it may be appended to).
    bool regular = !standardOutput_ && fstat(target_, &info) == 0 && S_ISREG(info.st_mode);
    {
        SignalsHeldBack heldBack;
        zip::CopySpoolToTarget(spool_, target_, regular);
    }
    int target = target_;
    target_ = -1;
    if (close(target) != 0 && errno != EINTR) throw SystemError("cannot write the output");
}

void RemoveTemporaryFilesOnSignals()
{
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryFilesAndExit;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace tav::zip
