// Commands of the model file: load and save.
#include "app/history.h"
#include "app/tcorvane.h"

#include "io/model_file.h"

#include <QFile>
#include <QFileInfo>

namespace corvane {

namespace {
const QString modelFilter = QStringLiteral("Saved models");
const QString modelPattern = QStringLiteral("*.mod");
}  // namespace

void Tcorvane::Loadanoldmodel1Click()
{
    if (!saveFirst())
        return;
    const QString name = platform_->openFileName(modelFilter, modelPattern);
    if (name.isEmpty())
        return;
    loadModelFrom(name);
}

void Tcorvane::Savethecurrentmodel1Click()
{
    // The model's own file is offered: saving again is one click.
    const QString name = platform_->saveFileName(modelFilter, modelPattern, modelFile_);
    if (name.isEmpty())
        return;
    if (!mayReplace(*platform_, name))
        return;
    saveModelTo(name);
}

bool Tcorvane::saveModelTo(const QString& name)
{
    const Status saved = saveModelFile(ws_, QFile::encodeName(name).toStdString());
    if (!saved) {
        platform_->error(QString::fromLocal8Bit(saved.message().c_str()));
        return false;
    }
    modelFile_ = QFileInfo(name).absoluteFilePath();
    history_->markSaved();
    afterHistoryChange();
    platform_->information(QStringLiteral("Model successfully saved."));
    return true;
}

bool Tcorvane::loadModelFrom(const QString& name)
{
    Status loaded;
    std::vector<std::string> notes;
    {
        BusyCursor busy(*platform_);
        // The model is replaced only if the whole file is sound.
        loaded = loadModelFile(ws_, QFile::encodeName(name).toStdString(), &notes);
    }
    if (!loaded) {
        platform_->error(QString::fromLocal8Bit(loaded.message().c_str()));
        return false;
    }
    modelFile_ = QFileInfo(name).absoluteFilePath();
    // Files the model shows that cannot be read are named in the one message.
    if (const std::string unread = readOverlayFilesShown(); !unread.empty())
        notes.insert(notes.begin(), unread);
    repaintModel();
    MenuStateLoaded();
    showDisplayChecks();
    if (!notes.empty())
        platform_->warning(QString::fromUtf8(extrasNotesText(notes).c_str()));
    return true;
}

}  // namespace corvane
