#pragma once
// The values of magnetic quantities the program takes, from a model file or a
// dialog. Far wider than any rock or survey needs, yet narrow enough that no
// sum over bodies and stations overflows: a value of 1e308 would turn every
// anomaly into 0 nT without a word.
#include <cctype>
#include <cstdio>
#include <string>

namespace corvane {

struct MagneticLimit {
    const char* name;   // as a sentence names it: "the field intensity"
    double lo, hi;
    const char* unit;   // "" for none

    bool holds(double v) const { return v >= lo && v <= hi; }   // false for NaN
    // "the field intensity must be from 0 to 500000 nT"
    std::string refusal() const
    {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%s must be from %.10g to %.10g%s%s", name, lo, hi, *unit ? " " : "", unit);
        return buf;
    }
    // The same as a sentence of a message box.
    std::string sentence() const
    {
        std::string s = refusal() + ".";
        s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
        return s;
    }
};

inline constexpr MagneticLimit FieldIntensityLimit{"the field intensity", 0, 5e5, "nT"};
inline constexpr MagneticLimit FieldInclinationLimit{"the field inclination", -90, 90, "degrees"};
inline constexpr MagneticLimit FieldDeclinationLimit{"the field declination", -360, 360, "degrees"};
inline constexpr MagneticLimit ProfileAzimuthLimit{"the profile azimuth", -360, 360, "degrees"};
inline constexpr MagneticLimit SusceptibilityLimit{"the susceptibility", -1, 100, "SI"};
inline constexpr MagneticLimit RemanenceLimit{"the remanent intensity", -1e5, 1e5, "A/m"};
inline constexpr MagneticLimit RemanentInclinationLimit{"the remanent inclination", -90, 90, "degrees"};
inline constexpr MagneticLimit RemanentDeclinationLimit{"the remanent declination", -360, 360, "degrees"};
// Model units (metres or kilometres).
inline constexpr MagneticLimit StationHeightLimit{"a station's height", -1e6, 1e6, ""};
inline constexpr MagneticLimit StationPositionLimit{"a station's position", -1e9, 1e9, ""};
inline constexpr MagneticLimit StationOffsetLimit{"a station's offset", -1e9, 1e9, ""};
inline constexpr MagneticLimit ObservedMagneticLimit{"an observed magnetic value", -1e7, 1e7, "nT"};
inline constexpr MagneticLimit ObservedGradientLimit{"an observed gradient", -1e7, 1e7, "E"};

}  // namespace corvane
