#pragma once
// What a map function gives back: its value, or the sentence that says why
// there is none (shown to the user as it stands).
#include <string>
#include <utility>

namespace corvane::map {

template <class T>
struct [[nodiscard]] MapResult {
    T value{};
    std::string error;   // empty when value holds the answer

    bool ok() const { return error.empty(); }
    explicit operator bool() const { return ok(); }

    static MapResult failure(std::string why)
    {
        MapResult r;
        r.error = std::move(why);
        return r;
    }
};

}  // namespace corvane::map
