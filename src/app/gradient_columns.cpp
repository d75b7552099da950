// The gradient mode of the column chooser: the gravity column gives way to a
// column for each tensor component, their frame and, with easting and
// northing, the distance from the profile line.
#include "app/field_columns.h"

#include "display/dialog_widgets.h"
#include "edit/spin_arrows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace corvane {

namespace {
const char* const ComponentNames[TensorComponents] = {"Txx", "Txy", "Txz", "Tyy", "Tyz", "Tzz"};
}

void Tdatadisplay1::buildGradientBox()
{
    auto* grid = new QGridLayout(GradientBox);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int k = 0; k < TensorComponents; ++k) {
        const QString name = QString::fromLatin1(ComponentNames[k]);
        auto* column = new QLabel(GradientBox);
        column->setObjectName(name + QStringLiteral("Column"));
        column->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        column->setMinimumWidth(40);
        column->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* spin = new SpinArrows(GradientBox);
        spin->setObjectName(name + QStringLiteral("Spin"));
        connect(spin, &SpinArrows::up, this, [this, k] { spinComponent(k, +1); });
        connect(spin, &SpinArrows::down, this, [this, k] { spinComponent(k, -1); });
        grid->addWidget(new QLabel(name + QStringLiteral(" column (E)"), GradientBox), k, 0);
        grid->addWidget(column, k, 1);
        grid->addWidget(spin, k, 2);
        ComponentColumn[k] = column;
        ComponentSpin[k] = spin;
    }
    ProfileFrame = new QRadioButton(QStringLiteral("Profile frame (x along, y left, z down)"), GradientBox);
    ProfileFrame->setObjectName(QStringLiteral("ProfileFrame"));
    GeographicFrame = new QRadioButton(QStringLiteral("North, east, down"), GradientBox);
    GeographicFrame->setObjectName(QStringLiteral("GeographicFrame"));
    auto* frames = new QButtonGroup(GradientBox);
    frames->addButton(ProfileFrame);
    frames->addButton(GeographicFrame);
    grid->addWidget(ProfileFrame, TensorComponents, 0, 1, 3);
    grid->addWidget(GeographicFrame, TensorComponents + 1, 0, 1, 3);
    DistanceLabel = new QLabel(QStringLiteral("Greatest distance from the line"), GradientBox);
    Distance = namedBox(GradientBox, "Distance");
    grid->addWidget(DistanceLabel, TensorComponents + 2, 0);
    grid->addWidget(Distance, TensorComponents + 2, 1, 1, 2);
    grid->setRowStretch(TensorComponents + 3, 1);
}

void Tdatadisplay1::showGradientMode(bool on)
{
    gradient_ = on;
    if (on && !Distance)
        buildGradientBox();
    GradientBox->setVisible(on);
    for (QWidget* w : {static_cast<QWidget*>(DataColumnLabel), static_cast<QWidget*>(GravColumn),
                       static_cast<QWidget*>(GravSpin)})
        w->setVisible(!on);
    XColumnLabel->setText(on ? QStringLiteral("Position or easting column ") : QStringLiteral("X position column "));
    YColumnLabel->setText(on ? QStringLiteral("Northing column") : QStringLiteral("Y position column"));
    XYData->setText(on ? QStringLiteral("Easting and northing columns") : QStringLiteral("X-Y position data present"));
}

void Tdatadisplay1::setGradient(bool profileLine)
{
    profileLine_ = profileLine;
    setSurvey(false);
    showGradientMode(true);
    setWindowTitle(QStringLiteral("Gradient Data Entry"));
    DataUnit->hide();
    CancelBtn->show();
}

void Tdatadisplay1::fillGradient()
{
    // Position in 1 and Tzz, the component every survey measures, in 2.
    for (int k = 0; k < TensorComponents; ++k)
        ComponentColumn[k]->setText(k == TensorComponents - 1 ? QStringLiteral("2") : QStringLiteral("-"));
    ProfileFrame->setChecked(true);
    Distance->setText(QStringLiteral("1"));
    XYDataClick();
}

void Tdatadisplay1::spinComponent(int k, int delta)
{
    // Below column 1 the component is not in the file.
    const int value = std::clamp(ComponentColumn[k]->text().toInt() + delta, 0, std::max(maxFields_, 1));
    ComponentColumn[k]->setText(value == 0 ? QStringLiteral("-") : QString::number(value));
    markLines();
}

GradientColumnChoice Tdatadisplay1::gradientChoice() const
{
    GradientColumnChoice c;
    c.xColumn = XColumn->text().toInt();
    c.eastNorth = XYData->isChecked();
    c.northColumn = YColumn->text().toInt();
    c.heightData = HeightData->isChecked();
    c.heightColumn = HColumn->text().toInt();
    if (const auto h = storableNumber(ConstHeight->text().toStdString()))
        c.constantHeight = *h;
    for (int k = 0; k < TensorComponents; ++k)
        c.component[static_cast<std::size_t>(k)] = ComponentColumn[k] ? ComponentColumn[k]->text().toInt() : 0;
    c.frame = GeographicFrame && GeographicFrame->isChecked() ? TensorFrame::Geographic : TensorFrame::Profile;
    c.commentLines = CommentLines->text().toInt();
    return c;
}

std::optional<double> Tdatadisplay1::lineDistance() const
{
    return Distance ? numberIn(Distance) : std::nullopt;
}

void Tdatadisplay1::markGradientLines()
{
    if (!ComponentColumn[0])
        return;
    if (!commentLinesSet_)
        CommentLines->setText(QString::number(leadingNonGradientLines(table_, gradientChoice())));
    const GradientColumnChoice c = gradientChoice();
    const int rows = std::min(datagrid->rowCount() - 1, static_cast<int>(table_.lines.size()));
    for (int r = 1; r <= rows; ++r) {
        const SplitLine& line = table_.lines[static_cast<std::size_t>(r - 1)];
        const bool mark = line.count > 0 && !isGradientLine(line, c);
        datagrid->setItem(r, 0, fixedCell(mark ? QStringLiteral("*****") : QString::number(r)));
    }
    SkippedNote->setText(QString::fromStdString(skippedGradientNote(gradientStationsFromTable(table_, c), table_)));
}

}  // namespace corvane
