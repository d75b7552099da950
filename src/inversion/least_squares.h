#pragma once
// The damped least-squares inversion of the selected parameters of one body,
// or of every body at once, with constant levels added to the calculated
// anomalies if asked: finite-difference Jacobian, Levenberg-Marquardt damping,
// normal equations solved through a singular value decomposition, bounded
// update. Plain C++ over the model.
#include "inversion/fits.h"
#include "inversion/inversion_options.h"
#include "inversion/svd.h"
#include "inversion/unknowns.h"
#include "model/model.h"
#include "model/settings.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The iteration count typed for the inversion: a whole number, its absolute
// value, at most 255; anything else gives 10.
int inversionIterationCount(std::string_view typed);

// One inversion run over body b (or every body with chosen parameters) with
// its working state.
class Inversion {
public:
    Inversion(Model& m, DepthRange view, int body, InversionOptions options = {});

    const std::vector<Unknown>& unknowns() const { return unknowns_; }
    // The unknowns that belong to bodies (the constant levels left out).
    int bodyUnknowns() const;
    double lambda() const { return lambda_; }
    double rotation() const { return rotationOf(b_); }   // accumulated, degrees
    double rotationOf(int body) const;
    // The fitted constant levels (0 when not fitted).
    double gravityShift() const;
    double magneticShift() const;
    double gradientShift(int component) const;
    // The gradient components fitted (those chosen with an observed value
    // somewhere), in order, and each one's RMS residual (E) with its shift.
    const std::vector<int>& gradientComponents() const { return gradientFitted_; }
    std::vector<double> gradientRms() const;
    // Whether each residual is divided by its error: with magnetics or
    // gradients fitted.
    bool weighted() const { return weighted_; }
    double lastMisfit() const { return e0_; }
    // The options in force (magnetics off when the model has no observed
    // magnetic values).
    const InversionOptions& options() const { return options_; }
    // The misfit the run minimises: the gravity RMS (mGal) when gravity alone
    // is fitted, else the RMS of the weighted residuals (gravity, magnetic,
    // then gradient rows); r receives them.
    double misfit(std::vector<double>& r) const;

    // Column k of the magnetic anomaly's derivative at every magnetic station
    // (index 0 for station 1), per model unit of the unknown.
    std::vector<double> magneticColumn(int k, double stepScale = 1);

    // Column k of the gradient tensor's derivative at every gradient station
    // (index 0 for station 1), per model unit of the unknown.
    std::vector<GravityTensor> gradientColumn(int k, double stepScale = 1);

    // Column k of J for the current state (index 0 for station 1), per model
    // unit of the unknown. The model is left exactly as it was. stepScale
    // shrinks the finite-difference steps of the iterations: the standard
    // errors want the derivative itself, in which a redundant set of unknowns
    // is redundant to the last digits.
    std::vector<double> column(int k, double stepScale = 1);

    // One iteration t (1-based): residuals, Jacobian, damping, solve, update.
    void iterate(int t);

    // The increments of the last iteration.
    const std::vector<double>& increments() const { return delta_; }
    // Which bound held each unknown in the last iteration.
    const std::vector<Bound>& held() const { return held_; }

    // The present value of each unknown: the body's density, position and
    // depth (of corner 1), the accumulated rotation, the corner coordinates,
    // the levels.
    std::vector<double> values() const;
    // Whether the present values lie within the bounds of the run.
    bool withinBounds() const;
    // Which unknowns lie on a bound of the run now (corners have none).
    std::vector<bool> atBounds() const;
    // The bodies the run changes: the bodies with unknowns and, with kept
    // links, the bodies holding their partner corners.
    const std::vector<int>& bodies() const { return bodies_; }

    // The run's working state besides the bodies, to go back to a best state.
    struct Progress {
        std::vector<Unknown> unknowns;
        std::vector<double> rotations;   // per body with unknowns
    };
    Progress progress() const;
    void setProgress(const Progress& p);

    // The standard errors of the unknowns in the present state, those held
    // at a bound left out.
    ErrorEstimate errors(const std::vector<bool>& held = {});

private:
    // A body with unknowns: its bounds, its accumulated rotation, and the
    // bodies a move of it changes (itself, then its partners).
    struct BodyRun {
        int body = 0;
        BodyBounds bounds;
        double rotation = 0;
        std::vector<int> family;
    };
    BodyRun& runOf(int body);
    const BodyRun* findRun(int body) const;
    // The bounds of the run that hold unknown u; none for corners and levels.
    std::optional<Bounds> boundsOfUnknown(const Unknown& u) const;
    // Adds body b's unknowns; alone: the one-body run, kept even with none.
    void addBody(int body, bool alone);
    void moveBody(int b, double dx, double dz);
    void applyUnknowns();
    void carry(int b, int k, std::vector<int>& touched);
    void carryAll(int b, std::vector<int>& touched);
    // The calculated anomaly with the levels added, as the run fits it.
    double shifted(double calculated, UnknownKind level) const;
    std::vector<std::vector<double>> jacobianPerKm(double stepScale = 1);
    // The column of a corner over all bodies, from the change of outline alone.
    void cornerColumn(const Unknown& u, double stepScale, std::vector<double>& J, std::vector<double>* mag,
                      std::vector<GravityTensor>* grad);
    // Column k of every data set; mag and grad may be null when not fitted.
    std::vector<double> columns(int k, double stepScale, std::vector<double>* mag,
                                std::vector<GravityTensor>* grad = nullptr);
    // The tensor per unit density contrast of a body.
    void gradientPerUnitDensity(const Tbody& body, std::vector<GravityTensor>& out) const;
    // The stacked, weighted system's columns (per km) when the run is
    // weighted, else jacobianPerKm.
    std::vector<std::vector<double>> system(double stepScale = 1);
    Model& m_;
    DepthRange view_;
    int b_;
    InversionOptions options_;
    std::vector<Unknown> unknowns_;
    std::vector<double> perKm_;   // model units per km of each unknown
    std::vector<int> bodies_;
    std::vector<BodyRun> runs_;
    int gravityLevel_ = -1;    // the index of each level among the unknowns
    int magneticLevel_ = -1;
    std::array<int, TensorComponents> gradientLevel_{-1, -1, -1, -1, -1, -1};
    // The gradient rows of the weighted system: a station, a component and
    // its observed value in the profile frame, component by component.
    struct GradientRow {
        int station = 0;
        int component = 0;
        double observed = 0;
    };
    std::vector<GradientRow> gradientRows_;
    std::vector<int> gradientFitted_;
    bool weighted_ = false;
    double lambda_ = 2;
    double e0_ = 0;
    std::vector<double> delta_;
    std::vector<Bound> held_;
    std::vector<double> r_;
};

enum class InversionOutcome { Done, NothingSelected, TooManyUnknowns };

// The whole run: corners of body b unlinked (unless options keep them or
// take all bodies), then `iterations` iterations with IterationCount showing
// the iteration. afterIteration runs after each one. The run ends in the
// state of the lowest misfit it has seen, the start included when it lies
// within the bounds. report, when given, is filled as the run goes, so
// afterIteration can show its held bounds. More than MaxUnknowns unknowns of
// the body (MaxUnknownsAllBodies over all bodies; the levels not counted) are
// refused before anything changes.
InversionOutcome runInversion(Model& m, InversionState& inv, DepthRange view, int b,
                              int iterations, const std::function<void()>& afterIteration = {},
                              RunReport* report = nullptr, InversionOptions options = {});

}  // namespace corvane
