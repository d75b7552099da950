#pragma once
// Undo and redo of model changes. A step is recorded around one command: the
// state is copied when the step begins, and when it ends only what differs is
// kept: the changed runs of bytes of the station arrays and of each body
// slot, the counts, the boreholes, the view settings the step moved and the
// point data and backdrop shown with the section.
// Undoing or redoing a step swaps those bytes with the model's, so the model,
// every body's anomaly, the total and the links come back bit for bit, and
// view limits the step did not touch stay as the user has set them since.
// The history also knows whether the model differs from the one last loaded,
// begun or saved.
#include "model/workspace.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class ModelHistory {
public:
    // The newest MinSteps steps are always kept; older ones go once there are
    // MaxSteps, or once the history holds more than MaxBytes.
    static constexpr int MinSteps = 100;
    static constexpr int MaxSteps = 1000;
    static constexpr std::size_t MaxBytes = std::size_t{64} << 20;

    explicit ModelHistory(Workspace& ws);
    ~ModelHistory();
    ModelHistory(const ModelHistory&) = delete;
    ModelHistory& operator=(const ModelHistory&) = delete;

    // An edit is undone on its own; a replacement (a model begun or loaded)
    // that changed anything clears the history and becomes the unchanged model.
    enum class Kind { Edit, Replace };
    enum class Outcome { Unchanged, Recorded, Replaced };

    // Steps nest: only the outermost begin and end count.
    void begin(const QString& name, Kind kind = Kind::Edit);
    bool stepOpen() const { return depth_ > 0; }
    // A step that changed nothing, or only which body is current, is dropped.
    Outcome end();

    bool canUndo() const { return depth_ == 0 && pos_ > 0; }
    bool canRedo() const { return depth_ == 0 && pos_ < steps_.size(); }
    QString undoName() const;   // "" when there is nothing to undo
    QString redoName() const;
    void undo();
    void redo();

    // Forgets every step; the model as it stands counts as unchanged.
    void clear();
    // The model as it stands is the one on disk (from a step's start if the
    // step has changed nothing yet).
    void markSaved();
    // The model is not on disk anywhere (restored from a recovery file).
    void markUnsaved() { savedPos_ = -1; }
    // The model differs from the one last loaded, begun or saved (an open
    // step's changes not counted until it ends).
    bool modified() const { return savedPos_ != static_cast<long>(pos_); }
    // The same, counting what an open step has changed so far.
    bool unsaved() const;

    int undoSteps() const { return static_cast<int>(pos_); }
    int redoSteps() const { return static_cast<int>(steps_.size() - pos_); }
    std::size_t bytes() const { return bytes_; }
    std::size_t newestStepBytes() const;
    // Changes each time the history changes the model or forgets its steps.
    std::uint64_t version() const { return version_; }

private:
    struct Step;
    struct Counts;
    struct Snapshot;

    void apply(Step& step);
    bool differsFromBefore(bool countSelection) const;
    void push(Step&& step);
    void dropOldest();

    Workspace& ws_;
    std::deque<std::unique_ptr<Step>> steps_;
    std::size_t pos_ = 0;       // steps_[0 .. pos_-1] can be undone, the rest redone
    long savedPos_ = 0;         // the position of the saved model, -1 for none
    std::size_t bytes_ = 0;
    std::uint64_t version_ = 0;
    int depth_ = 0;
    std::unique_ptr<Snapshot> before_;
};

}  // namespace corvane
