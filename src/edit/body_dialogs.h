#pragma once
// The dialogs of the whole-body commands: move, copy, turn and the unit of
// distance. Spin-button steps are applied to the model at once; `repaint`
// (set by the window) then redraws the picture so the curves follow.
#include "model/workspace.h"
#include "platform/platform.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace corvane {

class SpinArrows;

inline const QString UnhideFirstText = QStringLiteral("Unhide this body before attempting to edit it.");
inline const QString DragBodyText =
    QStringLiteral("Click and hold the left button down, then move the cursor to the new body position.");

// A step shown with width 10 and 3 decimals.
QString stepText(double step);

// "Move a Body".
class TMoveBody : public QDialog {
    Q_OBJECT
public:
    TMoveBody(Workspace& ws, Platform& platform, QWidget* parent = nullptr);

    // False (after the error box) when the current body is hidden: the
    // dialog is then not to be shown.
    bool FormActivate();
    void xchangeUpClick();
    void xchangeDownClick();
    void ychangeUpClick();
    void ychangeDownClick();
    bool dragWanted() const;   // "Set distance graphically" ticked

    std::function<void()> repaint;
    // Shows a text in the status panel (a step that was shortened).
    std::function<void(const QString&)> status;

    QLineEdit* dx = nullptr;
    QLineEdit* dy = nullptr;
    SpinArrows* xchange = nullptr;
    SpinArrows* ychange = nullptr;
    QCheckBox* graphic = nullptr;
    QPushButton* OKBtn = nullptr;

private:
    // The step in the box, or nothing after resetting the box to its default.
    std::optional<double> step(QLineEdit* box, double fallback);
    void moveBy(double x, double z);

    Workspace& ws_;
    Platform& platform_;
};

// "Copy a Body".
class Tcopybody : public QDialog {
    Q_OBJECT
public:
    explicit Tcopybody(Workspace& ws, QWidget* parent = nullptr);

    void FormActivate();
    // With "Set position graphically" clear: copies the current body by the
    // two steps (nothing when a box does not parse). Returns the new body's
    // number, 0 when nothing was copied. Either way a ticked box closes the
    // dialog for the drag; a copy closes it too.
    int OKBtnClick();
    bool dragWanted() const;
    int copiedBody() const { return copied_; }

    QLineEdit* dx = nullptr;
    QLineEdit* dy = nullptr;
    QCheckBox* graphic = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    Workspace& ws_;
    int copied_ = 0;
};

// "Rotate a Body".
class TTurnBody : public QDialog {
    Q_OBJECT
public:
    explicit TTurnBody(Workspace& ws, QWidget* parent = nullptr);

    void FormActivate();
    void turnUpClick();     // anticlockwise on screen
    void turnDownClick();   // clockwise on screen

    std::function<void()> repaint;

    QLabel* NoOfBody = nullptr;
    QLineEdit* angle = nullptr;
    SpinArrows* turn = nullptr;
    QPushButton* OKBtn = nullptr;

private:
    void turnBy(double sign);
    Workspace& ws_;
};

// "Units of Distance". FormDeactivate, run whenever the dialog closes,
// applies the choice and recalculates every body.
class TDistUnits : public QDialog {
    Q_OBJECT
public:
    explicit TDistUnits(Workspace& ws, QWidget* parent = nullptr);

    void FormActivate();
    void FormDeactivate();

    std::function<void()> repaint;

    QGroupBox* unitstype = nullptr;
    QRadioButton* km = nullptr;
    QRadioButton* metres = nullptr;
    QPushButton* OKBtn = nullptr;

private:
    Workspace& ws_;
};

}  // namespace corvane
