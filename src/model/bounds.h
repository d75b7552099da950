#pragma once
// The inversion bounds a body slot holds when nobody has typed any: those of a
// new body. A slot taken by a loaded, imported or new body gets them, so that
// no bounds typed for an earlier body in that slot carry over.
#include "model/model.h"

namespace corvane {

inline void resetInversionBounds(Tbody& body)
{
    // The member initialisers of Tbody.
    body.DensMin = 0;
    body.DensMax = 1.0;
    body.XPosMin = 0;
    body.XPosMax = 1000;
    body.DepthMin = 0;
    body.DepthMax = 1000;
    body.AngleMin = -90;
    body.AngleMax = 90;
    body.SusceptibilityMin = 0;
    body.SusceptibilityMax = 1;
    body.RemanenceMin = 0;
    body.RemanenceMax = 100;
}

}  // namespace corvane
