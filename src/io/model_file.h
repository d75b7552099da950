#pragma once
// The program's own model file: a plain sequence of six-byte reals holding the
// counts, a few display settings, the stations with their observed anomalies
// and the bodies with their corners.
#include "io/model_extras.h"
#include "model/result.h"
#include "model/workspace.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The limits a model file must keep to be loaded (and that a saved model keeps).
inline constexpr int MinFileStations = 1;
// 2 distinct corners and the closing copy: the smallest body "Add a body" closes.
inline constexpr int MinFileCorners = 3;

// The bytes of the model file for ws: the records, then the extras block when
// the model holds anything the records cannot. A failure with a reason (for
// the sentence "... cannot be saved: <reason>.") when the model holds
// something the file cannot carry. modelPath is the file the bytes are for
// (see extrasOf).
Result<std::string> modelFileBytes(const Workspace& ws, const std::string& modelPath = {});
// The records of ws followed by the block of extras (none when extras is
// empty and no checksum is asked for).
Result<std::string> modelFileBytes(const Workspace& ws, const ModelExtras& extras, bool checksum);

// Everything a model file holds, read and checked.
struct ModelFileBody {
    int NumCorners = 0;
    double Density = 0;
    double StrikeLength1 = 0;
    double StrikeLength2 = 0;
    std::vector<double> CornerX;   // 0-based, NumCorners entries
    std::vector<double> CornerZ;
};

struct ModelFileContents {
    int NumBodies = 0;
    int NumStations = 0;
    double GridStepX = 0;
    double GridStepZ = 0;
    double ViewDepthMin = 0;
    double ViewDepthMax = 0;
    bool UnitsKm = true;
    bool HaveObserved = true;
    std::vector<double> StationX;   // 0-based, NumStations entries
    std::vector<double> ObservedGravity;
    std::vector<ModelFileBody> Bodies;
    std::size_t RecordBytes = 0;          // where the records end
    std::optional<ModelExtras> Extras;    // the block after them, if there is one
    ExtrasReading ExtrasRead;             // what reading the block found
};

// Reads and checks the whole file into out; when it is not sound, the
// message is the reason. The extras block after the last
// announced record is read too (lines of it that cannot be read are only
// noted); other bytes there are ignored.
Status parseModelFile(std::string_view bytes, ModelFileContents& out);

// Replaces the model in ws with the file's contents and rebuilds what follows
// from it: every body recalculated, view limits and axis steps, flags, and
// the extras. Each line of the extras that could not be read or does not fit
// the model adds a sentence to notes. modelPath is the file read (see applyExtras).
void applyModelFile(Workspace& ws, const ModelFileContents& file, std::vector<std::string>* notes = nullptr,
                    const std::string& modelPath = {});

// parseModelFile, then applyModelFile when the file is sound; ws is untouched
// otherwise.
Status loadModelBytes(Workspace& ws, std::string_view bytes, std::vector<std::string>* notes = nullptr,
                      const std::string& modelPath = {});

// The file-level commands. Each returns an empty string on success, otherwise
// a sentence for an error box that names the file and says what is wrong.
// Saving replaces the file only once every byte is written; loading leaves
// the model as it was unless the whole file is sound, and then remembers the
// file name.
Status saveModelFile(const Workspace& ws, const std::string& path);
Status loadModelFile(Workspace& ws, const std::string& path, std::vector<std::string>* notes = nullptr);

// The notes of a load as one text for a message box: the first few, and how
// many more there are.
std::string extrasNotesText(const std::vector<std::string>& notes);

}  // namespace corvane
