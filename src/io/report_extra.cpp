// The report's section for what the gravity listing has no column for.
#include "io/report.h"

#include "model/density_law.h"
#include "model/ground.h"
#include "model/text.h"

#include <algorithm>

namespace corvane {

namespace {

std::string angle(double v)
{
    return fixed(v, 7, 2);
}

}  // namespace

std::string densityLawText(const Tbody& body, bool unitsKm)
{
    if (body.Law == DensityLaw::Constant)
        return {};
    const std::string unit = unitsKm ? " km" : " m";
    const std::string rate = body.Law == DensityLaw::Linear ? " gradient " : " decay ";
    return std::string(densityLawWord(body.Law)) + rate + itemNumber(body.LawRate) + " per" + unit +
           " from depth " + itemNumber(body.LawZ0) + unit;
}

std::string densityLawLine(const Tbody& body, bool unitsKm)
{
    const std::string law = densityLawText(body, unitsKm);
    return law.empty() ? law : " Density law : " + law;
}

std::vector<std::string> reportExtraLines(const Model& m)
{
    std::vector<std::string> out;
    if (!m.hasMagnetics() && !hasStationHeights(m))
        return out;
    const MagneticStations& mag = m.Mag;
    out.push_back("");
    out.push_back("MAGNETICS AND STATION HEIGHTS");
    out.push_back("Earth's field : " + fixed(mag.FieldIntensity, 8, 1) + " nT   Inclination : "
                  + angle(mag.FieldInclination) + "   Declination : " + angle(mag.FieldDeclination));
    out.push_back("Profile azimuth : " + angle(mag.FieldAzimuth));
    out.push_back("");
    const int nb = std::clamp(m.NumBodies, 0, MaxBodies);
    for (int b = 1; b <= nb; ++b) {
        const Tbody& body = m.Bodies[b];
        out.push_back("Body " + std::to_string(b) + (body.Hidden ? "    Hidden" : "    Shown"));
        out.push_back(" Susceptibility : " + fixed(body.Susceptibility, 9, 6) + " SI");
        out.push_back(" Remanence : " + fixed(body.Remanence, 9, 3) + " A/m   Inclination : "
                      + angle(body.RemanentInclination) + "   Declination : " + angle(body.RemanentDeclination));
    }
    out.push_back("");
    const int nm = std::clamp(mag.Num, 0, MaxStations);
    out.push_back("There are " + std::to_string(nm) + " magnetic stations.");
    if (nm > 0) {
        // A station without an observation shows a dash, so that every line
        // keeps four fields.
        out.push_back("    Position      Height      Observed Field    Calculated Field");
        for (int i = 1; i <= nm; ++i)
            out.push_back(fixed(mag.X[i], 12, 3) + fixed(mag.Height[i], 12, 3)
                          + (mag.HasObserved[i] ? fixed(mag.Observed[i], 20, 3) : std::string(19, ' ') + "-")
                          + fixed(mag.Calculated[i], 20, 3));
    }
    out.push_back("");
    out.push_back("Heights of the gravity stations:");
    out.push_back("    Position      Height");
    const int ns = std::clamp(m.NumStations, 0, MaxStations);
    for (int i = 1; i <= ns; ++i)
        out.push_back(fixed(m.StationX[i], 12, 3) + fixed(m.StationHeight[i], 12, 3));
    return out;
}

}  // namespace corvane
