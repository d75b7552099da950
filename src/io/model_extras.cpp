#include "model_extras.h"

#include "io/extras_syntax.h"
#include "model/magnetic_limits.h"

#include <algorithm>

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

const std::vector<Key>& keys()
{
    static const std::vector<Key> table = {
        {"hidden",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasHidden h{0, it.number};
             if (!count(it, 1, why) || !whole(it, 0, 1, MaxNumber, h.Body, why))
                 return false;
             x.Hidden.push_back(h);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasHidden& h : x.Hidden)
                 out.key(key) << h.Body, out.end();
         }},
        {"link",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasLink l;
             l.Line = it.number;
             if (!count(it, 4, why) || !whole(it, 0, 1, MaxNumber, l.Body, why) ||
                 !whole(it, 1, 1, MaxNumber, l.Corner, why) || !whole(it, 2, 1, MaxNumber, l.Body2, why) ||
                 !whole(it, 3, 1, MaxNumber, l.Corner2, why))
                 return false;
             x.Links.push_back(l);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasLink& l : x.Links)
                 out.key(key) << l.Body << l.Corner << l.Body2 << l.Corner2, out.end();
         }},
        {"field",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasField f;
             if (!count(it, 4, why) || !within(it, 0, FieldIntensityLimit, f.Intensity, why) ||
                 !within(it, 1, FieldInclinationLimit, f.Inclination, why) ||
                 !within(it, 2, FieldDeclinationLimit, f.Declination, why) ||
                 !within(it, 3, ProfileAzimuthLimit, f.Azimuth, why))
                 return false;
             x.Field = f;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (const auto& f = x.Field)
                 out.key(key) << f->Intensity << f->Inclination << f->Declination << f->Azimuth, out.end();
         }},
        {"magnetisation",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasMagnetisation m;
             m.Line = it.number;
             if (!count(it, 5, why) || !whole(it, 0, 1, MaxNumber, m.Body, why) ||
                 !within(it, 1, SusceptibilityLimit, m.Susceptibility, why) ||
                 !within(it, 2, RemanenceLimit, m.Remanence, why) ||
                 !within(it, 3, RemanentInclinationLimit, m.Inclination, why) ||
                 !within(it, 4, RemanentDeclinationLimit, m.Declination, why))
                 return false;
             x.Magnetisations.push_back(m);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasMagnetisation& m : x.Magnetisations)
                 out.key(key) << m.Body << m.Susceptibility << m.Remanence << m.Inclination << m.Declination,
                     out.end();
         }},
        {"elevation",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasElevation e;
             e.Line = it.number;
             if (!count(it, 2, why) || !whole(it, 0, 1, MaxNumber, e.Station, why) ||
                 !within(it, 1, StationHeightLimit, e.Height, why))
                 return false;
             x.Elevations.push_back(e);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasElevation& e : x.Elevations)
                 out.key(key) << e.Station << e.Height, out.end();
         }},
        {"magstation",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasMagStation s;
             if (!count(it, 3, why) || !within(it, 0, StationPositionLimit, s.X, why) ||
                 !within(it, 1, StationHeightLimit, s.Height, why))
                 return false;
             if (it.fields[2] != "-") {
                 double t = 0;
                 if (!within(it, 2, ObservedMagneticLimit, t, why))
                     return false;
                 s.Anomaly = t;
             }
             x.MagStations.push_back(s);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasMagStation& s : x.MagStations) {
                 out.key(key) << s.X << s.Height;
                 if (s.Anomaly)
                     out << *s.Anomaly;
                 else
                     out << std::string_view("-");
                 out.end();
             }
         }},
        {"invert",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasBodyInversion v;
             v.Line = it.number;
             if (!count(it, 5, why) || !whole(it, 0, 1, MaxNumber, v.Body, why) || !flag(it, 1, v.Density, why) ||
                 !flag(it, 2, v.XPos, why) || !flag(it, 3, v.Depth, why) || !flag(it, 4, v.Angle, why))
                 return false;
             x.BodyInversion.push_back(v);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasBodyInversion& v : x.BodyInversion)
                 out.key(key) << v.Body << v.Density << v.XPos << v.Depth << v.Angle, out.end();
         }},
        {"bounds",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasBounds b;
             b.Line = it.number;
             if (!count(it, 1 + NumBoundValues, why) || !whole(it, 0, 1, MaxNumber, b.Body, why))
                 return false;
             for (std::size_t i = 0; i < NumBoundValues; ++i)
                 if (!num(it, 1 + i, b.Values[i], why))
                     return false;
             x.Bounds.push_back(b);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasBounds& b : x.Bounds) {
                 out.key(key) << b.Body;
                 for (double v : b.Values)
                     out << v;
                 out.end();
             }
         }},
        {"invert-magnetic",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasMagneticInversion v;
             v.Line = it.number;
             if (!count(it, 3, why) || !whole(it, 0, 1, MaxNumber, v.Body, why) ||
                 !flag(it, 1, v.Susceptibility, why) || !flag(it, 2, v.Remanence, why))
                 return false;
             x.MagneticInversion.push_back(v);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasMagneticInversion& v : x.MagneticInversion)
                 out.key(key) << v.Body << v.Susceptibility << v.Remanence, out.end();
         }},
        {"bounds-magnetic",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasMagneticBounds b;
             b.Line = it.number;
             if (!count(it, 5, why) || !whole(it, 0, 1, MaxNumber, b.Body, why) ||
                 !within(it, 1, SusceptibilityLimit, b.SusceptibilityMin, why) ||
                 !within(it, 2, SusceptibilityLimit, b.SusceptibilityMax, why) ||
                 !within(it, 3, RemanenceLimit, b.RemanenceMin, why) ||
                 !within(it, 4, RemanenceLimit, b.RemanenceMax, why))
                 return false;
             x.MagneticBounds.push_back(b);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasMagneticBounds& b : x.MagneticBounds)
                 out.key(key) << b.Body << b.SusceptibilityMin << b.SusceptibilityMax << b.RemanenceMin
                              << b.RemanenceMax,
                     out.end();
         }},
        {"corner-invert",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasCornerInversion c;
             c.Line = it.number;
             if (!count(it, 4, why) || !whole(it, 0, 1, MaxNumber, c.Body, why) ||
                 !whole(it, 1, 1, MaxNumber, c.Corner, why) || !flag(it, 2, c.X, why) || !flag(it, 3, c.Z, why))
                 return false;
             x.CornerInversion.push_back(c);
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasCornerInversion& c : x.CornerInversion)
                 out.key(key) << c.Body << c.Corner << c.X << c.Z, out.end();
         }},
        {"inversion-body",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasHidden b{0, it.number};
             if (!count(it, 1, why) || !whole(it, 0, 1, MaxNumber, b.Body, why))
                 return false;
             x.InversionBody = b;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.InversionBody)
                 out.key(key) << x.InversionBody->Body, out.end();
         }},
        {"iterations",
         [](const Item& it, ModelExtras& x, std::string& why) {
             int n = 0;
             if (!count(it, 1, why) || !whole(it, 0, 0, 255, n, why))
                 return false;
             x.Iterations = n;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.Iterations)
                 out.key(key) << *x.Iterations, out.end();
         }},
        {"keep-linked",
         [](const Item& it, ModelExtras& x, std::string& why) {
             return count(it, 1, why) && flag(it, 0, x.KeepLinkedCorners, why);
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.KeepLinkedCorners)
                 out.key(key) << true, out.end();
         }},
        {"invert-all",
         [](const Item& it, ModelExtras& x, std::string& why) {
             return count(it, 1, why) && flag(it, 0, x.AllBodies, why);
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.AllBodies)
                 out.key(key) << true, out.end();
         }},
        {"fit-shift",
         [](const Item& it, ModelExtras& x, std::string& why) {
             return count(it, 1, why) && flag(it, 0, x.FitShift, why);
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.FitShift)
                 out.key(key) << true, out.end();
         }},
        {"fit-data",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasFitData f;
             if (!count(it, 4, why) || !flag(it, 0, f.Gravity, why) || !flag(it, 1, f.Magnetic, why) ||
                 !num(it, 2, f.GravityError, why) || !num(it, 3, f.MagneticError, why))
                 return false;
             if (!(f.GravityError > 0 && f.MagneticError > 0)) {
                 why = "an observational error must be above 0";
                 return false;
             }
             x.FitData = f;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (const auto& f = x.FitData)
                 out.key(key) << f->Gravity << f->Magnetic << f->GravityError << f->MagneticError, out.end();
         }},
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
        {"magnetic-regional",
         [](const Item& it, ModelExtras& x, std::string& why) {
             MagneticRegionalRecord r;
             if (!count(it, 2, why) || !num(it, 0, r.A, why) || !num(it, 1, r.B, why))
                 return false;
             x.MagneticRegional = r;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (const auto& r = x.MagneticRegional)
                 out.key(key) << r->A << r->B, out.end();
         }},
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
        {"display",
         [](const Item& it, ModelExtras& x, std::string& why) {
             if (!count(it, 2, why))
                 return false;
             x.Display.push_back({it.number, std::string(it.fields[0]), std::string(it.fields[1])});
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             for (const ExtrasSetting& s : x.Display)
                 out.key(key) << std::string_view(s.Name) << std::string_view(s.Value), out.end();
         }},
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
         }},
        {"backdrop",
         [](const Item& it, ModelExtras& x, std::string&) {
             x.BackdropLine = ExtrasOverlayLine{it.number, std::string(it.line)};
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
        {"current",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasHidden b{0, it.number};
             if (!count(it, 1, why) || !whole(it, 0, 1, MaxNumber, b.Body, why))
                 return false;
             x.CurrentBody = b;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.CurrentBody)
                 out.key(key) << x.CurrentBody->Body, out.end();
         }},
        {"view",
         [](const Item& it, ModelExtras& x, std::string& why) {
             ExtrasView v;
             if (!count(it, 5, why) || !num(it, 0, v.XMin, why) || !num(it, 1, v.XMax, why) ||
                 !flag(it, 2, v.Zoomed, why) || !num(it, 3, v.DepthStep, why) || !num(it, 4, v.GravityStep, why))
                 return false;
             if (!(v.XMax > v.XMin && v.DepthStep > 0 && v.GravityStep > 0)) {
                 why = "the profile shown must run left to right and the steps be positive";
                 return false;
             }
             x.View = v;
             return true;
         },
         [](const ModelExtras& x, Out& out, std::string_view key) {
             if (x.View)
                 out.key(key) << x.View->XMin << x.View->XMax << x.View->Zoomed << x.View->DepthStep
                              << x.View->GravityStep,
                     out.end();
         }},
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
    if (!PointSetLines.empty() || BackdropLine)
        return false;
    return Hidden.empty() && Links.empty() && !Field && Magnetisations.empty() && Elevations.empty() &&
           MagStations.empty() && BodyInversion.empty() && Bounds.empty() && CornerInversion.empty() &&
           MagneticInversion.empty() && MagneticBounds.empty() &&
           !InversionBody && !Iterations && !KeepLinkedCorners && !AllBodies && !FitShift && !FitData && !Regional && !MagneticRegional && Holes.empty() &&
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
