// The first thing that went wrong in a job, wherever it happened: reading
// the package, in a filter, or writing the output. Shared by every thread of
// the job; later failures (usually consequences of the first) are dropped.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tav::host {

enum class FailureKind {
    Package,  // the input cannot be read as an XPS package
    Filter,   // a filter failed or asked to stop the job
    Output,   // the output could not be written
};

struct Failure {
    FailureKind kind;
    std::string part;
    std::string reason;
};

class FailureLog {
public:
    void Record(FailureKind kind, std::string part, std::string reason)
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!first_) first_ = Failure{kind, std::move(part), std::move(reason)};
    }
    std::optional<Failure> First() const
    {
        std::lock_guard<std::mutex> hold(lock_);
        return first_;
    }

    // A fault of the input that the job was asked to let pass (lenient
    // page markup): kept once as "PART: REASON", however often it is met.
    void Excuse(const std::string& part, const std::string& reason)
    {
        std::string line = part + ": " + reason;
        std::lock_guard<std::mutex> hold(lock_);
        for (const std::string& kept : excused_)
            if (kept == line) return;
        excused_.push_back(std::move(line));
    }
    std::vector<std::string> Excused() const
    {
        std::lock_guard<std::mutex> hold(lock_);
        return excused_;
    }

private:
    mutable std::mutex lock_;
    std::optional<Failure> first_;
    std::vector<std::string> excused_;
};

}  // namespace tav::host
