#pragma once
// "Magnetic Regional Removal": a constant or a straight line, typed or fitted
// to the observed magnetic anomaly, and on OK taken off it. The handlers are
// public so that tests drive them.
#include "model/workspace.h"
#include "regional/magnetic_regional.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

class Platform;

class TMagregional : public QDialog {
    Q_OBJECT
public:
    TMagregional(Workspace& ws, Platform& platform, QWidget* parent = nullptr);

    // A constant, the mean of the observed values, as the gravity builder starts.
    void FormActivate();
    // 0 "Constant", 1 "Straight line".
    void regtypeClick(int index);
    // The best-fitting line through the observed values.
    void fitlineClick();
    // The regional in the boxes; nothing when a box does not hold a number.
    std::optional<MagneticRegionalRecord> typed() const;
    // OK: takes the regional off and closes; a box that is not a number is
    // refused with a message and the dialog stays.
    void OKBtnClick();

private:
    void showValue();

    Workspace& ws_;
    Platform& platform_;
    QRadioButton* constantKind_ = nullptr;
    QRadioButton* lineKind_ = nullptr;
    QLineEdit* constant_ = nullptr;
    QLineEdit* slope_ = nullptr;
    QPushButton* fitline_ = nullptr;
    QLabel* value_ = nullptr;
};

}  // namespace corvane
