#pragma once
// The field-data column chooser: a field-data file's fields in a grid and the
// columns to take, for "Begin a new model", "Read in magnetic data" and
// "Read in survey data" alike, and in its gradient mode for "Read in
// gradient data".
#include "app/newmodel_data.h"
#include "io/gradient_file.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QGridLayout;
class QRadioButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace corvane {

class SpinArrows;
class Tcorvane;

inline const QString FieldDataFilter = QStringLiteral("Field data files");
inline const QString FieldDataPattern = QStringLiteral("*.dta;*.dat;*.csv;*.txt");

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
    // A scattered survey: easting and northing columns (both always taken),
    // the value column and the elevation, with a Cancel button. Set after
    // setMagnetic, before fill.
    void setSurvey(bool survey);

    enum class Value { XColumn, YColumn, GravityColumn, CommentLines, HeightColumn };
    // One spin click: +1 or -1, held to the value's limits.
    void spin(Value v, int delta);
    void XYDataClick();   // the y column shown only for x-y data
    void HeightDataClick();   // a height column, or one height for every station

    // Gradient mode (gradient_columns.cpp): the position or easting and
    // northing, the height and a column for each tensor component (0: not in
    // the file), their frame; the distance from the line only when there is
    // a profile line to project onto. Set before fill.
    void setGradient(bool profileLine);
    GradientColumnChoice gradientChoice() const;
    std::optional<double> lineDistance() const;   // model units, as typed
    void spinComponent(int k, int delta);

    QTableWidget* datagrid = nullptr;
    QLabel* XColumn = nullptr;
    QLabel* YColumn = nullptr;
    QLabel* GravColumn = nullptr;
    QLabel* DataColumnLabel = nullptr;   // "Grav. data column" or "Mag. data column"
    QLabel* DataUnit = nullptr;          // "nT", magnetic only
    QLabel* CommentLines = nullptr;
    QLabel* YColumnLabel = nullptr;
    QLabel* XColumnLabel = nullptr;
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
    // Gradient mode only.
    QWidget* GradientBox = nullptr;
    QLabel* ComponentColumn[TensorComponents] = {};
    SpinArrows* ComponentSpin[TensorComponents] = {};
    QRadioButton* ProfileFrame = nullptr;
    QRadioButton* GeographicFrame = nullptr;
    QLabel* DistanceLabel = nullptr;
    QLineEdit* Distance = nullptr;

private:
    void buildGradientBox();
    void showGradientMode(bool on);
    void fillGradient();
    void markGradientLines();
    bool gradient_ = false;
    bool profileLine_ = false;
    void addHeightChooser(QGridLayout* chooser, int row);
    QLabel* label(Value v) const;
    // Marks the lines that give no station under the shown choice, and says
    // which data lines would be skipped.
    void markLines();
    FieldDataTable table_;
    int maxFields_ = 0;
    bool commentLinesSet_ = false;   // the user has spun the comment lines
    bool survey_ = false;
};

// A field-data file chosen by the user and taken through the column chooser
// (its data column named as magnetic when `magnetic`): the stations it gives, with warnings for what was dropped, cut or sorted.
// None when the user gave up or the file cannot be used (the reason shown).
std::optional<StationList> chooseStationsFile(Tcorvane& window, bool magnetic = false);
// A text file chosen by the user, read into a table of the given shape (the
// decimal mark asked when its numbers read two ways). None when the user
// gave up or the file cannot be read (the reason shown).
std::optional<FieldDataTable> openFieldDataTable(Tcorvane& window, TableShape shape = {});

// The same up to the columns chosen: the file's table and the choice, for
// what it is chosen for.
enum class ColumnsFor { Gravity, Magnetic, Survey };
struct ChosenColumns {
    FieldDataTable table;
    ColumnChoice choice;
};
std::optional<ChosenColumns> chooseColumnsFile(Tcorvane& window, ColumnsFor use);

}  // namespace corvane
