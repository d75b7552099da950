#pragma once
// "Body Parameter Inversion": which body-wide parameters of the current body
// the inversion may change, and within which bounds. Closing the dialog
// stores it and makes the current body the inversion body. Beside it, a list
// of the other bodies that have choices, for inverting several at once.
#include "model/workspace.h"
#include "platform/platform.h"

#include <QDialog>
#include <QString>

#include <utility>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {

class Tbodyinvert : public QDialog {
    Q_OBJECT
public:
    Tbodyinvert(Workspace& ws, Platform& platform, QWidget* parent = nullptr);

    // Loads the current body into the dialog.
    void FormActivate();
    // Stores the dialog into the current body. A choice that would give the
    // body more unknowns than the inversion can take, or a minimum typed above
    // its maximum, is refused with a message and nothing is stored; returns
    // false then.
    bool FormDeactivate();

    // Closing (OK, Esc or the title bar) stores; a refused store keeps the
    // dialog open.
    void done(int result) override;

private:
    // One pair of bound boxes and what it showed on opening: the bounds the
    // inversion would use, which for bounds never typed are the defaults that
    // suit the body and the model.
    struct BoundBoxes {
        QLineEdit* min = nullptr;
        QLineEdit* max = nullptr;
        double shownMin = 0, shownMax = 0;
        QString shownMinText, shownMaxText;
        void show(double lo, double hi, int w, int d);
        bool edited() const;
        // The pair as typed; a box left as shown or not holding a number
        // gives the value shown.
        std::pair<double, double> typed() const;
    };

    Workspace& ws_;
    Platform& platform_;
    QLabel* noofbody_ = nullptr;
    QCheckBox* xpos_ = nullptr;
    QCheckBox* depth_ = nullptr;
    QCheckBox* rotate_ = nullptr;
    QCheckBox* density_ = nullptr;
    QCheckBox* susceptibility_ = nullptr;
    QCheckBox* remanence_ = nullptr;
    BoundBoxes xBounds_, depthBounds_, angleBounds_, densityBounds_, susceptibilityBounds_,
        remanenceBounds_;
    QListWidget* otherbodies_ = nullptr;
    QPushButton* OKBtn_ = nullptr;
};

}  // namespace corvane
