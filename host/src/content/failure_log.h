// The first thing that went wrong in a job, wherever it happened: reading
// the package, in a filter, or writing the output. Shared by every thread of
// the job; later failures (usually consequences of the first) are dropped.
#pragma once

#include <mutex>
#include <optional>
#include <string>

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

private:
    mutable std::mutex lock_;
    std::optional<Failure> first_;
};

}  // namespace tav::host
