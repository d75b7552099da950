#pragma once
// "Invert the model" as the model keeps it: the inversion body, the options
// of the dialog and the bodies' choices. The dialog and corvane-calc both run
// through here, so that the two cannot differ. Plain C++.
#include "inversion/least_squares.h"
#include "inversion/run_report.h"
#include "model/result.h"
#include "model/workspace.h"

#include <functional>
#include <string>
#include <vector>

namespace corvane {

// Whether there are data to invert: observed gravity, or observed magnetic
// values (a magnetic survey alone is fitted on its own).
bool haveInversionData(const Model& m);

// The body the inversion works on, kept to a body that exists.
int inversionBody(Workspace& ws);

// The options kept with the model as the run takes them. The data fitted and
// their errors count only when the model has observed magnetic values, or
// observed values of a gradient component chosen; an error that is not a
// positive number is taken as its default. Without observed gravity the run
// fits magnetics or gradients alone.
InversionOptions storedInversionOptions(const Workspace& ws);

// The run the stored choices describe, over the given number of iterations.
// A run refused before anything changes fails with the message to show.
Status runStoredInversion(Workspace& ws, int iterations, const std::function<void()>& afterIteration = {},
                          RunReport* report = nullptr);

// What a run takes from the bodies: for each body-wide parameter the number of
// bodies that chose it, the corners chosen, and the bodies that chose anything.
struct ChoiceCount {
    int density = 0, position = 0, depth = 0, angle = 0;
    int cornersX = 0, cornersZ = 0;
    int susceptibility = 0, remanence = 0;
    std::vector<int> bodies;
};
// Body b's choices, or every body's when b is 0.
ChoiceCount countChoices(const Model& m, int b);

// A body's choices in a few words ("density, depth, x of 2 corners"); empty
// when it has none.
std::string choicesText(const Tbody& body);

}  // namespace corvane
