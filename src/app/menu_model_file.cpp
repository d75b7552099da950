// Commands of the model file: load and save.
#include "app/tcorvane.h"


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

}  // namespace corvane
