#include "model_extras.h"

#include "io/extras_fields.h"
#include "io/extras_syntax.h"
#include "model/density_law.h"
#include "model/magnetic_limits.h"

#include <algorithm>
#include <type_traits>

namespace corvane {

namespace {

using namespace extras;

// The reader of one key. Each says what is wrong in why.
using Reader = bool (*)(const Item& it, ModelExtras& x, std::string& why);
using Writer = void (*)(const ModelExtras& x, Out& out, std::string_view key);

// ---- The keys -------------------------------------------------------------

constexpr int MaxNumber = 1 << 30;   // body, corner and station numbers are checked against the model

struct Key {
    std::string_view key;
    Reader read;
    Writer write;
};

// The fields of the keys whose lines are one record each, in their order on
// the line. A record with a Line member keeps the line it was read from.
constexpr std::array HiddenFields{wholeField(&ExtrasHidden::Body, 1, MaxNumber)};
constexpr std::array LinkFields{
    wholeField(&ExtrasLink::Body, 1, MaxNumber), wholeField(&ExtrasLink::Corner, 1, MaxNumber),
    wholeField(&ExtrasLink::Body2, 1, MaxNumber), wholeField(&ExtrasLink::Corner2, 1, MaxNumber)};
constexpr std::array ProfileLineFields{numberField(&ExtrasProfileLine::E1), numberField(&ExtrasProfileLine::N1),
                                       numberField(&ExtrasProfileLine::E2), numberField(&ExtrasProfileLine::N2),
                                       textField(&ExtrasProfileLine::Crs)};
constexpr std::array FieldFields{limitedField(&ExtrasField::Intensity, FieldIntensityLimit),
                                 limitedField(&ExtrasField::Inclination, FieldInclinationLimit),
                                 limitedField(&ExtrasField::Declination, FieldDeclinationLimit),
                                 limitedField(&ExtrasField::Azimuth, ProfileAzimuthLimit)};
constexpr std::array MagnetisationFields{
    wholeField(&ExtrasMagnetisation::Body, 1, MaxNumber),
    limitedField(&ExtrasMagnetisation::Susceptibility, SusceptibilityLimit),
    limitedField(&ExtrasMagnetisation::Remanence, RemanenceLimit),
    limitedField(&ExtrasMagnetisation::Inclination, RemanentInclinationLimit),
    limitedField(&ExtrasMagnetisation::Declination, RemanentDeclinationLimit)};
constexpr std::array DensityLawFields{wholeField(&ExtrasDensityLaw::Body, 1, MaxNumber),
                                      wordField(&ExtrasDensityLaw::Law), numberField(&ExtrasDensityLaw::Rate),
                                      numberField(&ExtrasDensityLaw::Z0)};
constexpr std::array ElevationFields{wholeField(&ExtrasElevation::Station, 1, MaxNumber),
                                     limitedField(&ExtrasElevation::Height, StationHeightLimit)};
constexpr std::array OffsetFields{wholeField(&ExtrasOffset::Station, 1, MaxNumber),
                                  limitedField(&ExtrasOffset::Offset, StationOffsetLimit)};
constexpr std::array MagStationFields{limitedField(&ExtrasMagStation::X, StationPositionLimit),
                                      limitedField(&ExtrasMagStation::Height, StationHeightLimit),
                                      maybeField(&ExtrasMagStation::Anomaly, ObservedMagneticLimit)};
constexpr std::array GradStationFields{limitedField(&ExtrasGradStation::X, StationPositionLimit),
                                       limitedField(&ExtrasGradStation::Height, StationHeightLimit),
                                       maybeField(&ExtrasGradStation::XX, ObservedGradientLimit),
                                       maybeField(&ExtrasGradStation::XY, ObservedGradientLimit),
                                       maybeField(&ExtrasGradStation::XZ, ObservedGradientLimit),
                                       maybeField(&ExtrasGradStation::YY, ObservedGradientLimit),
                                       maybeField(&ExtrasGradStation::YZ, ObservedGradientLimit),
                                       maybeField(&ExtrasGradStation::ZZ, ObservedGradientLimit)};
constexpr std::array GradientFrameFields{wordField(&ExtrasGradientFrame::Frame)};
constexpr std::array BodyInversionFields{
    wholeField(&ExtrasBodyInversion::Body, 1, MaxNumber), flagField(&ExtrasBodyInversion::Density),
    flagField(&ExtrasBodyInversion::XPos), flagField(&ExtrasBodyInversion::Depth),
    flagField(&ExtrasBodyInversion::Angle)};
constexpr std::array MagneticInversionFields{wholeField(&ExtrasMagneticInversion::Body, 1, MaxNumber),
                                             flagField(&ExtrasMagneticInversion::Susceptibility),
                                             flagField(&ExtrasMagneticInversion::Remanence)};
constexpr std::array MagneticBoundsFields{
    wholeField(&ExtrasMagneticBounds::Body, 1, MaxNumber),
    limitedField(&ExtrasMagneticBounds::SusceptibilityMin, SusceptibilityLimit),
    limitedField(&ExtrasMagneticBounds::SusceptibilityMax, SusceptibilityLimit),
    limitedField(&ExtrasMagneticBounds::RemanenceMin, RemanenceLimit),
    limitedField(&ExtrasMagneticBounds::RemanenceMax, RemanenceLimit)};
constexpr std::array TypedBoundsFields{
    wholeField(&ExtrasTypedBounds::Body, 1, MaxNumber), flagField(&ExtrasTypedBounds::Density),
    flagField(&ExtrasTypedBounds::XPos), flagField(&ExtrasTypedBounds::Depth),
    flagField(&ExtrasTypedBounds::Susceptibility), flagField(&ExtrasTypedBounds::Remanence)};
constexpr std::array CornerInversionFields{
    wholeField(&ExtrasCornerInversion::Body, 1, MaxNumber), wholeField(&ExtrasCornerInversion::Corner, 1, MaxNumber),
    flagField(&ExtrasCornerInversion::X), flagField(&ExtrasCornerInversion::Z)};
constexpr std::array FitDataFields{flagField(&ExtrasFitData::Gravity), flagField(&ExtrasFitData::Magnetic),
                                   numberField(&ExtrasFitData::GravityError),
                                   numberField(&ExtrasFitData::MagneticError)};
constexpr std::array GradientFitFields{wordField(&ExtrasGradientFit::Component),
                                       numberField(&ExtrasGradientFit::Error), flagField(&ExtrasGradientFit::Shift)};
constexpr std::array MagneticRegionalFields{numberField(&MagneticRegionalRecord::A),
                                            numberField(&MagneticRegionalRecord::B)};
constexpr std::array ViewFields{numberField(&ExtrasView::XMin), numberField(&ExtrasView::XMax),
                                flagField(&ExtrasView::Zoomed), numberField(&ExtrasView::DepthStep),
                                numberField(&ExtrasView::GravityStep)};
constexpr std::array BoundsFields{wholeField(&ExtrasBounds::Body, 1, MaxNumber),
                                  boundsField(&ExtrasBounds::Values)};
constexpr std::array SettingFields{wordField(&ExtrasSetting::Name), wordField(&ExtrasSetting::Value)};

// What a record must hold as a whole, beyond each field's range.
bool errorsPositive(const ExtrasFitData& f, std::string& why)
{
    if (f.GravityError > 0 && f.MagneticError > 0)
        return true;
    why = "an observational error must be above 0";
    return false;
}

}  // namespace

int extrasGradientComponent(std::string_view name)
{
    for (int k = 0; k < 6; ++k)
        if (name == extrasGradientName(k))
            return k;
    return -1;
}

const char* extrasGradientName(int k)
{
    static constexpr const char* Names[] = {"xx", "xy", "xz", "yy", "yz", "zz"};
    return k >= 0 && k < 6 ? Names[k] : "";
}

namespace {

bool gradientFitNamed(const ExtrasGradientFit& f, std::string& why)
{
    if (f.Error <= 0) {
        why = "an observational error must be above 0";
        return false;
    }
    if (extrasGradientComponent(f.Component) >= 0)
        return true;
    why = extrasQuote(f.Component) + " is not a gradient component (xx, xy, xz, yy, yz or zz)";
    return false;
}

bool endsApart(const ExtrasProfileLine& l, std::string& why)
{
    if (l.E1 != l.E2 || l.N1 != l.N2)
        return true;
    why = "the profile line's end points must differ";
    return false;
}

// The constant law is the body's own density: it has no line.
bool lawNamed(const ExtrasDensityLaw& v, std::string& why)
{
    DensityLaw law = DensityLaw::Constant;
    if (densityLawOf(v.Law, law) && law != DensityLaw::Constant)
        return true;
    why = extrasQuote(v.Law) + " is not a density law (linear or exponential)";
    return false;
}

bool frameNamed(const ExtrasGradientFrame& v, std::string& why)
{
    if (v.Frame == "profile" || v.Frame == "geographic")
        return true;
    why = extrasQuote(v.Frame) + " is not a frame (profile or geographic)";
    return false;
}

bool viewSound(const ExtrasView& v, std::string& why)
{
    if (v.XMax > v.XMin && v.DepthStep > 0 && v.GravityStep > 0)
        return true;
    why = "the profile shown must run left to right and the steps be positive";
    return false;
}

// A key of records described by Fields, held in a list of ModelExtras (a
// record a line) or in an optional (the last line counts), and checked as a
// whole by Check when there is one.
template <auto Member, const auto& Fields, auto Check = nullptr>
bool readRecord(const Item& it, ModelExtras& x, std::string& why)
{
    using Record = typename std::remove_cvref_t<decltype(x.*Member)>::value_type;
    Record v{};
    if constexpr (requires(Record& r) { r.Line = 0; })
        v.Line = it.number;
    if (!readFields(it, Fields, v, why))
        return false;
    if constexpr (!std::is_null_pointer_v<decltype(Check)>)
        if (!Check(v, why))
            return false;
    if constexpr (requires { (x.*Member).push_back(v); })
        (x.*Member).push_back(v);
    else
        x.*Member = v;
    return true;
}

template <auto Member, const auto& Fields>
void writeRecord(const ModelExtras& x, Out& out, std::string_view key)
{
    const auto& held = x.*Member;
    if constexpr (requires { held.size(); }) {
        for (const auto& v : held)
            writeFields(out.key(key), Fields, v), out.end();
    } else if (held) {
        writeFields(out.key(key), Fields, *held), out.end();
    }
}

template <auto Member, const auto& Fields, auto Check = nullptr>
constexpr Key record(std::string_view key)
{
    return {key, readRecord<Member, Fields, Check>, writeRecord<Member, Fields>};
}

// A choice that is off unless its key is there: written "key 1" when on.
template <auto Member>
constexpr Key onOff(std::string_view key)
{
    return {key,
            [](const Item& it, ModelExtras& x, std::string& why) {
                return count(it, 1, why) && flag(it, 0, x.*Member, why);
            },
            [](const ModelExtras& x, Out& out, std::string_view k) {
                if (x.*Member)
                    out.key(k) << true, out.end();
            }};
}

// A whole number from Lo to Hi, written when it is set.
template <auto Member, int Lo, int Hi>
constexpr Key wholeNumber(std::string_view key)
{
    return {key,
            [](const Item& it, ModelExtras& x, std::string& why) {
                int n = 0;
                if (!count(it, 1, why) || !whole(it, 0, Lo, Hi, n, why))
                    return false;
                x.*Member = n;
                return true;
            },
            [](const ModelExtras& x, Out& out, std::string_view k) {
                if (const auto& n = x.*Member)
                    out.key(k) << *n, out.end();
            }};
}

const std::vector<Key>& keys()
{
    static const std::vector<Key> table = {
        record<&ModelExtras::Hidden, HiddenFields>("hidden"),
        record<&ModelExtras::Links, LinkFields>("link"),
        record<&ModelExtras::ProfileLine, ProfileLineFields, endsApart>("profile-line"),
        record<&ModelExtras::Field, FieldFields>("field"),
        record<&ModelExtras::Magnetisations, MagnetisationFields>("magnetisation"),
        record<&ModelExtras::DensityLaws, DensityLawFields, lawNamed>("density-law"),
        record<&ModelExtras::Elevations, ElevationFields>("elevation"),
        record<&ModelExtras::Offsets, OffsetFields>("offset"),
        record<&ModelExtras::MagStations, MagStationFields>("magstation"),
        record<&ModelExtras::MagOffsets, OffsetFields>("magoffset"),
        record<&ModelExtras::GradientFrame, GradientFrameFields, frameNamed>("gradient-frame"),
        record<&ModelExtras::GradStations, GradStationFields>("gradstation"),
        record<&ModelExtras::BodyInversion, BodyInversionFields>("invert"),
        record<&ModelExtras::Bounds, BoundsFields>("bounds"),
        record<&ModelExtras::MagneticInversion, MagneticInversionFields>("invert-magnetic"),
        record<&ModelExtras::MagneticBounds, MagneticBoundsFields>("bounds-magnetic"),
        record<&ModelExtras::TypedBounds, TypedBoundsFields>("bounds-typed"),
        record<&ModelExtras::CornerInversion, CornerInversionFields>("corner-invert"),
        record<&ModelExtras::InversionBody, HiddenFields>("inversion-body"),
        wholeNumber<&ModelExtras::Iterations, 0, 255>("iterations"),
        onOff<&ModelExtras::KeepLinkedCorners>("keep-linked"),
        onOff<&ModelExtras::AllBodies>("invert-all"),
        onOff<&ModelExtras::FitShift>("fit-shift"),
        record<&ModelExtras::FitData, FitDataFields, errorsPositive>("fit-data"),
        record<&ModelExtras::FitGradients, GradientFitFields, gradientFitNamed>("fit-gradient"),
        {"regional",
         [](const Item& it, ModelExtras& x, std::string& why) {
             RegionalRecord r;
             if (!atLeast(it, 1, why))
                 return false;
             r.Kind = std::string(it.fields[0]);
             const std::size_t want = r.Kind == "constant" ? 1 : r.Kind == "linear" ? 2 : r.Kind == "spline" ? 14 : 0;
             if (want == 0) {
                 why = extrasQuote(r.Kind) + " is not a kind of regional (constant, linear or spline)";
                 return false;
             }
             if (!count(it, 1 + want, why))
                 return false;
             r.Coefficients.resize(want);
             for (std::size_t i = 0; i < want; ++i)
                 if (!num(it, 1 + i, r.Coefficients[i], why))
                     return false;
             x.Regional = r;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (!x.Regional)
                 return;
             out.key(key) << std::string_view(x.Regional->Kind);
             for (double v : x.Regional->Coefficients)
                 out << v;
             out.end();
         }},
        record<&ModelExtras::MagneticRegional, MagneticRegionalFields>("magnetic-regional"),
        {"borehole",
         [](const Item& it, ModelExtras& x, std::string& why) {
             int h = 0;
             if (!atLeast(it, 1, why) || !whole(it, 0, 1, MaxHoles, h, why))
                 return false;
             if (h != static_cast<int>(x.Holes.size()) + 1) {
                 why = "borehole " + std::to_string(h) + " does not follow borehole " +
                       std::to_string(x.Holes.size());
                 return false;
             }
             ExtrasHole hole;
             hole.Line = it.number;
             if (!text(it, 1, hole.Name, why))
                 return false;
             x.Holes.push_back(std::move(hole));
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (std::size_t h = 0; h < x.Holes.size(); ++h) {
                 const ExtrasHole& hole = x.Holes[h];
                 out.key(key) << static_cast<int>(h + 1) << std::string_view(hole.Name), out.end();
                 for (const ExtrasHoleRow& r : hole.Rows)
                     out.key("borehole-row") << static_cast<int>(h + 1) << r.X << r.Depth, out.end();
                 for (const ExtrasHoleLabel& l : hole.Labels)
                     out.key("borehole-label") << static_cast<int>(h + 1) << l.Row << std::string_view(l.Text),
                         out.end();
             }
         }},
        // Written with their borehole, above.
        {"borehole-row",
         [](const Item& it, ModelExtras& x, std::string& why) {
             int h = 0;
             ExtrasHoleRow r;
             if (!count(it, 3, why) || !whole(it, 0, 1, static_cast<int>(x.Holes.size()), h, why) ||
                 !num(it, 1, r.X, why) || !num(it, 2, r.Depth, why))
                 return false;
             if (x.Holes[static_cast<std::size_t>(h - 1)].Rows.size() >= MaxHoleDepths) {
                 why = "a borehole holds at most " + std::to_string(MaxHoleDepths) + " rows";
                 return false;
             }
             x.Holes[static_cast<std::size_t>(h - 1)].Rows.push_back(r);
             return true;
         },
         [](const ModelExtras&, Out&, std::string_view) {}},
        {"borehole-label",
         [](const Item& it, ModelExtras& x, std::string& why) {
             int h = 0;
             ExtrasHoleLabel l;
             if (!atLeast(it, 2, why) || !whole(it, 0, 1, static_cast<int>(x.Holes.size()), h, why))
                 return false;
             ExtrasHole& hole = x.Holes[static_cast<std::size_t>(h - 1)];
             if (!whole(it, 1, 1, std::max<int>(1, static_cast<int>(hole.Rows.size())), l.Row, why) ||
                 hole.Rows.empty() || !text(it, 2, l.Text, why)) {
                 if (hole.Rows.empty())
                     why = "a label names a row of its borehole, and the rows come first";
                 return false;
             }
             if (hole.Labels.size() >= MaxHoleLabels) {
                 why = "a borehole holds at most " + std::to_string(MaxHoleLabels) + " labels";
                 return false;
             }
             hole.Labels.push_back(std::move(l));
             return true;
         },
         [](const ModelExtras&, Out&, std::string_view) {}},
        record<&ModelExtras::Display, SettingFields>("display"),
        {"title",
         [](const Item& it, ModelExtras& x, std::string& why) {
             int t = 0;
             std::string s;
             if (!atLeast(it, 1, why) || !whole(it, 0, 1, 2, t, why) || !text(it, 1, s, why))
                 return false;
             x.Titles[static_cast<std::size_t>(t - 1)] = s;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (int t = 0; t < 2; ++t)
                 if (x.Titles[static_cast<std::size_t>(t)])
                     out.key(key) << t + 1 << std::string_view(*x.Titles[static_cast<std::size_t>(t)]), out.end();
         }},
        // The files shown with the section: the lines as overlay_items.h
        // writes them, checked when they are applied. Both are written by
        // the first row, sets first.
        {"points",
         [](const Item& it, ModelExtras& x, std::string&) {
             x.PointSetLines.push_back({it.number, std::string(it.line)});
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view) {
             for (const ExtrasOverlayLine& l : x.PointSetLines)
                 out.raw(l.Text);
             if (x.BackdropLine)
                 out.raw(x.BackdropLine->Text);
             if (x.MapGridLine)
                 out.raw(x.MapGridLine->Text);
         }},
        {"backdrop",
         [](const Item& it, ModelExtras& x, std::string&) {
             x.BackdropLine = ExtrasOverlayLine{it.number, std::string(it.line)};
             return true;
         },
         [](const ModelExtras&, Out&, std::string_view) {}},
        {"map-grid",
         [](const Item& it, ModelExtras& x, std::string&) {
             x.MapGridLine = ExtrasOverlayLine{it.number, std::string(it.line)};
             return true;
         },
         [](const ModelExtras&, Out&, std::string_view) {}},
        // The recovery file's own items.
        {"file",
         [](const Item& it, ModelExtras& x, std::string& why) {
             std::string s;
             if (!text(it, 0, s, why))
                 return false;
             x.ModelFile = s;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.ModelFile)
                 out.key(key) << std::string_view(*x.ModelFile), out.end();
         }},
        record<&ModelExtras::CurrentBody, HiddenFields>("current"),
        record<&ModelExtras::View, ViewFields, viewSound>("view"),
    };
    return table;
}

const Key* findKey(std::string_view key)
{
    for (const Key& k : keys())
        if (k.key == key)
            return &k;
    return nullptr;
}

constexpr std::string_view ChecksumKey = "checksum";

}  // namespace

bool ModelExtras::empty() const
{
    if (!PointSetLines.empty() || BackdropLine || MapGridLine)
        return false;
    return Hidden.empty() && Links.empty() && !ProfileLine && !Field && Magnetisations.empty() && DensityLaws.empty() &&
           Elevations.empty() && Offsets.empty() &&
           MagStations.empty() && MagOffsets.empty() && !GradientFrame && GradStations.empty() && BodyInversion.empty() && Bounds.empty() && CornerInversion.empty() &&
           MagneticInversion.empty() && MagneticBounds.empty() && TypedBounds.empty() &&
           !InversionBody && !Iterations && !KeepLinkedCorners && !AllBodies && !FitShift && !FitData && FitGradients.empty() && !Regional && !MagneticRegional && Holes.empty() &&
           Display.empty() && !Titles[0] && !Titles[1] && !ModelFile && !CurrentBody && !View && Carried.Unknown.empty();
}

namespace {

// The items of our block, from the line after its heading to its "#END".
ModelExtras readItems(std::string_view bytes, std::size_t& pos, ExtrasReading& reading)
{
    ModelExtras x;
    int number = 1;
    bool ended = false;
    std::size_t lineStart = pos;
    std::string_view line;
    Item it;
    std::vector<std::string_view> f;   // reused: one allocation for the whole block
    while (nextLine(bytes, pos, line)) {
        ++number;
        const std::size_t thisLine = lineStart;
        lineStart = pos;
        if (line == ExtrasEnd) {
            ended = true;
            break;
        }
        it.line = line;
        it.number = number;
        splitFields(line, f);
        if (f.empty())
            continue;   // a blank line
        // The key begins the line; a line that begins with a blank has none.
        if (line.front() == ' ' || line.front() == '\t') {
            reading.Problems.push_back(lineProblem(number, "it does not begin with a key"));
            continue;
        }
        it.key = f.front();
        it.fields.assign(f.begin() + 1, f.end());
        if (it.key == ChecksumKey) {
            reading.HasChecksum = true;
            reading.ChecksumGood =
                it.fields.size() == 1 && it.fields[0] == extrasChecksum(bytes.substr(0, thisLine));
            continue;
        }
        const Key* k = findKey(it.key);
        if (!k) {
            x.Carried.Unknown.emplace_back(line);
            continue;
        }
        std::string why;
        if (!k->read(it, x, why))
            reading.Problems.push_back(lineProblem(number, why));
    }
    if (!ended)
        reading.Problems.push_back("The extras end without their \"#END\" line: they may be cut short.");
    return x;
}

// Past the "#END" line of a block read from pos, or to the end of bytes.
std::size_t blockEnd(std::string_view bytes, std::size_t pos)
{
    std::string_view line;
    while (nextLine(bytes, pos, line))
        if (line == ExtrasEnd)
            break;
    return pos;
}

}  // namespace

std::optional<ModelExtras> readExtras(std::string_view bytes, std::size_t at, ExtrasReading& reading)
{
    reading = {};
    if (at > bytes.size())
        return std::nullopt;
    std::size_t pos = at;
    // The writer's line break after the last record, or none.
    if (bytes.substr(pos).starts_with("\r\n"))
        pos += 2;
    else if (bytes.substr(pos).starts_with("\n"))
        pos += 1;
    // Blocks follow one another; a heading this program does not read (a
    // later version) starts a block kept byte for byte, so that saving the
    // model loses nothing of it. What follows the blocks is ignored.
    std::optional<ModelExtras> x;
    std::string_view line;
    for (;;) {
        const std::size_t start = pos;
        if (!nextLine(bytes, pos, line) || !line.starts_with(ExtrasFamily))
            break;
        if (line == ExtrasHeading && !x) {
            x = readItems(bytes, pos, reading);
            continue;
        }
        pos = blockEnd(bytes, pos);
        reading.Kept.append(bytes.substr(start, pos - start));
        reading.Problems.push_back("The extras headed " + extrasQuote(line) +
                                   " cannot be read here: they are kept and saved with the model as they are.");
    }
    return x;
}

std::string extrasText(const ModelExtras& x, std::string_view before, bool checksum)
{
    std::string s = "\r\n";
    s += ExtrasHeading;
    s += "\r\n";
    Out out(s);
    for (const Key& k : keys())
        k.write(x, out, k.key);
    for (const std::string& line : x.Carried.Unknown)
        out.raw(line);
    if (checksum) {
        std::string all(before);
        all += s;
        out.key(ChecksumKey) << std::string_view(extrasChecksum(all));
        out.end();
    }
    s += ExtrasEnd;
    s += "\r\n";
    return s;
}

}  // namespace corvane
