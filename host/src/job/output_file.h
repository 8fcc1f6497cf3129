// The job's output: written to a temporary file in the target folder and
// renamed into place only when the whole job succeeded. A job that fails
// (or a host that is stopped) leaves no file under the output's name.
#pragma once

#include <string>

namespace tav::host {

class OutputFile {
public:
    // Throws std::runtime_error when the folder cannot take a new file.
    explicit OutputFile(std::string path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The temporary file's descriptor; the caller owns it from now on.
    int TakeDescriptor();
    // Renames the finished temporary file to the output name.
    void Commit();

private:
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace tav::host
