// Undo and redo, the modified flag in the caption, the question before a
// changed model is replaced, the recovery file and the start-up.
#include "app/history.h"
#include "app/recovery.h"
#include "app/tcorvane.h"

#include "display/options.h"
#include "io/model_file.h"
#include "io/safe_file.h"
#include "io/text_lines.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace corvane {

namespace {

const QString Caption = QStringLiteral("Corvane for Windows");
const QString UndoItem = QStringLiteral("Undo1");
const QString RedoItem = QStringLiteral("Redo1");
const QString SaveFirstText = QStringLiteral("The model has changed. Save it first ?");
constexpr int RecoveryInterval = 60 * 1000;   // milliseconds

// Items that replace the whole model: their step clears the history.
bool replacesModel(const QString& item)
{
    return item == QLatin1String("Beginanewmodel1") || item == QLatin1String("Loadanoldmodel1");
}

}  // namespace

void Tcorvane::initHistory()
{
    history_ = std::make_unique<ModelHistory>(ws_);

    // "Undo" and "Redo" head "Edit the Model".
    QMenu* edit = nullptr;
    for (QAction* m : menuBar()->actions())
        if (m->menu() && m->text() == QLatin1String("&Edit the Model"))
            edit = m->menu();
    QAction* first = edit->actions().value(0);
    auto add = [&](const QString& name, const QString& text, const QList<QKeySequence>& keys,
                   void (Tcorvane::*handler)()) {
        auto* a = new QAction(text, edit);
        a->setObjectName(name);
        a->setShortcuts(keys);
        edit->insertAction(first, a);
        connect(a, &QAction::triggered, this, handler);
        actions_[name] = a;
    };
    add(UndoItem, QStringLiteral("&Undo"), {QKeySequence(Qt::ALT | Qt::Key_Backspace)}, &Tcorvane::Undo1Click);
    add(RedoItem, QStringLiteral("&Redo"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Backspace)},
        &Tcorvane::Redo1Click);
    edit->insertSeparator(first);

    // A mouse command's step ends with the command.
    connect(area_, &DrawingArea::commandEnded, this, [this] {
        if (stepAwaitsCommand_ && !commandRunning()) {
            stepAwaitsCommand_ = false;
            finishStep(pendingItem_);
        }
    });
}

void Tcorvane::runRecorded(const QString& item, const QString& stepName, const std::function<void()>& handler)
{
    // While a mouse command runs it holds the model; nothing else may start.
    if (commandRunning() || stepAwaitsCommand_)
        return;
    history_->begin(stepName, replacesModel(item) ? ModelHistory::Kind::Replace : ModelHistory::Kind::Edit);
    handler();
    if (commandRunning()) {
        pendingItem_ = item;
        stepAwaitsCommand_ = true;
        return;
    }
    finishStep(item);
}

void Tcorvane::finishStep(const QString& item)
{
    const ModelHistory::Outcome outcome = history_->end();
    if (outcome == ModelHistory::Outcome::Replaced && item == QLatin1String("Beginanewmodel1"))
        modelFile_.clear();
    afterHistoryChange();
    // An inversion may have run for minutes: keep its result at once.
    if (outcome == ModelHistory::Outcome::Recorded && item == QLatin1String("Invertthemodel1"))
        writeRecovery();
}

void Tcorvane::afterHistoryChange()
{
    const bool live = ws_.model.ModelExists;
    auto show = [&](const QString& item, const QString& text, const QString& step, bool can) {
        QAction* a = action(item);
        a->setText(can ? text + QLatin1Char(' ') + QString(step).replace(QLatin1Char('&'), QStringLiteral("&&"))
                       : text);
        a->setEnabled(live && can);
    };
    show(UndoItem, QStringLiteral("&Undo"), history_->undoName(), history_->canUndo());
    show(RedoItem, QStringLiteral("&Redo"), history_->redoName(), history_->canRedo());
    // The caption names the model's file, with a "*" while it has changed.
    const QString caption =
        modelFile_.isEmpty() ? Caption : Caption + QStringLiteral(" - ") + QFileInfo(modelFile_).fileName();
    setWindowTitle(history_->modified() ? QLatin1Char('*') + caption : caption);
    if (recovery_ && !history_->unsaved())
        recovery_->remove();
}

// ---- Undo, redo ----------------------------------------------------------------

void Tcorvane::Undo1Click()
{
    if (commandRunning() || !history_->canUndo())
        return;
    history_->undo();
    afterUndoRedo();
}

void Tcorvane::Redo1Click()
{
    if (commandRunning() || !history_->canRedo())
        return;
    history_->redo();
    afterUndoRedo();
}

void Tcorvane::afterUndoRedo()
{
    // One body has no individual contribution to show.
    if (ws_.model.NumBodies <= 1)
        ws_.display.ShowIndividual = false;
    MenuStateCurrentModel();
    repaintModel();
    afterHistoryChange();
}

// ---- Saving before the model is replaced ---------------------------------------

bool Tcorvane::saveFirst()
{
    if (!history_->modified())
        return true;
    switch (platform_->ask(SaveFirstText)) {
    case Platform::Answer::No:
        return true;
    case Platform::Answer::Cancel:
        return false;
    case Platform::Answer::Yes:
        break;
    }
    if (modelFile_.isEmpty())
        Savethecurrentmodel1Click();
    else
        saveModelTo(modelFile_);
    return !history_->modified();
}

// ---- Recovery and start-up -----------------------------------------------------

void Tcorvane::enableRecovery(const QString& folder)
{
    if (folder.isEmpty())
        return;   // no state folder: never the working directory instead
    recovery_ = std::make_unique<RecoveryFiles>(folder);
    if (!recoveryTimer_) {
        recoveryTimer_ = new QTimer(this);
        connect(recoveryTimer_, &QTimer::timeout, this, &Tcorvane::writeRecovery);
    }
    recoveryTimer_->start(RecoveryInterval);
}

void Tcorvane::writeRecovery()
{
    // A mouse command may hold a body half drawn; the next tick takes it.
    if (!recovery_ || commandRunning())
        return;
    if (!history_->unsaved()) {
        recovery_->remove();
        return;
    }
    if (!history_->stepOpen() && recoveryVersion_ == history_->version() && recovery_->exists())
        return;   // written as it stands
    const std::string err = recovery_->write(ws_, modelFile_);
    if (err.empty()) {
        recoveryVersion_ = history_->version();
    } else if (!recoveryWarned_) {
        recoveryWarned_ = true;   // once: it is tried again every minute
        platform_->warning(QStringLiteral("Unsaved work cannot be kept for recovery. ") +
                           QString::fromLocal8Bit(err.c_str()));
    }
}

bool Tcorvane::offerRecovery(const QString& named)
{
    if (!recovery_)
        return false;
    recovery_->removeLeftovers();
    for (const RecoveryFiles::Found& found : recovery_->leftBehind()) {
        const QString when = found.written.toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        const std::string path = QFile::encodeName(found.path).toStdString();
        const Result<std::string> read = readWholeFile(path, std::size_t{16} << 20);
        const std::string bytes = read ? *read : std::string();
        std::string err = read.message();
        if (err.empty())
            err = checkRecoveryBytes(bytes);
        if (!err.empty()) {
            // Not offered as good; kept, in case the user wants what is left of it.
            const QString aside = recovery_->setAside(found.path);
            platform_->warning(
                QStringLiteral("Unsaved work from %1 was found, but its recovery file is damaged and cannot be "
                               "restored: %2.")
                    .arg(when, QString::fromLocal8Bit(err.c_str())) +
                (aside.isEmpty() ? QString() : QStringLiteral(" It is kept as \"%1\".").arg(aside)));
            continue;
        }
        const QString question =
            named.isEmpty()
                ? QStringLiteral("Unsaved work from %1 was found. Restore it ?").arg(when)
                : QStringLiteral("Unsaved work from %1 was found. Restore it instead of opening \"%2\" ?")
                      .arg(when, QFileInfo(named).fileName());
        if (!platform_->confirm(question)) {
            recovery_->discard(found.path);
            continue;
        }
        QString file;
        std::vector<std::string> notes;
        if (const std::string reason = restoreRecoveryBytes(ws_, bytes, file, &notes); !reason.empty()) {
            platform_->error(QString::fromLocal8Bit(("\"" + path + "\" cannot be restored: " + reason + ".").c_str()));
            recovery_->discard(found.path);
            continue;
        }
        modelFile_ = file;
        ws_.app.ModelFileName = firstCharacters(QFile::encodeName(file).toStdString(), 80);
        if (const std::string unread = readOverlayFilesShown(); !unread.empty())
            notes.insert(notes.begin(), unread);
        history_->clear();
        history_->markUnsaved();
        repaintModel();
        MenuStateCurrentModel();
        showDisplayChecks();
        afterHistoryChange();
        // The work is in this program's own file before the old one goes.
        writeRecovery();
        if (recovery_->exists())
            recovery_->discard(found.path);
        if (!notes.empty())
            platform_->warning(QString::fromUtf8(extrasNotesText(notes).c_str()));
        return true;
    }
    return false;
}

void Tcorvane::startUp(const QString& file)
{
    // A file named on the command line was part of the question, and the
    // user chose the restored work over it.
    if (offerRecovery(file) || file.isEmpty())
        return;
    const QString name = QFileInfo(file).absoluteFilePath();
    runRecorded(QStringLiteral("Loadanoldmodel1"), QStringLiteral("Load an old model"),
                [this, &name] { loadModelFrom(name); });
}

}  // namespace corvane
