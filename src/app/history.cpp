#include "app/history.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <type_traits>

namespace corvane {

namespace {

using StationArray = Array1<double, MaxStations>;
using HoleTable = Array1<THole, MaxHoles>;

// The model's big tables, compared and restored as bytes: the five station
// arrays, the 51 body slots (slots above NumBodies included, so that a
// body that comes back after an undo brings what its slot held), and last
// the magnetic stations with the Earth's field, then the gradient stations.
static_assert(std::is_trivially_copyable_v<Tbody> && std::is_standard_layout_v<Tbody>);
static_assert(sizeof(Tbody) % 8 == 0 && sizeof(StationArray) % 8 == 0);
static_assert(std::is_trivially_copyable_v<MagneticStations> && sizeof(MagneticStations) % 8 == 0);
static_assert(std::is_trivially_copyable_v<GradientStations> && sizeof(GradientStations) % 8 == 0);
constexpr int StationRegions = 5;
constexpr int MagneticRegion = StationRegions + MaxBodies;
constexpr int GradientRegion = MagneticRegion + 1;
constexpr int NumRegions = GradientRegion + 1;

std::span<std::byte> region(Model& m, int r)
{
    if (r == MagneticRegion)
        return {reinterpret_cast<std::byte*>(&m.Mag), sizeof(MagneticStations)};
    if (r == GradientRegion)
        return {reinterpret_cast<std::byte*>(&m.Grad), sizeof(GradientStations)};
    if (r < StationRegions) {
        StationArray* arrays[] = {&m.StationX, &m.ObservedGravity, &m.CalculatedGravity,
                                  &m.StationHeight, &m.StationOffset};
        return {reinterpret_cast<std::byte*>(arrays[r]), sizeof(StationArray)};
    }
    return {reinterpret_cast<std::byte*>(&m.Bodies[r - StationRegions + 1]), sizeof(Tbody)};
}

std::size_t regionOffset(int r)
{
    if (r == GradientRegion)
        return StationRegions * sizeof(StationArray) + MaxBodies * sizeof(Tbody) + sizeof(MagneticStations);
    if (r == MagneticRegion)
        return StationRegions * sizeof(StationArray) + MaxBodies * sizeof(Tbody);
    return r < StationRegions
        ? static_cast<std::size_t>(r) * sizeof(StationArray)
        : StationRegions * sizeof(StationArray) + static_cast<std::size_t>(r - StationRegions) * sizeof(Tbody);
}

constexpr std::size_t RegionBytes =
    StationRegions * sizeof(StationArray) + MaxBodies * sizeof(Tbody) + sizeof(MagneticStations) +
    sizeof(GradientStations);

// Differing words closer than this are kept as one run: a run's record costs
// about as much.
constexpr std::size_t MergeGap = 64;

bool wordDiffers(const std::byte* a, const std::byte* b)
{
    std::uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    return x != y;
}

// View settings that commands on the model move (the profile and depth shown,
// the grid and the axis steps), and the zoomed flag, as the last entry.
constexpr double Display::* ViewFields[] = {
    &Display::ViewXMin, &Display::ViewXMax, &Display::ViewDepthMin, &Display::ViewDepthMax,
    &Display::GridStepX, &Display::GridStepZ, &Display::DepthTickStep, &Display::GravityTickStep};
constexpr int NumViewFields = static_cast<int>(std::size(ViewFields));
constexpr int ZoomedField = NumViewFields;

double viewValue(const Display& d, int f)
{
    return f == ZoomedField ? (d.Zoomed ? 1.0 : 0.0) : d.*ViewFields[f];
}

void setViewValue(Display& d, int f, double v)
{
    if (f == ZoomedField)
        d.Zoomed = v != 0;
    else
        d.*ViewFields[f] = v;
}

bool sameHole(const THole& a, const THole& b)
{
    return a.NumLabels == b.NumLabels && a.NumDepths == b.NumDepths && a.Name == b.Name &&
           std::memcmp(&a.HoleX, &b.HoleX, sizeof a.HoleX) == 0 &&
           std::memcmp(&a.HoleDepth, &b.HoleDepth, sizeof a.HoleDepth) == 0 && a.Label == b.Label &&
           a.LabelRow == b.LabelRow;
}

bool sameHoles(const HoleTable& a, const HoleTable& b)
{
    for (int h = 1; h <= MaxHoles; ++h)
        if (!sameHole(a[h], b[h]))
            return false;
    return true;
}

std::size_t holeBytes(const HoleTable& t)
{
    std::size_t n = sizeof t;
    for (int h = 1; h <= MaxHoles; ++h) {
        n += t[h].Name.capacity();
        for (int k = 1; k <= MaxHoleLabels; ++k)
            n += t[h].Label[k].capacity();
    }
    return n;
}

// The pictures are shared with the model, so only the point sets count.
std::size_t overlayBytes(const Overlays& o)
{
    std::size_t n = sizeof o;
    for (const PointSet& set : o.pointSets) {
        n += sizeof set + set.path.capacity() + set.points.capacity() * sizeof(DataPoint);
        for (const DataPoint& p : set.points)
            n += p.label.capacity();
    }
    if (o.backdrop)
        n += o.backdrop->path.capacity();
    return n;
}

}  // namespace

struct ModelHistory::Counts {
    int NumStations = 0;
    int NumBodies = 0;
    int CurrentBody = 0;
    int InversionBody = 0;
    int NumHoles = 0;
    bool HaveObserved = false;
    bool UnitsKm = false;
    bool ModelExists = false;

    static Counts of(const Workspace& ws)
    {
        const Model& m = ws.model;
        return {m.NumStations, m.NumBodies, m.CurrentBody, ws.inversion.InversionBody, m.NumHoles,
                m.HaveObserved, m.UnitsKm, m.ModelExists};
    }
    void store(Workspace& ws) const
    {
        Model& m = ws.model;
        m.NumStations = NumStations;
        m.NumBodies = NumBodies;
        m.CurrentBody = CurrentBody;
        ws.inversion.InversionBody = InversionBody;
        m.NumHoles = NumHoles;
        m.HaveObserved = HaveObserved;
        m.UnitsKm = UnitsKm;
        m.ModelExists = ModelExists;
    }
    bool operator==(const Counts&) const = default;
    // The same model, whichever body is current.
    bool sameBesidesSelection(const Counts& o) const
    {
        Counts a = *this;
        a.CurrentBody = o.CurrentBody;
        a.InversionBody = o.InversionBody;
        return a == o;
    }
};

struct ModelHistory::Snapshot {
    QString name;
    Kind kind = Kind::Edit;
    std::vector<std::byte> regions = std::vector<std::byte>(RegionBytes);
    Counts counts;
    std::array<double, NumViewFields + 1> view{};
    HoleTable holes;
    ExtrasState extras;
    std::string fileName;
    Overlays overlays;
    std::optional<ProfileLineRecord> profileLine;
};

struct ModelHistory::Step {
    struct Patch {
        int region = 0;
        std::size_t offset = 0;   // within the region
        std::size_t length = 0;
        std::size_t at = 0;       // within bytes
    };
    struct ViewChange {
        int field = 0;
        double value = 0;
    };

    QString name;
    // Each patch holds the bytes the model does not have now: before the
    // step while it can be undone, after it while it can be redone.
    std::vector<Patch> patches;
    std::vector<std::byte> bytes;
    std::optional<Counts> counts;
    std::vector<ViewChange> view;
    std::unique_ptr<HoleTable> holes;
    std::unique_ptr<ExtrasState> extras;
    std::unique_ptr<Overlays> overlays;
    // The line the model had on the other side of the step, when it moved.
    std::optional<std::optional<ProfileLineRecord>> profileLine;
    std::size_t size = 0;

    void addRuns(int r, const std::byte* before, const std::byte* now, std::size_t n)
    {
        if (std::memcmp(before, now, n) == 0)
            return;
        std::size_t i = 0;
        while (i < n) {
            while (i < n && !wordDiffers(before + i, now + i))
                i += 8;
            if (i >= n)
                break;
            std::size_t end = i + 8;
            for (std::size_t j = end; j < n && j - end < MergeGap; j += 8)
                if (wordDiffers(before + j, now + j))
                    end = j + 8;
            patches.push_back({r, i, end - i, bytes.size()});
            bytes.insert(bytes.end(), before + i, before + end);
            i = end;
        }
    }
};

ModelHistory::ModelHistory(Workspace& ws) : ws_(ws), before_(std::make_unique<Snapshot>()) {}

ModelHistory::~ModelHistory() = default;

void ModelHistory::begin(const QString& name, Kind kind)
{
    if (depth_++ > 0)
        return;
    Snapshot& s = *before_;
    s.name = name;
    s.kind = kind;
    for (int r = 0; r < NumRegions; ++r) {
        const std::span<std::byte> now = region(ws_.model, r);
        std::memcpy(s.regions.data() + regionOffset(r), now.data(), now.size());
    }
    s.counts = Counts::of(ws_);
    for (int f = 0; f <= NumViewFields; ++f)
        s.view[static_cast<std::size_t>(f)] = viewValue(ws_.display, f);
    s.holes = ws_.model.Holes;
    s.extras = ws_.extras;
    s.fileName = ws_.app.ModelFileName;
    s.overlays = ws_.overlays;
    s.profileLine = ws_.model.ProfileLine;
}

bool ModelHistory::differsFromBefore(bool countSelection) const
{
    const Snapshot& s = *before_;
    for (int r = 0; r < NumRegions; ++r) {
        const std::span<std::byte> now = region(ws_.model, r);
        if (std::memcmp(s.regions.data() + regionOffset(r), now.data(), now.size()) != 0)
            return true;
    }
    const Counts now = Counts::of(ws_);
    if (countSelection ? !(now == s.counts) : !now.sameBesidesSelection(s.counts))
        return true;
    for (int f = 0; f <= NumViewFields; ++f)
        if (std::bit_cast<std::uint64_t>(s.view[static_cast<std::size_t>(f)]) !=
            std::bit_cast<std::uint64_t>(viewValue(ws_.display, f)))
            return true;
    return !sameHoles(s.holes, ws_.model.Holes) || !(s.extras == ws_.extras) || !(s.overlays == ws_.overlays) ||
           s.profileLine != ws_.model.ProfileLine;
}

bool ModelHistory::unsaved() const
{
    return modified() || (depth_ > 0 && differsFromBefore(false));
}

ModelHistory::Outcome ModelHistory::end()
{
    if (depth_ == 0 || --depth_ > 0)
        return Outcome::Unchanged;
    const Snapshot& s = *before_;
    if (s.kind == Kind::Replace) {
        if (!differsFromBefore(true) && s.fileName == ws_.app.ModelFileName)
            return Outcome::Unchanged;
        clear();
        return Outcome::Replaced;
    }

    Step step;
    step.name = s.name;
    for (int r = 0; r < NumRegions; ++r) {
        const std::span<std::byte> now = region(ws_.model, r);
        step.addRuns(r, s.regions.data() + regionOffset(r), now.data(), now.size());
    }
    const Counts now = Counts::of(ws_);
    if (!(now == s.counts))
        step.counts = s.counts;
    for (int f = 0; f <= NumViewFields; ++f) {
        const double before = s.view[static_cast<std::size_t>(f)];
        if (std::bit_cast<std::uint64_t>(before) != std::bit_cast<std::uint64_t>(viewValue(ws_.display, f)))
            step.view.push_back({f, before});
    }
    if (!sameHoles(s.holes, ws_.model.Holes))
        step.holes = std::make_unique<HoleTable>(s.holes);
    if (!(s.extras == ws_.extras))
        step.extras = std::make_unique<ExtrasState>(s.extras);
    if (!(s.overlays == ws_.overlays))
        step.overlays = std::make_unique<Overlays>(s.overlays);
    if (s.profileLine != ws_.model.ProfileLine)
        step.profileLine = s.profileLine;

    const bool selectionOnly = !step.counts || step.counts->sameBesidesSelection(now);
    if (step.patches.empty() && step.view.empty() && !step.holes && !step.extras && !step.overlays && !step.profileLine &&
        selectionOnly)
        return Outcome::Unchanged;

    step.bytes.shrink_to_fit();
    step.patches.shrink_to_fit();
    step.size = sizeof(Step) + step.bytes.size() + step.patches.size() * sizeof(Step::Patch) +
                step.view.size() * sizeof(Step::ViewChange) +
                static_cast<std::size_t>(step.name.size()) * sizeof(QChar) +
                (step.holes ? holeBytes(*step.holes) : 0) + (step.extras ? sizeof(ExtrasState) : 0) +
                (step.overlays ? overlayBytes(*step.overlays) : 0);
    push(std::move(step));
    return Outcome::Recorded;
}

void ModelHistory::push(Step&& step)
{
    while (steps_.size() > pos_) {
        bytes_ -= steps_.back()->size;
        steps_.pop_back();
    }
    if (savedPos_ > static_cast<long>(pos_))
        savedPos_ = -1;   // the saved model was on the branch just left
    bytes_ += step.size;
    steps_.push_back(std::make_unique<Step>(std::move(step)));
    ++pos_;
    ++version_;
    while (static_cast<int>(steps_.size()) > MaxSteps ||
           (bytes_ > MaxBytes && static_cast<int>(steps_.size()) > MinSteps))
        dropOldest();
}

void ModelHistory::dropOldest()
{
    bytes_ -= steps_.front()->size;
    steps_.pop_front();
    --pos_;
    // The saved model is no longer within reach once the step after it goes.
    savedPos_ = savedPos_ > 0 ? savedPos_ - 1 : -1;
}

void ModelHistory::apply(Step& step)
{
    for (const Step::Patch& p : step.patches) {
        std::byte* at = region(ws_.model, p.region).data() + p.offset;
        std::swap_ranges(at, at + p.length, step.bytes.data() + p.at);
    }
    // Each body's tensors are kept outside the bytes: calculated anew from
    // the bodies and stations the step brought back.
    if (!step.patches.empty() && ws_.model.Grad.Num > 0)
        ws_.model.RecalculateGradients();
    if (step.counts) {
        const Counts now = Counts::of(ws_);
        step.counts->store(ws_);
        *step.counts = now;
    }
    for (Step::ViewChange& v : step.view) {
        const double now = viewValue(ws_.display, v.field);
        setViewValue(ws_.display, v.field, v.value);
        v.value = now;
    }
    if (step.holes)
        std::swap(ws_.model.Holes, *step.holes);
    if (step.extras)
        std::swap(ws_.extras, *step.extras);
    if (step.overlays)
        std::swap(ws_.overlays, *step.overlays);
    if (step.profileLine)
        std::swap(ws_.model.ProfileLine, *step.profileLine);
    ++version_;
}

void ModelHistory::undo()
{
    if (!canUndo())
        return;
    --pos_;
    apply(*steps_[pos_]);
}

void ModelHistory::redo()
{
    if (!canRedo())
        return;
    apply(*steps_[pos_]);
    ++pos_;
}

QString ModelHistory::undoName() const
{
    return canUndo() ? steps_[pos_ - 1]->name : QString();
}

QString ModelHistory::redoName() const
{
    return canRedo() ? steps_[pos_]->name : QString();
}

void ModelHistory::clear()
{
    steps_.clear();
    pos_ = 0;
    savedPos_ = 0;
    bytes_ = 0;
    ++version_;
}

void ModelHistory::markSaved()
{
    // Saved in the middle of a step that has already changed the model: the
    // file holds neither end of the step.
    savedPos_ = depth_ > 0 && differsFromBefore(false) ? -1 : static_cast<long>(pos_);
}

std::size_t ModelHistory::newestStepBytes() const
{
    return pos_ > 0 ? steps_[pos_ - 1]->size : 0;
}

}  // namespace corvane
