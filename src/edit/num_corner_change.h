#pragma once
// "Manual Corner Coordinate Change": the corners of the current body one at a
// time. Previous/Next store a typed position only when it differs from the
// corner by more than the display's rounding could explain, and do not
// recalculate; "Calculate" stores it outright and recalculates. Bodies left
// changed but not recalculated are recalculated when the dialog closes, so the
// curves never disagree with the corners.
#include "model/workspace.h"
#include "platform/platform.h"

#include <QDialog>

#include <functional>
#include <set>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class TNumCornerChange : public QDialog {
    Q_OBJECT
public:
    TNumCornerChange(Workspace& ws, Platform& platform, QWidget* parent = nullptr);

    void FormActivate();
    void previousClick();
    void NextCornerClick();
    void DoCalcClick();
    // Recalculates the bodies still pending; runs when the dialog closes.
    void finish();
    void done(int result) override;

    int cornerOnShow() const { return k_; }
    // Bodies whose corners changed since their last recalculation.
    const std::set<int>& pendingBodies() const { return pending_; }

    std::function<void()> repaint;

    QLabel* noofbody = nullptr;
    QLabel* NoOfCorner = nullptr;
    QLineEdit* xpos = nullptr;
    QLineEdit* depth = nullptr;
    QPushButton* previous = nullptr;
    QPushButton* NextCorner = nullptr;
    QPushButton* DoCalc = nullptr;
    QPushButton* OKBtn = nullptr;

private:
    bool validBody() const;
    void store(bool onlyRealChanges);
    void step(int by);
    void showCorner(int width);
    void recalculatePending();

    Workspace& ws_;
    Platform& platform_;
    int b_ = 0;   // the body being edited
    int k_ = 1;   // the corner on show
    std::set<int> pending_;
};

}  // namespace corvane
