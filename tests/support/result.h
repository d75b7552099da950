#pragma once
// Test access to a writer's result in the shape the assertions compare.
#include "model/result.h"

#include <string>

namespace corvane::test {

// The bytes (empty on failure), with the failure's message in problem.
inline std::string bytesOf(const Result<std::string>& r, std::string& problem)
{
    problem = r.message();
    return r ? *r : std::string();
}

}  // namespace corvane::test
