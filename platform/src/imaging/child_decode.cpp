#include "child_decode.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace tav::imaging {

namespace {

// The longest reason a child may give, and the most palette entries.
constexpr uint32_t kLongestReason = 4096;
constexpr uint32_t kLargestPalette = 256;

// The fixed part of what the child writes: the outcome's status and the
// lengths of what follows (the reason, then for an image its palette,
// profile and pixels).
struct Header {
    int32_t status = 0;
    uint32_t reasonLength = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    double dpiX = 0;
    double dpiY = 0;
    GUID pixelFormat{};
    uint32_t bitsPerPixel = 0;
    uint32_t paletteCount = 0;
    uint64_t profileLength = 0;
};

bool WriteAll(int fd, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size)
{
    auto* bytes = static_cast<uint8_t*>(data);
    while (size > 0) {
        ssize_t got = read(fd, bytes, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool WriteOutcome(int fd, const ImageOutcome& outcome, const NativeImage& image)
{
    Header header;
    header.status = static_cast<int32_t>(outcome.status);
    header.reasonLength = static_cast<uint32_t>(std::min<size_t>(outcome.reason.size(), kLongestReason));
    if (!outcome.Failed()) {
        header.width = image.width;
        header.height = image.height;
        header.dpiX = image.dpiX;
        header.dpiY = image.dpiY;
        header.pixelFormat = image.pixelFormat;
        header.bitsPerPixel = image.bitsPerPixel;
        header.paletteCount = static_cast<uint32_t>(image.palette.size());
        header.profileLength = image.profile.size();
    }
    bool written = WriteAll(fd, &header, sizeof header) && WriteAll(fd, outcome.reason.data(), header.reasonLength);
    if (!written || outcome.Failed()) return written;
    return WriteAll(fd, image.palette.data(), image.palette.size() * sizeof(uint32_t)) &&
           WriteAll(fd, image.profile.data(), image.profile.size()) &&
           WriteAll(fd, image.pixels.data(), image.pixels.size());
}

// Reads what the child wrote; false when it wrote less or more than an
// image within the limits has.
bool ReadOutcome(int fd, size_t largestProfile, const char* format, ImageOutcome* outcome, NativeImage* image)
{
    Header header;
    if (!ReadAll(fd, &header, sizeof header) || header.reasonLength > kLongestReason) return false;
    outcome->reason.resize(header.reasonLength);
    if (!ReadAll(fd, outcome->reason.data(), header.reasonLength)) return false;
    outcome->status = static_cast<Gdiplus::Status>(header.status);
    if (outcome->Failed()) return true;
    if (header.paletteCount > kLargestPalette || header.profileLength > largestProfile) return false;
    ImageOutcome allocated =
        AllocateNativePixels(image, header.width, header.height, header.pixelFormat, header.bitsPerPixel, format);
    if (allocated.Failed()) {
        *outcome = allocated;
        return true;
    }
    image->dpiX = header.dpiX;
    image->dpiY = header.dpiY;
    image->palette.resize(header.paletteCount);
    image->profile.resize(header.profileLength);
    return ReadAll(fd, image->palette.data(), image->palette.size() * sizeof(uint32_t)) &&
           ReadAll(fd, image->profile.data(), image->profile.size()) &&
           ReadAll(fd, image->pixels.data(), image->pixels.size());
}

// Waits for the child; true when it ended normally with status 0. A parent
// that lets its children go unwaited (SIGCHLD ignored) cannot know: then the
// complete outcome read decides.
bool ChildSucceeded(pid_t child)
{
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0) return errno == ECHILD;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

ImageOutcome DecodeInChildProcess(const std::function<ImageOutcome(NativeImage*)>& decode, size_t largestProfile,
                                  const char* format, NativeImage* image)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return ImageFailure(Gdiplus::OutOfMemory,
                            std::string("no pipe to decode the ") + format + " image: " + std::strerror(errno));
    }
    pid_t child = fork();
    if (child < 0) {
        int error = errno;
        close(fds[0]);
        close(fds[1]);
        return ImageFailure(Gdiplus::OutOfMemory,
                            std::string("no process to decode the ") + format + " image in: " + std::strerror(error));
    }
    if (child == 0) {
        // A fault of the decoder ends the child quietly: no handler of the
        // parent's (a crash reporter, a sanitizer, a fuzzer) runs for it.
        for (int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(fault, SIG_DFL);
        close(fds[0]);
        NativeImage decoded;
        ImageOutcome outcome = decode(&decoded);
        // _exit: the parent's exit handlers and buffers are not the child's.
        _exit(WriteOutcome(fds[1], outcome, decoded) ? 0 : 1);
    }
    close(fds[1]);
    ImageOutcome outcome;
    bool complete = ReadOutcome(fds[0], largestProfile, format, &outcome, image);
    close(fds[0]);
    if (ChildSucceeded(child) && complete) return outcome;
    image->pixels.clear();
    return ImageFailure(Gdiplus::GenericError,
                        std::string("the ") + format + " image is damaged: its decoder stopped on it");
}

}  // namespace tav::imaging
