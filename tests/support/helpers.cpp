#include "support/helpers.h"
#include "support/bodies.h"

#include <QFile>

#include <fstream>
#include <iterator>

namespace corvane::test {

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string slurp(const QString& p) { return slurp(std::filesystem::path(QFile::encodeName(p).toStdString())); }

void spit(const std::filesystem::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

void spit(const QString& p, const std::string& bytes)
{
    spit(std::filesystem::path(QFile::encodeName(p).toStdString()), bytes);
}

void link(Model& m, int b1, int k1, int b2, int k2)
{
    m.Bodies[b1].Linked[k1] = true;
    m.Bodies[b1].LinkBody[k1] = b2;
    m.Bodies[b1].LinkCorner[k1] = k2;
    m.Bodies[b2].Linked[k2] = true;
    m.Bodies[b2].LinkBody[k2] = b1;
    m.Bodies[b2].LinkCorner[k2] = k1;
}

void twoBodyModel(Model& m, int stations)
{
    setStations(m, stations, 0, 100);
    setBody(m, 1, {{30, 5}, {60, 8}, {55, 30}, {35, 25}}, 0.3);
    setBody(m, 2, {{70, 40}, {90, 40}, {85, 70}}, -0.2);
    m.NumBodies = 2;
    m.ModelExists = true;
    m.RecalculateModel();
}

}  // namespace corvane::test
