#pragma once
// "Add a Body Numerically": a body typed in corner by corner. The dialog
// shows one corner at a time; the spin button writes the corner on show into
// the free body slot and moves to the next or previous one, OK writes it once
// more, closes the polygon and adds the body's anomaly to the total.
#include "model/workspace.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class SpinArrows;

// A whole number typed into a box, or nothing.
std::optional<int> parseWholeNumber(const QString& text);

class TNumAdd : public QDialog {
    Q_OBJECT
public:
    explicit TNumAdd(Workspace& ws, QWidget* parent = nullptr);

    void FormActivate();
    void cornerchangeUpClick();
    void cornerchangeDownClick();
    // Adds the body once the dialog has been accepted; returns false (and
    // changes nothing) when there is no free body slot.
    bool OKBtnClick();

    // Menu items switched once the body is added, by objectName.
    std::vector<std::pair<QString, bool>> menuChanges() const;

    int bodyNumber() const { return b_; }
    int cornerOnShow() const { return k_; }
    int cornerCount() const { return m_; }

    QLabel* bodynumber = nullptr;
    QLineEdit* noofcorners = nullptr;
    QLineEdit* density = nullptr;
    QLineEdit* strike1 = nullptr;
    QLineEdit* strike2 = nullptr;
    QLabel* cornerno = nullptr;
    SpinArrows* cornerchange = nullptr;
    QLineEdit* xpos = nullptr;
    QLineEdit* depth = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void storeCornerOnShow(double depthFloor);
    void readCornerCount();
    void showCorner();

    Workspace& ws_;
    int b_ = 0;   // the body being built
    int k_ = 1;   // the corner on show
    int m_ = 4;   // the corner count
};

}  // namespace corvane
