#include "io/report.h"

#include "io/safe_file.h"
#include "model/text.h"

#include <algorithm>

namespace corvane {

namespace {

std::string spaces(int k)
{
    return std::string(static_cast<std::size_t>(k), ' ');
}

// Counts clamped to the tables, so that a damaged count cannot walk off them.
int bodyCount(const Model& m)
{
    return std::clamp(m.NumBodies, 0, MaxBodies);
}

int stationCount(const Model& m)
{
    return std::clamp(m.NumStations, 0, MaxStations);
}

// The distinct corners of a body: the stored count less the closing copy.
int distinctCorners(const Tbody& body)
{
    return std::clamp(body.NumCorners, 1, MaxCorners) - 1;
}

// Collects lines and joins them with one line end.
class Lines {
public:
    explicit Lines(const char* eol) : eol_(eol) {}
    Lines& operator<<(const std::string& line)
    {
        text_ += line;
        text_ += eol_;
        return *this;
    }
    std::string take() { return std::move(text_); }

private:
    const char* eol_;
    std::string text_;
};

}  // namespace

std::string reportForFile(const Model& m)
{
    const int nb = bodyCount(m);
    const int ns = stationCount(m);
    Lines out("\r\n");
    out << "CORVANE FOR WINDOWS";
    out << (nb > 1 ? "There are " + std::to_string(nb) + " Bodies"
                   : std::string("There is one body in the model."));
    out << "There are " + std::to_string(ns) + " Observation points.";
    out << std::string("The units used were ") + (m.UnitsKm ? "Km." : "m.");
    out << "";
    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        const int nc = distinctCorners(body);
        out << "Body " + std::to_string(b);
        out << " No. of corners is " + std::to_string(nc) + "    Density contrast : "
                   + fixed(body.Density, 5, 3);
        out << " Strike lengths : " + fixed(body.StrikeLength1, 7, 2) + "  "
                   + fixed(body.StrikeLength2, 7, 2);
        if (const std::string law = densityLawLine(body, m.UnitsKm); !law.empty())
            out << law;
        out << " X and Y positions of the bodys corners:-";
        for (int k = 1; k <= nc; ++k)
            out << spaces(10) + fixed(body.CornerX[k], 6, 3) + spaces(6)
                       + fixed(body.CornerZ[k], 6, 3);
    }
    out << "";
    if (m.HaveObserved) {
        out << "    Position             Observed Field                    Calculated Field";
        for (int i = 1; i <= ns; ++i)
            out << spaces(3) + fixed(m.StationX[i], 5, 1) + spaces(22)
                       + fixed(m.ObservedGravity[i], 10, 5) + spaces(28)
                       + fixed(m.CalculatedGravity[i], 10, 5);
    } else {
        out << "    Position              Calculated Field";
        for (int i = 1; i <= ns; ++i)
            out << spaces(3) + fixed(m.StationX[i], 5, 1) + spaces(22)
                       + fixed(m.CalculatedGravity[i], 10, 5);
    }
    for (const std::string& line : reportExtraLines(m))
        out << line;
    return out.take();
}

std::string reportForClipboard(const Model& m)
{
    const int nb = bodyCount(m);
    const int ns = stationCount(m);
    Lines out("\n");
    out << "CORVANE FOR WINDOWS";
    out << (nb > 1 ? "There are " + std::to_string(nb) + " Bodies."
                   : std::string("There is one body in the model."));
    out << "There are " + std::to_string(ns) + " Observation points.";
    out << std::string("The units used were ") + (m.UnitsKm ? "Km." : "m.");
    out << "";
    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        const int nc = distinctCorners(body);
        out << "Body " + std::to_string(b);
        out << " No. of corners is " + std::to_string(nc);
        out << " Density contrast : " + fixed(body.Density, 5, 4);
        out << " Strike lengths : " + fixed(body.StrikeLength1, 7, 2) + " "
                   + fixed(body.StrikeLength2, 7, 2);
        if (const std::string law = densityLawLine(body, m.UnitsKm); !law.empty())
            out << law;
        out << " X and Y positions of the bodys corners:-";
        for (int k = 1; k <= nc; ++k)
            out << "  " + fixed(body.CornerX[k], 6, 1) + " " + fixed(body.CornerZ[k], 6, 1);
    }
    if (m.HaveObserved) {
        out << "  Position     Observed Field     Calculated Field";
        for (int i = 1; i <= ns; ++i)
            out << spaces(3) + fixed(m.StationX[i], 6, 1) + spaces(9)
                       + fixed(m.ObservedGravity[i], 6, 1) + spaces(10)
                       + fixed(m.CalculatedGravity[i], 6, 1);
    } else {
        out << "  Position    Calculated Field";
        for (int i = 1; i <= ns; ++i)
            out << spaces(4) + fixed(m.StationX[i], 6, 1) + spaces(10)
                       + fixed(m.CalculatedGravity[i], 6, 1);
    }
    for (const std::string& line : reportExtraLines(m))
        out << line;
    return out.take();
}

std::vector<std::string> reportForPrinter(const Model& m)
{
    const int nb = bodyCount(m);
    const int ns = stationCount(m);
    std::vector<std::string> out;
    out.push_back(spaces(19) + "CORVANE FOR WINDOWS");
    out.push_back(nb > 1 ? " There are " + std::to_string(nb) + " Bodies"
                         : std::string(" There is one body in the model."));
    out.push_back("There are " + std::to_string(ns) + " observation points.");
    out.push_back(m.UnitsKm ? "The units used were km." : "The units used were metres.");
    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        const int nc = distinctCorners(body);
        out.push_back("Body " + std::to_string(b));
        out.push_back(" No. of corners is " + std::to_string(nc));
        out.push_back("    Density contrast : " + fixed(body.Density, 7, 6));
        out.push_back(" Strike length 1 : " + fixed(body.StrikeLength1, 7, 2));
        out.push_back("");
        out.push_back(" Strike length 2 : " + fixed(body.StrikeLength2, 7, 2));
        out.push_back("");
        if (const std::string law = densityLawLine(body, m.UnitsKm); !law.empty()) {
            out.push_back(law);
            out.push_back("");
        }
        out.push_back(" X and Y positions of the bodys corners:-");
        for (int k = 1; k <= nc; ++k)
            out.push_back("  " + fixed(body.CornerX[k], 6, 3) + spaces(5)
                          + fixed(body.CornerZ[k], 6, 3));
        out.push_back("");
    }
    if (m.HaveObserved) {
        out.push_back("    Position             Observed Field                    Calculated Field");
        for (int i = 1; i <= ns; ++i)
            out.push_back("  " + fixed(m.StationX[i], 8, 1) + spaces(5)
                          + fixed(m.ObservedGravity[i], 8, 1) + spaces(5)
                          + fixed(m.CalculatedGravity[i], 8, 1));
    } else {
        out.push_back("    Position             Calculated Field");
        for (int i = 1; i <= ns; ++i)
            out.push_back("  " + fixed(m.StationX[i], 8, 1) + spaces(5)
                          + fixed(m.CalculatedGravity[i], 8, 1));
    }
    const std::vector<std::string> extra = reportExtraLines(m);
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
}

Status writeReportFile(const Model& m, const std::string& path)
{
    return writeFileSafely(path, reportForFile(m));
}

}  // namespace corvane
