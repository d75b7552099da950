#pragma once
// Process-wide settings that are not part of the model itself.
#include <string>

namespace corvane {

// Shared by the mouse commands, the body-properties fits and the inversion.
struct InversionState {
    int InversionBody = 1;    // the body that inversion works on
    int NumIterations = 10;   // iterations of fits and inversion
    int IterationCount = 0;   // non-zero only while a fit or inversion runs
};

struct AppSettings {
    bool ExpertUser = false;        // suppresses the mouse commands' instruction boxes
    std::string StartupDirectory;   // where the help file is looked for
    std::string ModelFileName;      // the model file last loaded or saved
    std::string Title1 = std::string(24, ' ');   // hardcopy title lines
    std::string Title2 = std::string(24, ' ');
    bool HardcopyLayout = false;    // the hardcopy layout switch
};

}  // namespace corvane
