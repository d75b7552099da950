#pragma once
// "Select the Portion of the Data to be Retained": a plot of the observed
// profile with a left and a right cut line placed by mouse presses; OK keeps
// the stations between them (one outside each line). The handlers are public
// so that tests drive them.
#include "model/workspace.h"
#include "regional/abstract.h"

#include <QDialog>

class QLabel;

namespace corvane {

class TabstractData : public QDialog {
    Q_OBJECT
public:
    explicit TabstractData(Workspace& ws, QWidget* parent = nullptr);

    AbstractState& state() { return state_; }
    AbstractPlot plot() const { return {width(), height()}; }

    void FormActivate();
    // Left button: the left line; any other button: the right line.
    void FormMouseDown(Qt::MouseButton button, const QPoint& pos);
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    Workspace& ws_;
    AbstractState state_;
    double smallest_ = 0;
    double largest_ = 0;
    QLabel* leftlabel_ = nullptr;
    QLabel* rightlabel_ = nullptr;
};

}  // namespace corvane
