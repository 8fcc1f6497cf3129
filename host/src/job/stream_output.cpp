#include "job/stream_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tav::host {
namespace {

class FileWriteStream : public ComObject<IPrintWriteStream> {
public:
    FileWriteStream(int fd, std::shared_ptr<FailureLog> log, std::shared_ptr<SenderState> state)
        : fd_(fd), log_(std::move(log)), state_(std::move(state))
    {
    }
    ~FileWriteStream() override
    {
        if (fd_ >= 0) close(fd_);
    }
    HRESULT WriteBytes(const void* buffer, ULONG count, ULONG* written) override
    {
        if (written != nullptr) *written = 0;
        if (fd_ < 0) return E_UNEXPECTED;
        if (buffer == nullptr && count > 0) return E_POINTER;
        const char* bytes = static_cast<const char*>(buffer);
        ULONG done = 0;
        while (done < count) {
            ssize_t put = write(fd_, bytes + done, count - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) {
                log_->Record(FailureKind::Output, "", std::string("cannot write the output: ") + std::strerror(errno));
                return STG_E_WRITEFAULT;
            }
            done += static_cast<ULONG>(put);
        }
        if (written != nullptr) *written = done;
        return S_OK;
    }
    void Close() override
    {
        if (fd_ < 0) return;
        if (fsync(fd_) != 0 && errno != EINVAL) {
            log_->Record(FailureKind::Output, "", std::string("cannot write the output: ") + std::strerror(errno));
        }
        close(fd_);
        fd_ = -1;
        state_->closed = true;
    }

protected:
    void* InterfaceFor(REFIID riid) override
    {
        return riid == IID_IPrintWriteStream ? static_cast<IPrintWriteStream*>(this) : nullptr;
    }

private:
    int fd_;
    std::shared_ptr<FailureLog> log_;
    std::shared_ptr<SenderState> state_;
};

}  // namespace

ComPtr<IPrintWriteStream> MakeFileWriteStream(int fd, std::shared_ptr<FailureLog> log,
                                              std::shared_ptr<SenderState> state)
{
    return ComPtr<IPrintWriteStream>::Adopt(new FileWriteStream(fd, std::move(log), std::move(state)));
}

}  // namespace tav::host
