#pragma once
// "Body Properties": density, depth, width and strike lengths of one body at a
// time, spin steps applied at once, and the one-parameter fits.
#include "inversion/fits.h"
#include "inversion/run_report.h"
#include "model/workspace.h"
#include "platform/platform.h"

#include <QDialog>

#include <functional>
#include <map>
#include <optional>
#include <utility>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class SpinArrows;

class Tproperties : public QDialog {
    Q_OBJECT
public:
    // repaint redraws the main window; status shows a text in its status panel.
    Tproperties(Workspace& ws, Platform& platform, std::function<void()> repaint,
                std::function<void(const QString&)> status = {}, QWidget* parent = nullptr);

public slots:
    void FormActivate();
    void bodychangeUpClick();
    void bodychangeDownClick();
    void DensitychangeUpClick();
    void DensitychangeDownClick();
    void depthchangeUpClick();
    void depthchangeDownClick();
    void widthchangeUpClick();
    void widthchangeDownClick();
    void calcClick();
    void OKBtnClick();
    void invertdClick();
    void InvertdepthClick();
    // The fit of the law's rate (gradient or decay), beside its boxes.
    void invertRateClick();

private:
    void bodyChange(int dir);
    void densitySpin(double sign);
    void depthSpin(double sign);
    void widthSpin(double sign);
    // The body's figures into the fields; the fields are read back by boxes().
    void fill(int b, bool opening);
    void readIterations();
    void showHeld(const RunReport& report);
    void finishFit(const RunReport& report, const std::function<void()>& show);
    // A fit of the current body: refused without field data, show() after
    // every iteration, then the result window.
    using Fit = std::function<FitOutcome(Model&, InversionState&, int, const std::function<void()>&,
                                         RunReport*)>;
    void runFit(const Fit& fit, const std::function<void()>& show);
    void setBox(QLineEdit* box, double v, int w, int d);
    // The number a box holds; a box still showing what the dialog wrote into
    // it stands for the exact value behind the rounded text, so that applying
    // the boxes changes nothing the user did not type.
    std::optional<double> valueIn(const QLineEdit* box) const;
    PropertyBoxes boxes() const;
    void repaintModel();
    // The density law chosen or its rate or depth typed: applied at once.
    void lawChanged();
    // The rate and reference depth are shown for a law other than constant.
    void showLawRow();

    Workspace& ws_;
    Platform& platform_;
    std::function<void()> repaint_;
    std::function<void(const QString&)> status_;

    QPushButton* OKBtn_ = nullptr;
    QLabel* NoOfBody_ = nullptr;
    SpinArrows* bodychange_ = nullptr;
    QLineEdit* iterations_ = nullptr;
    QLineEdit* density_ = nullptr;
    SpinArrows* Densitychange_ = nullptr;
    QLineEdit* DeltaD_ = nullptr;
    QPushButton* invertd_ = nullptr;
    QLineEdit* Depth_ = nullptr;
    SpinArrows* depthchange_ = nullptr;
    QLineEdit* DeltaDepth_ = nullptr;
    QPushButton* Invertdepth_ = nullptr;
    QLineEdit* width_ = nullptr;
    SpinArrows* widthchange_ = nullptr;
    QLineEdit* deltawidth_ = nullptr;
    QLineEdit* strike1_ = nullptr;
    QLineEdit* strike2_ = nullptr;
    QPushButton* calc_ = nullptr;
    QComboBox* densityLaw_ = nullptr;
    QLabel* rateLabel_ = nullptr;
    QLineEdit* lawRate_ = nullptr;
    QLabel* z0Label_ = nullptr;
    QLineEdit* lawZ0_ = nullptr;
    QPushButton* invertRate_ = nullptr;
    std::map<const QLineEdit*, std::pair<QString, double>> shown_;
};

}  // namespace corvane
