#pragma once
// Small controls shared by the option dialogs and the regional builder.
#include <QColor>
#include <QWidget>

class QToolButton;

namespace corvane {

// An up/down arrow pair that fires one event per click, with no value of its own;
// the dialog decides what a step means. Arrows that repeat keep stepping while held.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(const QString& name, QWidget* parent = nullptr, int arrowWidth = 18,
                        bool repeating = false);
    void clickUp();     // as the user clicking the arrows
    void clickDown();

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    void up();
    void down();

private:
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};

// A framed patch of one colour.
class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    explicit ColourSwatch(const QString& name, QWidget* parent = nullptr);
    void setColour(const QColor& c);
    QColor colour() const { return colour_; }
    bool filled() const { return filled_; }
    void clearColour();   // shows an empty frame

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor colour_;
    bool filled_ = false;
};

}  // namespace corvane
