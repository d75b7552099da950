// Commands of the model file: load and save.
#include "app/tcorvane.h"

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
    const QString name = platform_->saveFileName(modelFilter, modelPattern);
    if (name.isEmpty())
        return;
    if (QFileInfo::exists(name) &&
        !platform_->confirm(QStringLiteral("A file with that name already exists. Overwrite it ?")))
        return;
    saveModelTo(name);
}

}  // namespace corvane
