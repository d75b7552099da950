#pragma once
// The stations in an editable grid, one editor for both kinds: "Edit the
// field data" (gravity stations) and "Edit the magnetic stations", and the
// two commands that run it.
#include "app/newmodel_data.h"
#include "model/magnetic_data.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTableWidget;

namespace corvane {

class Tcorvane;

// The grid editor: a row a station, a column a value, OK (and Cancel where
// the layout asks for it).
class TStationTable : public QDialog {
    Q_OBJECT
public:
    struct Layout {
        const char* name;
        const char* caption;
        // Headings and station numbers inside the grid (row 0 and column 0,
        // read-only), as "Edit the field data" always had them; otherwise in
        // the grid's own headers.
        bool headingsInGrid = false;
        bool cancel = false;
        int width = 360, height = 480;
    };
    TStationTable(const Layout& layout, QWidget* parent = nullptr);

    // One heading a column, one row of texts a station.
    void setTable(const QStringList& headings, const std::vector<QStringList>& rows);
    // The texts of each station's row, as many as there are headings.
    std::vector<QStringList> table() const;

    QTableWidget* DataGrid = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;   // when the layout has one

private:
    bool headingsInGrid_ = false;
};

// "Edit the Field Data".
class TDataDisplay : public TStationTable {
    Q_OBJECT
public:
    explicit TDataDisplay(QWidget* parent = nullptr);
    void fill(const Model& m);
    std::vector<StationRow> rows() const;

private:
    bool heights_ = false, offsets_ = false;   // the columns fill showed
};

// "Edit the magnetic stations": one row per station, its position, height
// and observed anomaly (nT; an empty cell for none), as "Edit the field data"
// lists the gravity stations.
struct MagneticStationRow {
    QString position;
    QString height;
    QString anomaly;
    QString offset = {};   // empty unless some station stands off the line
};
std::vector<MagneticStationRow> magneticStationRows(const Model& m);
// Rows whose position and height are numbers and whose anomaly is a number
// or empty, in order, as stations. A cell still showing the text
// magneticStationRows(m) gave it keeps the exact value of m.
std::vector<MagneticStationValue> magneticStationsFromRows(const std::vector<MagneticStationRow>& rows,
                                                           const Model& m);

class TMagStationTable : public TStationTable {
    Q_OBJECT
public:
    explicit TMagStationTable(QWidget* parent = nullptr);
    void fill(const Model& m);
    std::vector<MagneticStationRow> rows() const;

private:
    bool offsets_ = false;
};

inline const QString NoMagneticStationsText =
    QStringLiteral("There are no magnetic stations yet: read in magnetic data or lay out stations first.");
inline const QString TooFewMagneticStationsText = QStringLiteral(
    "At least two rows need a position, a height and a number or nothing as anomaly. The stations are unchanged.");

// The whole "Edit the field data" and "Edit the magnetic stations" commands.
void editFieldData(Tcorvane& window);
void editMagneticStationsCommand(Tcorvane& window);

}  // namespace corvane
