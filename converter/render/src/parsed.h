// The result of parsing one markup value: the value, or the reason it could
// not be read.
#pragma once

#include <string>
#include <utility>

namespace tav::render {

template <typename T>
struct Parsed {
    T value{};
    std::string error;  // empty on success

    bool ok() const { return error.empty(); }
    static Parsed Fail(std::string reason)
    {
        Parsed result;
        result.error = std::move(reason);
        return result;
    }
};

}  // namespace tav::render
