#pragma once
// Helpers that many test programs share: whole files as bytes, linked
// corners, and the two-body model the window tests start from.
#include "model/model.h"

#include <QString>

#include <filesystem>
#include <string>

namespace corvane::test {

// The file's bytes ("" when it cannot be read), and bytes written as a file.
std::string slurp(const std::filesystem::path& p);
std::string slurp(const QString& p);
void spit(const std::filesystem::path& p, const std::string& bytes);
void spit(const QString& p, const std::string& bytes);

// Links corner k1 of body b1 with corner k2 of body b2, both ways.
void link(Model& m, int b1, int k1, int b2, int k2);

// Stations 0 to 100 (n of them), a quadrilateral of density 0.3 and a
// triangle of -0.2 beneath them, calculated; the model exists.
void twoBodyModel(Model& m, int stations);

}  // namespace corvane::test
