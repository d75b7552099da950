#pragma once
// The display option dialogs. Each fills its controls from the current state
// whenever it is shown (FormActivate) and writes back only when OK is pressed
// (OKBtnClick); Cancel leaves everything unchanged. Tests call these methods
// directly or press the buttons through the scripted platform.
#include "model/workspace.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace corvane {

class Platform;
class SpinButton;
class ColourSwatch;

// What every option dialog shares: OK and Cancel, filling on showing.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    virtual void FormActivate() = 0;
    // Writes the controls back, then closes the dialog as accepted.
    void OKBtnClick();

protected:
    OptionsDialog(Workspace& ws, const QString& name, const QString& caption, QWidget* parent);
    void showEvent(QShowEvent* e) override;
    virtual void apply() = 0;
    // The buttons row at the bottom of the given layout.
    void addButtons(QVBoxLayout* layout);
    QLineEdit* addField(QVBoxLayout* layout, const QString& label, const QString& name);

    Workspace& ws_;
};

class Tdisplaylimits : public OptionsDialog {
    Q_OBJECT
public:
    explicit Tdisplaylimits(Workspace& ws, QWidget* parent = nullptr);
    void FormActivate() override;

protected:
    void apply() override;

private:
    QLineEdit* xmin_;
    QLineEdit* xmax_;
    QLineEdit* zmin_;
    QLineEdit* zmax_;
};

class Tgridoptions : public OptionsDialog {
    Q_OBJECT
public:
    explicit Tgridoptions(Workspace& ws, QWidget* parent = nullptr);
    void FormActivate() override;

protected:
    void apply() override;

private:
    QLineEdit* xstep_;
    QLineEdit* zstep_;
    QLineEdit* dots_;
    QCheckBox* draw_;
    QCheckBox* snap_;
};

class Tsetfontheight : public OptionsDialog {
    Q_OBJECT
public:
    explicit Tsetfontheight(Workspace& ws, QWidget* parent = nullptr);
    void FormActivate() override;

protected:
    void apply() override;

private:
    QLineEdit* height_;
};

class Tcolourscheme : public OptionsDialog {
    Q_OBJECT
public:
    explicit Tcolourscheme(Workspace& ws, QWidget* parent = nullptr);
    void FormActivate() override;
    int selectedIndex() const;   // 0..3, -1 for none
    void select(int index);

protected:
    void apply() override;

private:
    QRadioButton* radios_[4] = {};
};

class TGaxis : public OptionsDialog {
    Q_OBJECT
public:
    explicit TGaxis(Workspace& ws, QWidget* parent = nullptr);
    void FormActivate() override;
    // The spin button's clicks change GravityDecimals at once.
    void SpinButton1UpClick();
    void SpinButton1DownClick();

protected:
    void apply() override;

private:
    QLineEdit* step_;
    QLabel* decimals_;
    SpinButton* spin_;
};

class TDepthScale : public OptionsDialog {
    Q_OBJECT
public:
    explicit TDepthScale(Workspace& ws, QWidget* parent = nullptr);
    void FormActivate() override;

protected:
    void apply() override;

private:
    QLineEdit* max_;
    QLineEdit* min_;
    QLineEdit* step_;
};

class Tcurves : public OptionsDialog {
    Q_OBJECT
public:
    Tcurves(Workspace& ws, Platform& platform, QWidget* parent = nullptr);
    void FormActivate() override;
    // The colour buttons: the chosen colour is kept at once.
    void calcColourClick();
    void obsColourClick();

protected:
    void apply() override;

private:
    void redrawSwatches();

    Platform& platform_;
    QCheckBox* individual_;
    QCheckBox* difference_;
    QCheckBox* points_;
    QLabel* obsLabel_;
    QPushButton* calcButton_;
    QPushButton* obsButton_;
    ColourSwatch* calcSwatch_;
    ColourSwatch* obsSwatch_;
};

}  // namespace corvane
