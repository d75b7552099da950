#include "inversion_ui/tinvertresult.h"

#include "display/view.h"
#include "io/safe_file.h"
#include "model/text.h"

#include <QColor>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>

#include <algorithm>

namespace corvane {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headings)
{
    auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headings);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

// A long parameter name over a few short lines, so that a column of the
// correlation table is as wide as its numbers rather than its name.
QString stacked(const QString& name)
{
    QStringList lines;
    for (const QString& word : name.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!lines.isEmpty() && lines.back().size() + 1 + word.size() <= 12)
            lines.back() += QLatin1Char(' ') + word;
        else
            lines << word;
    }
    return lines.join(QLatin1Char('\n'));
}

void setCell(QTableWidget* table, int row, int column, const std::string& s, bool number)
{
    auto* item = new QTableWidgetItem(text(s));
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table->setItem(row, column, item);
}

}  // namespace

Tinvertresult::Tinvertresult(Platform& platform, QWidget* parent)
    : QDialog(parent), platform_(platform)
{
    setObjectName(QStringLiteral("Tinvertresult"));
    setWindowTitle(QStringLiteral("Inversion Results"));
    QFont f(QStringLiteral("Sans Serif"), 8);
    f.setBold(true);
    setFont(f);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("title"));
    parameters_ = makeTable(this, "parameters",
                            {QStringLiteral("Parameter"), QStringLiteral("Start"),
                             QStringLiteral("Final"), QStringLiteral("Standard error"),
                             QStringLiteral("Bound")});
    iterations_ = makeTable(this, "iterations",
                            {QStringLiteral("Iteration"), QStringLiteral("RMS (mGal)"),
                             QStringLiteral("Misfit"), QString()});
    correlationHeading_ = new QLabel(this);
    correlationHeading_->setObjectName(QStringLiteral("correlationHeading"));
    correlation_ = makeTable(this, "correlation", {});
    correlation_->verticalHeader()->show();
    correlation_->horizontalHeader()->setStretchLastSection(false);
    kept_ = new QLabel(this);
    kept_->setObjectName(QStringLiteral("kept"));
    held_ = new QLabel(this);
    held_->setObjectName(QStringLiteral("held"));
    held_->setWordWrap(true);
    unresolved_ = new QLabel(this);
    unresolved_->setObjectName(QStringLiteral("unresolved"));
    unresolved_->setWordWrap(true);
    errorsBasis_ = new QLabel(this);
    errorsBasis_->setObjectName(QStringLiteral("errorsBasis"));
    errorsBasis_->setWordWrap(true);
    shift_ = new QLabel(this);
    shift_->setObjectName(QStringLiteral("shift"));
    shift_->setWordWrap(true);
    CopyBtn_ = new QPushButton(QStringLiteral("Copy"), this);
    CopyBtn_->setObjectName(QStringLiteral("CopyBtn"));
    SaveBtn_ = new QPushButton(QStringLiteral("Save..."), this);
    SaveBtn_->setObjectName(QStringLiteral("SaveBtn"));
    OKBtn_ = new QPushButton(QStringLiteral("OK"), this);
    OKBtn_->setObjectName(QStringLiteral("OKBtn"));
    OKBtn_->setDefault(true);
    // Return means OK, whichever button was pressed last.
    CopyBtn_->setAutoDefault(false);
    SaveBtn_->setAutoDefault(false);
    connect(CopyBtn_, &QPushButton::clicked, this, &Tinvertresult::CopyBtnClick);
    connect(SaveBtn_, &QPushButton::clicked, this, &Tinvertresult::SaveBtnClick);
    connect(OKBtn_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(title_, 0, 0);
    layout->addWidget(parameters_, 1, 0);
    layout->addWidget(correlationHeading_, 2, 0);
    layout->addWidget(correlation_, 3, 0);
    layout->addWidget(iterations_, 4, 0);
    layout->addWidget(kept_, 5, 0);
    layout->addWidget(held_, 6, 0);
    layout->addWidget(unresolved_, 7, 0);
    layout->addWidget(errorsBasis_, 8, 0);
    layout->addWidget(shift_, 9, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CopyBtn_);
    buttons->addWidget(SaveBtn_);
    buttons->addStretch();
    buttons->addWidget(OKBtn_);
    layout->addLayout(buttons, 10, 0);
    resize(640, 560);
}

void Tinvertresult::fill(const RunReport& report)
{
    report_ = report;
    title_->setText(text(report.title + ", distances in " + (report.unitsKm ? "km" : "m")));
    // The resolution beside the errors only when some parameter is not resolved.
    const bool resolution = resolutionShown(report);
    QStringList parameterHeadings{QStringLiteral("Parameter"), QStringLiteral("Start"),
                                  QStringLiteral("Final"), QStringLiteral("Standard error")};
    if (resolution)
        parameterHeadings << QStringLiteral("Resolution");
    parameterHeadings << QStringLiteral("Bound");
    parameters_->setColumnCount(static_cast<int>(parameterHeadings.size()));
    parameters_->setHorizontalHeaderLabels(parameterHeadings);
    parameters_->setRowCount(static_cast<int>(report.parameters.size()));
    for (int row = 0; row < parameters_->rowCount(); ++row) {
        const ParameterResult& p = report.parameters[static_cast<std::size_t>(row)];
        setCell(parameters_, row, 0, p.name, false);
        setCell(parameters_, row, 1, fixed(p.start, 0, p.decimals), true);
        setCell(parameters_, row, 2, fixed(p.final, 0, p.decimals), true);
        setCell(parameters_, row, 3, errorText(p), true);
        if (resolution)
            setCell(parameters_, row, 4, resolutionText(p), true);
        setCell(parameters_, row, resolution ? 5 : 4, boundText(p.bound), false);
    }
    // The parameters of one body (at most ten) all in view; a run over all
    // bodies shows as many as fit and scrolls; the iterations scroll.
    const int rows = std::min(parameters_->rowCount(), 16);
    parameters_->setFixedHeight(parameters_->horizontalHeader()->sizeHint().height() +
                                rows * parameters_->verticalHeader()->defaultSectionSize() +
                                2 * parameters_->frameWidth() +
                                (rows < parameters_->rowCount()
                                     ? parameters_->horizontalScrollBar()->sizeHint().height()
                                     : 0));
    // The correlation of the free parameters, strong ones marked and tinted.
    const std::vector<std::size_t> shown = correlatedParameters(report);
    const int n = static_cast<int>(shown.size());
    QStringList names, columns;
    for (std::size_t k : shown) {
        names << text(report.parameters[k].name);
        columns << stacked(names.back());
    }
    correlation_->setRowCount(n);
    correlation_->setColumnCount(n);
    correlation_->setHorizontalHeaderLabels(columns);
    correlation_->setVerticalHeaderLabels(names);
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column) {
            const double r = correlationOf(report, shown[static_cast<std::size_t>(row)],
                                           shown[static_cast<std::size_t>(column)]);
            setCell(correlation_, row, column, correlationText(r, row == column), true);
            if (row != column && strongCorrelation(r))
                correlation_->item(row, column)->setBackground(QColor(255, 200, 200));
        }
    // Every row in view: the header is as high as its most stacked name.
    qsizetype lines = 1;
    for (const QString& c : columns)
        lines = std::max(lines, c.count(QLatin1Char('\n')) + 1);
    const int header = std::max(correlation_->horizontalHeader()->sizeHint().height(),
                                static_cast<int>(lines) * correlation_->fontMetrics().height() + 8);
    correlation_->setFixedHeight(header + n * correlation_->verticalHeader()->defaultSectionSize() +
                                 2 * correlation_->frameWidth() +
                                 correlation_->horizontalScrollBar()->sizeHint().height());
    correlationHeading_->setText(text(correlationHeading()));
    correlationHeading_->setVisible(n > 0);
    correlation_->setVisible(n > 0);
    // A magnetic column beside the gravity misfit when the run fitted magnetics.
    const bool magnetic = !report.magneticRms.empty();
    // A magnetic survey alone has no gravity misfit to show.
    const bool gravity = report.observedGravity || !magnetic;
    QStringList headings{QStringLiteral("Iteration")};
    if (gravity)
        headings << QStringLiteral("RMS (mGal)") << QStringLiteral("Misfit");
    if (magnetic)
        headings << QStringLiteral(" Mag. misfit (nT)");
    headings << QString();
    iterations_->setColumnCount(static_cast<int>(headings.size()));
    iterations_->setHorizontalHeaderLabels(headings);
    const int keptColumn = static_cast<int>(headings.size()) - 1;
    iterations_->setRowCount(static_cast<int>(report.misfits.size()));
    for (int row = 0; row < iterations_->rowCount(); ++row) {
        const auto t = static_cast<std::size_t>(row);
        int column = 0;
        setCell(iterations_, row, column++, std::to_string(row), true);
        if (gravity) {
            const double rms = t < report.rms.size() ? report.rms[t] : 0.0;
            setCell(iterations_, row, column++, fixed(rms, 0, 5), true);
            setCell(iterations_, row, column++, fixed(report.misfits[t], 0, 2), true);
        }
        if (magnetic)
            setCell(iterations_, row, column++,
                    fixed(t < report.magneticRms.size() ? report.magneticRms[t] : 0.0, 0, 3), true);
        setCell(iterations_, row, keptColumn, row == report.kept ? "kept" : "", false);
    }
    if (report.kept >= 0 && report.kept < iterations_->rowCount())
        iterations_->scrollToItem(iterations_->item(report.kept, 0));
    // Each fitted gradient component's misfit, start and kept, under the kept state.
    std::string kept = keptText(report);
    for (const std::string& line : gradientMisfitLines(report))
        kept += "\n" + line + ".";
    kept_->setText(text(kept));
    const std::string held = heldSummary(report);
    held_->setText(text(held + (held.empty() ? "" : ".")));
    held_->setVisible(!held.empty());
    const std::string unresolved = unresolvedText(report);
    unresolved_->setText(text(unresolved + (resolution ? "\n" + resolutionNote() : "")));
    unresolved_->setVisible(!unresolved.empty());
    errorsBasis_->setText(text(errorsBasisText(report)));
    const std::string shift = shiftText(report);
    shift_->setText(text(shift));
    shift_->setVisible(!shift.empty());
    // The matrix needs room of its own: the window grows by it (within the
    // screen), so the iterations keep theirs.
    int height = 560, wide = 640;
    if (n > 0) {
        height += correlation_->maximumHeight() + correlationHeading_->sizeHint().height();
        int columns = correlation_->verticalHeader()->sizeHint().width() + 2 * correlation_->frameWidth();
        for (int c = 0; c < n; ++c)
            columns += correlation_->horizontalHeader()->sectionSizeHint(c);
        const QMargins margins = layout()->contentsMargins();
        wide = std::max(wide, columns + margins.left() + margins.right());
    }
    if (const QScreen* s = screen()) {
        height = std::min(height, s->availableGeometry().height() - 60);
        wide = std::min(wide, s->availableGeometry().width() - 40);
    }
    resize(std::max(wide, 640), std::max(height, 560));
}

void Tinvertresult::CopyBtnClick()
{
    platform_.setClipboardText(text(reportTable(report_, "\n")));
    platform_.information(QStringLiteral("Data successfully transferred to Clipboard"));
}

void Tinvertresult::SaveBtnClick()
{
    // The dialog gives the name its ".txt" when none was typed.
    const QString name = platform_.saveFileName(QStringLiteral("text files"), QStringLiteral("*.txt"));
    if (name.isEmpty())
        return;
    if (!mayReplace(platform_, name))
        return;
    const Status saved = writeFileSafely(QFile::encodeName(name).toStdString(), reportTable(report_, "\r\n"));
    if (!saved) {
        platform_.error(QString::fromLocal8Bit(saved.message().c_str()));
        return;
    }
    platform_.information(QStringLiteral("Inversion results successfully saved."));
}

QString heldStatus(const Model& m, int iterationCount, const std::string& held)
{
    QString status = misfitText(m, iterationCount);
    if (held.empty())
        return status;
    if (iterationCount == 0)
        status += QStringLiteral("   ");
    return status + text(held);
}

}  // namespace corvane
