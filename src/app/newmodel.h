#pragma once
// Beginning a new model and editing the field data: the dialogs Tnewmodel,
// Tdatadisplay1 (the field-data grid with its column chooser) and
// TDataDisplay (the stations in an editable grid), and the command flows the
// main window runs for them.
#include "app/newmodel_data.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace corvane {

class SpinArrows;
class Tcorvane;

inline const QString FieldDataFilter = QStringLiteral("Field data files");
inline const QString FieldDataPattern = QStringLiteral("*.dta;*.dat;*.csv;*.txt");

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

// "Field Data Entry": the file's fields in a grid, and the columns to use.
class Tdatadisplay1 : public QDialog {
    Q_OBJECT
public:
    explicit Tdatadisplay1(QWidget* parent = nullptr);

    // Fills the grid and puts the column chooser back to its opening numbers:
    // as many comment lines as the file has lines before its first station.
    void fill(const FieldDataTable& table);
    ColumnChoice choice() const;
    // The data column named as magnetic (in nT), with a Cancel button; or
    // as gravity, OK only.
    void setMagnetic(bool magnetic);

    enum class Value { XColumn, YColumn, GravityColumn, CommentLines, HeightColumn };
    // One spin click: +1 or -1, held to the value's limits.
    void spin(Value v, int delta);
    void XYDataClick();   // the y column shown only for x-y data
    void HeightDataClick();   // a height column, or one height for every station

    QTableWidget* datagrid = nullptr;
    QLabel* XColumn = nullptr;
    QLabel* YColumn = nullptr;
    QLabel* GravColumn = nullptr;
    QLabel* DataColumnLabel = nullptr;   // "Grav. data column" or "Mag. data column"
    QLabel* DataUnit = nullptr;          // "nT", magnetic only
    QLabel* CommentLines = nullptr;
    QLabel* YColumnLabel = nullptr;
    SpinArrows* XSpin = nullptr;
    SpinArrows* YSpin = nullptr;
    SpinArrows* GravSpin = nullptr;
    SpinArrows* CommentSpin = nullptr;
    QCheckBox* XYData = nullptr;
    QLabel* SkippedNote = nullptr;   // the lines the choice would skip
    QCheckBox* HeightData = nullptr;   // "Height column"
    QLabel* HColumn = nullptr;
    SpinArrows* HSpin = nullptr;
    QLabel* ConstHeightLabel = nullptr;
    QLineEdit* ConstHeight = nullptr;   // the height of every station without a column
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;   // magnetic only

private:
    void addHeightChooser(QGridLayout* chooser, int row);
    QLabel* label(Value v) const;
    // Marks the lines that give no station under the shown choice, and says
    // which data lines would be skipped.
    void markLines();
    FieldDataTable table_;
    int maxFields_ = 0;
    bool commentLinesSet_ = false;   // the user has spun the comment lines
};

// "Edit the Field Data".
class TDataDisplay : public QDialog {
    Q_OBJECT
public:
    explicit TDataDisplay(QWidget* parent = nullptr);

    void fill(const Model& m);
    std::vector<StationRow> rows() const;

    QTableWidget* DataGrid = nullptr;
    QPushButton* OKBtn = nullptr;
};

// The corner entry of a new body in the window: pointer placed, cross-hair,
// pointer held to the model panel; released again when the command ends,
// and then `closed` runs with the number of corners drawn (0: body dropped).
void startBodyDrawing(Tcorvane& window, int body, std::function<void(int)> closed);

// A field-data file chosen by the user and taken through the column chooser
// (its data column named as magnetic when `magnetic`): the stations it gives, with warnings for what was dropped, cut or sorted.
// None when the user gave up or the file cannot be used (the reason shown).
std::optional<StationList> chooseStationsFile(Tcorvane& window, bool magnetic = false);

// The whole "Begin a new model" and "Edit the field data" commands.
void beginNewModel(Tcorvane& window);
void editFieldData(Tcorvane& window);

}  // namespace corvane
