// The file an archive or stream is written to.
//
// A regular file (or a new name) in a folder that takes new files is
// written under a temporary name beside it and renamed into place only when
// committed: a writer that fails, or a program stopped by a signal, leaves
// no file under the target's name, and never a half-written one. A symbolic
// link is followed, so that its target is what gets replaced.
//
// Anything else (standard output, given as "-", a character device, a
// FIFO, or an existing file in a folder that takes no new files) cannot be
// replaced: the writer writes to an unlinked spool file, which Commit copies
// to the target. Writers patch bytes already written, so they need a file
// that seeks; the target only ever sees the finished bytes, and nothing at
// all when the writer fails before Commit.
#pragma once

#include <string>
#include <string_view>

namespace tav::zip {

class OutputFile {
public:
    // The temporary file is ".NAME.TAG-XXXXXX" beside the target, so that
    // a leftover one says which program left it. Throws std::runtime_error
    // when the target is a folder, or cannot be opened or replaced.
    OutputFile(std::string path, std::string_view tag);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The file the writer writes, open for reading and writing and able to
    // seek; the caller owns this descriptor.
    int TakeDescriptor();
    // Renames the finished temporary file to the target name, or copies the
    // spooled bytes to the target. Throws std::runtime_error.
    void Commit();

    // True when the target is written in place rather than replaced.
    bool WritesStraight() const { return target_ >= 0; }

private:
    void OpenStraight(const std::string& what);
    void CopySpoolToTarget();

    std::string path_;       // the target, links followed
    std::string temporary_;  // the temporary file beside it, when replaced
    int fd_ = -1;            // what TakeDescriptor hands out
    int spool_ = -1;         // our own descriptor of the spool file
    int target_ = -1;        // the target written straight
    int slot_ = -1;          // the temporary file's slot in the signal cleanup
    bool standardOutput_ = false;
    bool committed_ = false;
};

// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the
// temporary files of every OutputFile not yet committed and end the program
// with status 128 + the signal's number (130, 143, 129).
void RemoveTemporaryFilesOnSignals();

}  // namespace tav::zip
