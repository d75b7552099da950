#pragma once
// Byte-exact outputs compared with the files in tests/data/golden;
// CORVANE_UPDATE_GOLDEN=1 rewrites them after a change meant to alter one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace corvane::test {

inline void expectGolden(const std::string& name, const std::string& bytes)
{
    const std::string path = std::string(CORVANE_TEST_DATA) + "/golden/" + name;
    if (std::getenv("CORVANE_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << bytes;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good()) << "no golden file " << path;
    EXPECT_EQ(bytes, std::string(std::istreambuf_iterator<char>(in), {})) << "differs from " << path;
}

}  // namespace corvane::test
