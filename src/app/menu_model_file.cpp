// Commands of the model file: load and save.
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
    const QString name = platform_->openFileName(modelFilter, modelPattern);
    if (name.isEmpty())
        return;
    std::string err;
    {
        BusyCursor busy(*platform_);
        // The model is replaced only if the whole file is sound.
        err = loadModelFile(ws_, QFile::encodeName(name).toStdString());
    }
    if (!err.empty()) {
        platform_->error(QString::fromLocal8Bit(err.c_str()));
        return;
    }
    repaintModel();
    MenuStateLoaded();
}

void Tcorvane::Savethecurrentmodel1Click()
{
    const QString name = platform_->saveFileName(modelFilter, modelPattern);
    if (name.isEmpty())
        return;
    if (QFileInfo::exists(name) &&
        !platform_->confirm(QStringLiteral("A file with that name already exists. Overwrite it ?")))
        return;
    const std::string err = saveModelFile(ws_, QFile::encodeName(name).toStdString());
    if (!err.empty()) {
        platform_->error(QString::fromLocal8Bit(err.c_str()));
        return;
    }
    platform_->information(QStringLiteral("Model successfully saved."));
}

}  // namespace corvane
