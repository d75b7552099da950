#pragma once
// "Regional Field Removal": builds a constant, best-fit line or seven-knot
// spline regional over a plot of the observed profile and, on OK, subtracts it
// from the observed data. The handlers are public so that tests drive them.
#include "model/workspace.h"
#include "regional/regional.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;

namespace corvane {

class Platform;
class SpinButton;

class Tregbuild : public QDialog {
    Q_OBJECT
public:
    Tregbuild(Workspace& ws, Platform& platform, QWidget* parent = nullptr);

    RegionalState& state() { return state_; }
    const RegionalState& state() const { return state_; }
    PlotArea plotArea() const;

    void FormActivate();
    // 0 "Constant", 1 "Best fit linear", 2 "Interactive spline".
    void regtypeClick(int index);
    void constantspin1Up();
    void constantspin1Down();
    void SpinButton2Up();
    void SpinButton2Down();
    void mplusClick();
    void mminusClick();
    void cplusClick();
    void cminusClick();
    void SpinButton3Up();
    void SpinButton3Down();
    // A press in the plot sets the height of the knot whose slot holds it.
    void FormMouseDown(Qt::MouseButton button, const QPoint& pos);
    // OK: subtracts the regional and closes the dialog.
    void BitBtn2Click();

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void showGroups();
    void showConstant();
    void showLinear(std::optional<double> dev = std::nullopt);
    // The constant in the box: false when it is not a number.
    bool readConstant();
    void checkMode();

    Workspace& ws_;
    Platform& platform_;
    RegionalState state_;
    // The gravity axis of the plot, fixed when the dialog opens (the main
    // window may redraw, and recompute its own range, while this one is open).
    double axisMin_ = 0;
    double axisMax_ = 1;
    QString shownConstant_;        // the constant as last written into its box
    double shownConstantValue_ = 0; // and its exact value

    QButtonGroup* regtype_ = nullptr;
    QRadioButton* kinds_[3] = {};
    QWidget* regtypeBox_ = nullptr;
    QLineEdit* constant_ = nullptr;
    SpinButton* constantspin1_ = nullptr;
    QLabel* incr1_ = nullptr;
    SpinButton* SpinButton2_ = nullptr;
    QLabel* LinearValue_ = nullptr;
    QToolButton* mplus_ = nullptr;
    QToolButton* mminus_ = nullptr;
    QToolButton* cplus_ = nullptr;
    QToolButton* cminus_ = nullptr;
    QLabel* incr2_ = nullptr;
    SpinButton* SpinButton3_ = nullptr;
};

}  // namespace corvane
