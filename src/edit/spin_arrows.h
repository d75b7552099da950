#pragma once
// A spin button: an up/down arrow pair that reports one step per click and
// holds no value of its own; the dialog decides what a step means.
#include <QWidget>

class QToolButton;

namespace corvane {

class SpinArrows : public QWidget {
    Q_OBJECT
public:
    explicit SpinArrows(QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void up();
    void down();

private:
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

}  // namespace corvane
