#include "platform/platform.h"

#include <QFileInfo>
#include <QStringList>

namespace corvane {

QString withFilterExtension(const QString& name, const QString& pattern)
{
    const QString first = pattern.split(QLatin1Char(';')).front().trimmed();
    if (name.isEmpty() || !first.startsWith(QLatin1String("*.")))
        return name;
    const QString extension = first.mid(2);
    if (extension.isEmpty() || extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?')))
        return name;
    const QString last = QFileInfo(name).fileName();
    if (last.isEmpty() || !QFileInfo(last).suffix().isEmpty())
        return name;   // a folder, or a name with an extension of its own
    // "name." asks for no extension of its own: the filter's takes its place.
    return (name.endsWith(QLatin1Char('.')) ? name : name + QLatin1Char('.')) + extension;
}

bool mayReplace(Platform& platform, const QString& name)
{
    return !QFileInfo::exists(name) ||
           platform.confirm(QStringLiteral("A file with that name already exists. Overwrite it ?"));
}

QString choosePdfFile(Platform& platform)
{
    const QString name = platform.saveFileName(QStringLiteral("PDF files"), QStringLiteral("*.pdf"));
    return name.isEmpty() || !mayReplace(platform, name) ? QString() : name;
}

}  // namespace corvane
