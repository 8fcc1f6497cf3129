// A file written under a temporary name in the target folder and renamed
// into place only when committed: a writer that fails (or a program that is
// stopped) leaves no file under the target's name, and never a half-written
// one.
#pragma once

#include <string>
#include <string_view>

namespace tav::zip {

class OutputFile {
public:
    // The temporary file is ".NAME.TAG-XXXXXX" beside path, so that a
    // leftover one says which program left it. Throws std::runtime_error
    // when the folder cannot take a new file.
    OutputFile(std::string path, std::string_view tag);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The temporary file's descriptor, open for reading and writing; the
    // caller owns it from now on.
    int TakeDescriptor();
    // Renames the finished temporary file to the target name.
    void Commit();

private:
    std::string path_;
    std::string temporary_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace tav::zip
