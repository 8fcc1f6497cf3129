// The output records a converter delivers through the write callback, taken
// apart as they arrive: an 8-byte header (type, of which only the low byte
// counts, and payload length) and the payload, which may span several calls
// while a header never does. Printer-language bytes go on as they come; a
// file path, a warning or a refusal's reason is handed on once its record is
// complete. Other types are skipped.
#pragma once

#include <cstdint>
#include <string>

#include "platform/hresult.h"

// What the records carry.
class OutputRecordSink {
public:
    // Type 0: printer-language bytes, as they arrive; the result becomes
    // the write callback's.
    virtual HRESULT PrinterData(const BYTE* bytes, uint32_t count) = 0;
    // Type 1: a second-pass file's path (up to its terminator, at most 259
    // characters); a longer or empty path is dropped.
    virtual void FilePath(std::u16string path) = 0;
    // Type 2: a warning about a job that goes on; type 3: the reason of the
    // refusal that follows. One line of UTF-8 each, as the converter wrote
    // it (cut to kMaxTextBytes).
    virtual void Warning(std::string text) = 0;
    virtual void RefusalReason(std::string text) = 0;

protected:
    ~OutputRecordSink() = default;
};

class OutputRecordReader {
public:
    // The longest warning or reason kept; the rest of a longer one is
    // skipped.
    static constexpr size_t kMaxTextBytes = 1024;

    explicit OutputRecordReader(OutputRecordSink& sink) : sink_(sink) {}

    // Takes one call's bytes. Returns the result of the last PrinterData,
    // S_OK when there was none. Fewer than 8 bytes where a header should
    // start are ignored.
    HRESULT Take(const BYTE* buffer, uint32_t count);

    // Drops a record under way (a new job starts).
    void Reset();
    bool RecordUnderWay() const { return recordRemaining != 0; }

private:
    void Keep(const BYTE* bytes, uint32_t count);
    void Complete();

    OutputRecordSink& sink_;
    uint32_t recordRemaining = 0;
    uint8_t recordType = 0;
    // The payload of a path, warning or reason record so far.
    std::string payload_;
};
