#pragma once
// Byte-exact outputs compared with the files kept in tests/data/golden.
// CORVANE_UPDATE_GOLDEN=1 writes the files instead, after a change that is
// meant to alter an output; look at the difference before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace corvane::test {

inline std::string goldenPath(const std::string& name)
{
    return std::string(CORVANE_TEST_DATA) + "/golden/" + name;
}

inline void expectGolden(const std::string& name, const std::string& bytes)
{
    const std::string path = goldenPath(name);
    if (std::getenv("CORVANE_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << bytes;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no golden file " << path;
    const std::string expected(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(bytes, expected) << "differs from " << path;
}

}  // namespace corvane::test
