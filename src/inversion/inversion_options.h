#pragma once
// What an inversion run fits and moves: the data sets and their errors, the
// magnetic unknowns, links, all bodies, constant levels. Plain C++.
#include "inversion/fits.h"
#include "model/settings.h"
#include "model/tensor.h"

#include <array>

#include <optional>

namespace corvane {

struct InversionOptions {
    // Corners of other bodies linked to the inversion body's corners move with
    // them (their bodies recalculated in the Jacobian and in every update),
    // instead of the links being removed first.
    bool keepLinks = false;

    // The data fitted: gravity, magnetics or both. With magnetics each
    // residual is weighed by its data set's observational error (mGal, nT)
    // and both sets are stacked in one system; gravity alone is fitted
    // unweighted, as it always was. Magnetics needs observed magnetic values:
    // without them the run fits gravity.
    bool useGravity = true;
    bool useMagnetic = false;
    double gravityError = 0.1;
    double magneticError = 1;

    // The body's susceptibility (SI) and remanent intensity (A/m) as
    // unknowns, after the density, besides those the body chose; bounds
    // given here replace the body's. Fitted only with magnetics.
    bool invertSusceptibility = false;
    bool invertRemanence = false;
    std::optional<Bounds> susceptibilityBounds = {};
    std::optional<Bounds> remanenceBounds = {};

    // Every body's chosen parameters and corners as unknowns at once, not
    // just the inversion body's: in body order, each body's in the order of
    // inversionUnknowns, each body within its own bounds. Links are kept
    // (keepLinks is implied): a corner linked to a corner of an earlier body
    // that is already an unknown in the same direction is not a second
    // unknown, it moves with its partner. The options' susceptibility and
    // remanence settings apply to the inversion body; other bodies use their
    // own flags and bounds.
    bool allBodies = false;
    // A constant level added to the calculated gravity (mGal) when gravity is
    // fitted and one added to the calculated magnetic anomaly (nT) when
    // magnetics is: unknowns of the run, after the bodies', that change no
    // body and have no bounds. They start at 0. The residuals and misfits of
    // the run and of its report are taken with the levels added, since that
    // is what the run minimises; the model's own calculated anomaly, and so
    // the status line, stays without them.
    bool fitShift = false;

    // The gravity gradient components fitted beside the other data, in the
    // profile frame (order xx, xy, xz, yy, yz, zz): each residual divided by
    // its component's error (E), each component with its own constant shift
    // if asked (an unknown after the levels above). A component counts only
    // where some station has an observed value of it; gradient data make the
    // run weigh every residual by its error, as magnetics does.
    std::array<GradientFitChoice, TensorComponents> gradients{};
    bool fitsGradients() const
    {
        for (const GradientFitChoice& c : gradients)
            if (c.Fit)
                return true;
        return false;
    }
};

// "T_xx" .. "T_zz", component k in the order of GravityTensor.
inline const char* gradientComponentName(int k)
{
    static constexpr const char* Names[TensorComponents] = {"T_xx", "T_xy", "T_xz", "T_yy", "T_yz", "T_zz"};
    return k >= 0 && k < TensorComponents ? Names[k] : "";
}

}  // namespace corvane
