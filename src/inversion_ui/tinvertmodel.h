#pragma once
// "Invert the Model": shows what will be inverted for the inversion body (or,
// with "All bodies with chosen parameters", for every body) and takes the
// iteration count and the options; OK stores them with the model and runs the
// inversion.
#include "inversion/run_report.h"
#include "model/tensor.h"
#include "model/workspace.h"
#include "platform/platform.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class Tinvertmodel : public QDialog {
    Q_OBJECT
public:
    // repaint redraws the main window (its status line shows the iteration);
    // status shows a text in its status panel.
    Tinvertmodel(Workspace& ws, Platform& platform, std::function<void()> repaint,
                 std::function<void(const QString&)> status = {}, QWidget* parent = nullptr);

    void FormActivate();

    // The report of the run the last OK made, if it ran one.
    const RunReport* lastRun() const { return report_ ? &*report_ : nullptr; }

public slots:
    // Hides the dialog, runs the inversion, then closes the dialog.
    void OKBtnClick();

private:
    // The parameters being inverted, for the inversion body or every body.
    void showChoices();

    Workspace& ws_;
    Platform& platform_;
    std::function<void()> repaint_;
    std::function<void(const QString&)> status_;
    std::optional<RunReport> report_;
    QLabel* density_ = nullptr;
    QLabel* xpos_ = nullptr;
    QLabel* depth_ = nullptr;
    QLabel* rotation_ = nullptr;
    QLabel* nx_ = nullptr;
    QLabel* ny_ = nullptr;
    QLabel* NoOfBody_ = nullptr;
    QLineEdit* iterations_ = nullptr;
    QCheckBox* keeplinks_ = nullptr;
    QCheckBox* allbodies_ = nullptr;
    QCheckBox* fitshift_ = nullptr;
    // The data to fit and their errors, and the magnetic unknowns: offered
    // only when the model has observed magnetic values.
    QGroupBox* magnetics_ = nullptr;
    QCheckBox* fitgravity_ = nullptr;
    QCheckBox* fitmagnetic_ = nullptr;
    QLineEdit* gravityerror_ = nullptr;
    QLineEdit* magneticerror_ = nullptr;
    QLabel* susceptibility_ = nullptr;
    QLabel* remanence_ = nullptr;
    std::vector<QWidget*> magneticRows_;   // of the group above: shown with magnetic data
    // The gradient components to fit, each with its error and shift: offered
    // only for components the model has observed values of.
    QGroupBox* gradients_ = nullptr;
    std::array<QCheckBox*, TensorComponents> fitcomponent_{};
    std::array<QLabel*, TensorComponents> componenterrorlabel_{};
    std::array<QLineEdit*, TensorComponents> componenterror_{};
    std::array<QCheckBox*, TensorComponents> componentshift_{};
    QPushButton* OKBtn_ = nullptr;
    QPushButton* CancelBtn_ = nullptr;
};

}  // namespace corvane
