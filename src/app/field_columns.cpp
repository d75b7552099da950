#include "app/field_columns.h"

#include "app/tcorvane.h"
#include "display/dialog_widgets.h"
#include "edit/spin_arrows.h"
#include "io/safe_file.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace corvane {

// ---- Tdatadisplay1 --------------------------------------------------------

Tdatadisplay1::Tdatadisplay1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Tdatadisplay1"));
    setWindowTitle(QStringLiteral("Field Data Entry"));

    datagrid = new QTableWidget(this);
    datagrid->setObjectName(QStringLiteral("datagrid"));
    datagrid->setColumnCount(MaxFieldsPerLine + 1);
    datagrid->horizontalHeader()->hide();
    datagrid->verticalHeader()->hide();
    datagrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto number = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setMinimumWidth(40);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto arrows = [this](const char* name, Value v) {
        auto* s = new SpinArrows(this);
        s->setObjectName(QString::fromLatin1(name));
        connect(s, &SpinArrows::up, this, [this, v] { spin(v, +1); });
        connect(s, &SpinArrows::down, this, [this, v] { spin(v, -1); });
        return s;
    };
    XColumn = number("XColumn");
    YColumn = number("YColumn");
    GravColumn = number("GravColumn");
    CommentLines = number("CommentLines");
    XSpin = arrows("XSpin", Value::XColumn);
    YSpin = arrows("YSpin", Value::YColumn);
    GravSpin = arrows("GravSpin", Value::GravityColumn);
    CommentSpin = arrows("CommentSpin", Value::CommentLines);
    YColumnLabel = new QLabel(QStringLiteral("Y position column"), this);
    YColumnLabel->setObjectName(QStringLiteral("YColumnLabel"));
    XYData = new QCheckBox(QStringLiteral("X-Y position data present"), this);
    XYData->setObjectName(QStringLiteral("XYData"));
    connect(XYData, &QCheckBox::toggled, this, &Tdatadisplay1::XYDataClick);

    auto* chooser = new QGridLayout;
    XColumnLabel = new QLabel(QStringLiteral("X position column "), this);
    XColumnLabel->setObjectName(QStringLiteral("XColumnLabel"));
    chooser->addWidget(XColumnLabel, 0, 0);
    chooser->addWidget(XColumn, 0, 1);
    chooser->addWidget(XSpin, 0, 2);
    chooser->addWidget(YColumnLabel, 1, 0);
    chooser->addWidget(YColumn, 1, 1);
    chooser->addWidget(YSpin, 1, 2);
    DataColumnLabel = new QLabel(QStringLiteral("Grav. data column"), this);
    DataColumnLabel->setObjectName(QStringLiteral("DataColumnLabel"));
    chooser->addWidget(DataColumnLabel, 2, 0);
    chooser->addWidget(GravColumn, 2, 1);
    chooser->addWidget(GravSpin, 2, 2);
    DataUnit = new QLabel(QStringLiteral("nT"), this);
    DataUnit->setObjectName(QStringLiteral("DataUnit"));
    DataUnit->hide();
    chooser->addWidget(DataUnit, 2, 3);
    chooser->addWidget(new QLabel(QStringLiteral("No. of comment lines"), this), 3, 0);
    chooser->addWidget(CommentLines, 3, 1);
    chooser->addWidget(CommentSpin, 3, 2);
    chooser->addWidget(XYData, 4, 0, 1, 3);
    SkippedNote = new QLabel(this);
    SkippedNote->setObjectName(QStringLiteral("SkippedNote"));
    SkippedNote->setWordWrap(true);
    SkippedNote->setMaximumWidth(260);
    chooser->addWidget(SkippedNote, 5, 0, 1, 3);
    addHeightChooser(chooser, 6);
    chooser->setRowStretch(8, 1);

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = addNamedButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = addNamedButton(buttons, QStringLiteral("Cancel"), QDialogButtonBox::RejectRole, "CancelBtn");
    CancelBtn->hide();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    side->addLayout(chooser);
    GradientBox = new QWidget(this);   // filled in gradient mode only
    GradientBox->hide();
    side->addWidget(GradientBox, 1);   // only while shown: it takes the height below the chooser
    side->addWidget(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(datagrid, 1);
    layout->addLayout(side);
    resize(760, 520);   // the size it keeps where the desktop does not maximise it
    fill(FieldDataTable{});
}

void Tdatadisplay1::setMagnetic(bool magnetic)
{
    // The gravity chooser stays as it always was: OK only.
    showGradientMode(false);
    setWindowTitle(magnetic ? QStringLiteral("Magnetic Data Entry") : QStringLiteral("Field Data Entry"));
    DataColumnLabel->setText(magnetic ? QStringLiteral("Mag. data column") : QStringLiteral("Grav. data column"));
    DataUnit->setVisible(magnetic);
    CancelBtn->setVisible(magnetic);
}

void Tdatadisplay1::setSurvey(bool survey)
{
    survey_ = survey;
    if (survey) {
        setWindowTitle(QStringLiteral("Survey Data Entry"));
        DataColumnLabel->setText(QStringLiteral("Data column"));
        CancelBtn->show();
    }
    XColumnLabel->setText(survey ? QStringLiteral("Easting column") : QStringLiteral("X position column "));
    YColumnLabel->setText(survey ? QStringLiteral("Northing column") : QStringLiteral("Y position column"));
    HeightData->setText(survey ? QStringLiteral("Elevation column") : QStringLiteral("Height column"));
    XYData->setVisible(!survey);   // both coordinates are always taken
}

void Tdatadisplay1::fill(const FieldDataTable& table)
{
    table_ = table;
    commentLinesSet_ = false;
    maxFields_ = table.maxFields;
    const int rows = static_cast<int>(table.lines.size()) + 1;
    const int columns = std::clamp(table.shape.fields, 1, MaxTableFields);
    datagrid->clearContents();
    datagrid->setColumnCount(columns + 1);
    datagrid->setRowCount(rows);
    datagrid->setItem(0, 0, fixedCell(QStringLiteral(" ")));
    for (int j = 1; j <= columns; ++j)
        datagrid->setItem(0, j, fixedCell(QString::number(j)));
    for (int r = 1; r < rows; ++r) {
        const SplitLine& line = table.lines[static_cast<std::size_t>(r - 1)];
        for (int j = 1; j <= columns; ++j) {
            const QString text = j <= line.count
                ? QString::fromStdString(line.fields[static_cast<std::size_t>(j - 1)])
                : QStringLiteral(" ");
            datagrid->setItem(r, j, new QTableWidgetItem(text));
        }
    }
    XColumn->setText(QStringLiteral("1"));
    YColumn->setText(QStringLiteral("2"));
    GravColumn->setText(survey_ ? QStringLiteral("3") : QStringLiteral("2"));
    XYData->setChecked(survey_);
    XYDataClick();
    HColumn->setText(survey_ ? QStringLiteral("4") : QStringLiteral("3"));   // E N value elevation
    ConstHeight->setText(QStringLiteral("0"));
    HeightData->setChecked(false);
    HeightDataClick();
    if (gradient_)
        fillGradient();
    markLines();
    setWindowState(windowState() | Qt::WindowMaximized);
}

QLabel* Tdatadisplay1::label(Value v) const
{
    switch (v) {
    case Value::XColumn: return XColumn;
    case Value::YColumn: return YColumn;
    case Value::GravityColumn: return GravColumn;
    case Value::CommentLines: return CommentLines;
    case Value::HeightColumn: return HColumn;
    }
    return XColumn;
}

void Tdatadisplay1::spin(Value v, int delta)
{
    QLabel* shown = label(v);
    // Comment lines may be none at all, so that a file without a heading
    // keeps its first station.
    const int lo = v == Value::CommentLines ? 0 : 1;
    const int hi = v == Value::CommentLines ? INT_MAX - 1 : std::max(maxFields_, 1);
    const int value = std::clamp(shown->text().toInt() + delta, lo, hi);
    shown->setText(QString::number(value));
    if (v == Value::CommentLines)
        commentLinesSet_ = true;
    markLines();
}

void Tdatadisplay1::markLines()
{
    if (gradient_) {
        markGradientLines();
        return;
    }
    // Until the user sets them, the comment lines follow the columns chosen.
    if (!commentLinesSet_)
        CommentLines->setText(QString::number(leadingNonStationLines(table_, choice())));
    const ColumnChoice c = choice();
    const int rows = std::min(datagrid->rowCount() - 1, static_cast<int>(table_.lines.size()));
    for (int r = 1; r <= rows; ++r) {
        const SplitLine& line = table_.lines[static_cast<std::size_t>(r - 1)];
        const bool mark = line.count > 0 && !isStationLine(line, c);
        datagrid->setItem(r, 0, fixedCell(mark ? QStringLiteral("*****") : QString::number(r)));
    }
    SkippedNote->setText(QString::fromStdString(skippedStationsNote(stationsFromTable(table_, c))));
}

void Tdatadisplay1::XYDataClick()
{
    const bool show = XYData->isChecked();
    YColumnLabel->setVisible(show);
    YColumn->setVisible(show);
    YSpin->setVisible(show);
    if (Distance) {
        DistanceLabel->setVisible(show && profileLine_);
        Distance->setVisible(show && profileLine_);
    }
    if (SkippedNote)
        markLines();
}

void Tdatadisplay1::addHeightChooser(QGridLayout* chooser, int row)
{
    HeightData = new QCheckBox(QStringLiteral("Height column"), this);
    HeightData->setObjectName(QStringLiteral("HeightData"));
    HColumn = new QLabel(this);
    HColumn->setObjectName(QStringLiteral("HColumn"));
    HColumn->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    HColumn->setMinimumWidth(40);
    HColumn->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    HSpin = new SpinArrows(this);
    HSpin->setObjectName(QStringLiteral("HSpin"));
    connect(HSpin, &SpinArrows::up, this, [this] { spin(Value::HeightColumn, +1); });
    connect(HSpin, &SpinArrows::down, this, [this] { spin(Value::HeightColumn, -1); });
    ConstHeightLabel = new QLabel(QStringLiteral("Height of every station"), this);
    ConstHeight = namedBox(this, "ConstHeight");
    connect(HeightData, &QCheckBox::toggled, this, &Tdatadisplay1::HeightDataClick);
    chooser->addWidget(HeightData, row, 0);
    chooser->addWidget(HColumn, row, 1);
    chooser->addWidget(HSpin, row, 2);
    chooser->addWidget(ConstHeightLabel, row + 1, 0);
    chooser->addWidget(ConstHeight, row + 1, 1, 1, 2);
}

void Tdatadisplay1::HeightDataClick()
{
    const bool column = HeightData->isChecked();
    HColumn->setVisible(column);
    HSpin->setVisible(column);
    ConstHeightLabel->setVisible(!column);
    ConstHeight->setVisible(!column);
    if (SkippedNote)
        markLines();
}

ColumnChoice Tdatadisplay1::choice() const
{
    ColumnChoice c;
    c.xColumn = XColumn->text().toInt();
    c.yColumn = YColumn->text().toInt();
    c.gravityColumn = GravColumn->text().toInt();
    c.commentLines = CommentLines->text().toInt();
    c.xyData = XYData->isChecked();
    c.heightData = HeightData->isChecked();
    c.heightColumn = HColumn->text().toInt();
    // A height that is not a number puts the stations on the datum.
    if (const auto h = storableNumber(ConstHeight->text().toStdString()))
        c.constantHeight = *h;
    return c;
}

std::optional<FieldDataTable> openFieldDataTable(Tcorvane& window, TableShape shape)
{
    Platform& platform = window.platform();
    const QString name = platform.openFileName(FieldDataFilter, FieldDataPattern);
    if (name.isEmpty())
        return std::nullopt;
    const Result<std::string> bytes = readWholeFile(QFile::encodeName(name).toStdString());
    if (!bytes) {
        platform.error(QString::fromStdString(bytes.message()));
        return std::nullopt;
    }
    const std::string fileName = QFile::encodeName(name).toStdString();
    Result<FieldDataTable> read = readFieldDataText(*bytes, fileName, 0, shape);
    if (read && read->question) {
        const int c = platform.choose(twoReadingsQuestion(*read->question, fileName), DecimalChoices);
        if (c < 0)
            return std::nullopt;
        read = readFieldDataText(*bytes, fileName, c == 0 ? '.' : ',', shape);
    }
    if (!read) {
        platform.error(QString::fromStdString(read.message()));
        return std::nullopt;
    }
    return std::move(*read);
}

std::optional<ChosenColumns> chooseColumnsFile(Tcorvane& window, ColumnsFor use)
{
    std::optional<FieldDataTable> read = openFieldDataTable(window);
    if (!read)
        return std::nullopt;
    Tdatadisplay1& grid = window.dialog<Tdatadisplay1>(&window);
    grid.setMagnetic(use == ColumnsFor::Magnetic);
    grid.setSurvey(use == ColumnsFor::Survey);
    grid.fill(*read);
    if (window.execDialog(grid) != QDialog::Accepted)
        return std::nullopt;
    return ChosenColumns{std::move(*read), grid.choice()};
}

std::optional<StationList> chooseStationsFile(Tcorvane& window, bool magnetic)
{
    const auto chosen = chooseColumnsFile(window, magnetic ? ColumnsFor::Magnetic : ColumnsFor::Gravity);
    if (!chosen)
        return std::nullopt;
    Platform& platform = window.platform();
    const FieldDataTable& table = chosen->table;
    StationList s = stationsFromTable(table, chosen->choice);
    if (s.x.size() < 2 || !(s.x.back() > s.x.front())) {
        platform.error(tooFewStationsText(s.x.size()));
        return std::nullopt;
    }
    if (table.linesDropped)
        platform.warning(LinesDroppedText);
    if (s.truncated)
        platform.warning(StationsTruncatedText);
    if (s.sorted)
        platform.warning(StationsSortedText);
    return s;
}

}  // namespace corvane
