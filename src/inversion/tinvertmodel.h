#pragma once
// "Invert the Model": shows what will be inverted for the inversion body and
// takes the iteration count; OK runs the inversion.
#include "display/workspace.h"
#include "platform/platform.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class Tinvertmodel : public QDialog {
    Q_OBJECT
public:
    // repaint redraws the main window (its status line shows the iteration).
    Tinvertmodel(Workspace& ws, Platform& platform, std::function<void()> repaint,
                 QWidget* parent = nullptr);

    void FormActivate();

public slots:
    // Hides the dialog, runs the inversion, then closes the dialog.
    void OKBtnClick();

private:
    Workspace& ws_;
    Platform& platform_;
    std::function<void()> repaint_;
    QLabel* density_ = nullptr;
    QLabel* xpos_ = nullptr;
    QLabel* depth_ = nullptr;
    QLabel* rotation_ = nullptr;
    QLabel* nx_ = nullptr;
    QLabel* ny_ = nullptr;
    QLabel* NoOfBody_ = nullptr;
    QLineEdit* iterations_ = nullptr;
    QPushButton* OKBtn_ = nullptr;
    QPushButton* CancelBtn_ = nullptr;
};

}  // namespace corvane
