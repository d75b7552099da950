#pragma once
// Beginning a new model: the dialog Tnewmodel, the drawing of the first body
// and the command flow the main window runs for it.
#include "app/newmodel_data.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {

class Tcorvane;

// "New Model Parameters".
class Tnewmodel : public QDialog {
    Q_OBJECT
public:
    explicit Tnewmodel(QWidget* parent = nullptr);

    void FormActivate();          // the default texts
    void ObservedDataClick();     // spacing and points shown only without field data
    void unitsClick();            // the length defaults in the unit chosen
    NewModelInput input() const;

    QLineEdit* density = nullptr;
    QLineEdit* Strike1 = nullptr;
    QLineEdit* Strike2 = nullptr;
    QLineEdit* MaxZ = nullptr;
    QLineEdit* dx = nullptr;
    QLineEdit* nopts = nullptr;
    QLabel* dxLabel = nullptr;
    QLabel* noptsLabel = nullptr;
    QGroupBox* units = nullptr;
    QRadioButton* unitsKm = nullptr;
    QRadioButton* unitsM = nullptr;
    QCheckBox* ObservedData = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

// The corner entry of a new body in the window: pointer placed, cross-hair,
// pointer held to the model panel; released again when the command ends,
// and then `closed` runs with the number of corners drawn (0: body dropped).
void startBodyDrawing(Tcorvane& window, int body, std::function<void(int)> closed);

// The whole "Begin a new model" command.
void beginNewModel(Tcorvane& window);

}  // namespace corvane
