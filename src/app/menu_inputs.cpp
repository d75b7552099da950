// Commands that read other input files: Sidero models, body files, boreholes.
#include "app/menu_states.h"
#include "app/tcorvane.h"

#include "io/input_files.h"

#include <QFile>

namespace corvane {

namespace {

std::string localName(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

void Tcorvane::ImportamodelfromSidero1Click()
{
    const QString name = platform_->openFileName(QStringLiteral("Mag. models"), QStringLiteral("*.mod"));
    if (name.isEmpty())
        return;
    Status read;
    {
        BusyCursor busy(*platform_);
        read = importSideroFile(ws_, localName(name));
    }
    if (!read) {
        platform_->error(QString::fromLocal8Bit(read.message().c_str()));
        return;
    }
    disableBodyAddingWhenFull(*this);
    repaintModel();
}

void Tcorvane::Readinamodelfile1Click()
{
    const QString name =
        platform_->openFileName(QStringLiteral("Ascii model files"), QStringLiteral("*.bod"));
    if (name.isEmpty())
        return;
    Status read;
    {
        BusyCursor busy(*platform_);
        read = readBodyFileAt(ws_, localName(name));
    }
    if (!read) {
        platform_->error(QString::fromLocal8Bit(read.message().c_str()));
        return;
    }
    disableBodyAddingWhenFull(*this);
    repaintModel();
}

void Tcorvane::boreholedata1Click()
{
    // Refused before a file is chosen: there is no slot for it.
    if (ws_.model.NumHoles >= MaxHoles) {
        platform_->error(QString::fromLatin1(TooManyBoreholesText));
        return;
    }
    const QString name = platform_->openFileName(QStringLiteral("Borehole data"), QStringLiteral("*.hol"));
    if (name.isEmpty())
        return;
    std::string note;
    const Status read = readBoreholeFileAt(ws_, localName(name), &note);
    if (!read) {
        platform_->error(QString::fromLocal8Bit(read.message().c_str()));
        return;
    }
    repaintModel();
    if (!note.empty())
        setStatus(QString::fromLocal8Bit(note.c_str()));
}

}  // namespace corvane
