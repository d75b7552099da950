#pragma once
// "Body Parameter Inversion": which body-wide parameters of the current body
// the inversion may change, and within which bounds. Closing the dialog
// stores it and makes the current body the inversion body.
#include "display/workspace.h"
#include "platform/platform.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class Tbodyinvert : public QDialog {
    Q_OBJECT
public:
    Tbodyinvert(Workspace& ws, Platform& platform, QWidget* parent = nullptr);

    // Loads the current body into the dialog.
    void FormActivate();
    // Stores the dialog into the current body. A choice that would give the
    // body more unknowns than the inversion can take is refused with a message
    // and nothing is stored; returns false then.
    bool FormDeactivate();

    // Closing (OK, Esc or the title bar) stores; a refused store keeps the
    // dialog open.
    void done(int result) override;

private:
    Workspace& ws_;
    Platform& platform_;
    QLabel* noofbody_ = nullptr;
    QCheckBox* xpos_ = nullptr;
    QCheckBox* depth_ = nullptr;
    QCheckBox* rotate_ = nullptr;
    QCheckBox* density_ = nullptr;
    QLineEdit* xmin_ = nullptr;
    QLineEdit* xmax_ = nullptr;
    QLineEdit* Depthmin_ = nullptr;
    QLineEdit* depthmax_ = nullptr;
    QLineEdit* anglemin_ = nullptr;
    QLineEdit* anglemax_ = nullptr;
    QLineEdit* densmin_ = nullptr;
    QLineEdit* densmax_ = nullptr;
    QPushButton* OKBtn_ = nullptr;
};

}  // namespace corvane
