#pragma once
// Everything one running program holds: the model, what is displayed, the
// inversion state and the program settings. The main window owns one; tests
// make as many as they like. Free of Qt, at the bottom, so that every layer
// may read it.
#include "model/display_state.h"
#include "model/model.h"
#include "model/overlays.h"
#include "model/settings.h"

#include <memory>

namespace corvane {

struct Workspace {
    std::unique_ptr<Model> modelPtr = makeModel();
    Model& model = *modelPtr;
    Display display;
    InversionState inversion;
    AppSettings app;
    ExtrasState extras;
    Overlays overlays;   // point data and backdrop shown with the section

    Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
};

}  // namespace corvane
