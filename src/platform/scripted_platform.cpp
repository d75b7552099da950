#include "platform/scripted_platform.h"

#include <QDialog>
#include <QDir>
#include <QPrinter>
#include <QTemporaryDir>

namespace corvane {

ScriptedPlatform::ScriptedPlatform() = default;
ScriptedPlatform::~ScriptedPlatform() = default;

ScriptedPlatform::Message ScriptedPlatform::last() const
{
    return messages.empty() ? Message{Kind::Information, QString()} : messages.back();
}

QStringList ScriptedPlatform::texts(Kind kind) const
{
    QStringList out;
    for (const Message& m : messages)
        if (m.kind == kind)
            out << m.text;
    return out;
}

void ScriptedPlatform::clear()
{
    messages.clear();
    fileRequests.clear();
    dialogsRun.clear();
    helpFiles.clear();
}

void ScriptedPlatform::information(const QString& text)
{
    messages.push_back({Kind::Information, text});
}

void ScriptedPlatform::error(const QString& text)
{
    messages.push_back({Kind::Error, text});
}

void ScriptedPlatform::warning(const QString& text)
{
    messages.push_back({Kind::Warning, text});
}

bool ScriptedPlatform::confirm(const QString& text)
{
    messages.push_back({Kind::Confirm, text});
    if (confirmAnswers.empty())
        return false;
    const bool yes = confirmAnswers.front();
    confirmAnswers.pop_front();
    return yes;
}

namespace {

QString take(std::deque<QString>& names)
{
    if (names.empty())
        return QString();
    QString name = names.front();
    names.pop_front();
    return name;
}

}  // namespace

Platform::Answer ScriptedPlatform::ask(const QString& text)
{
    messages.push_back({Kind::Question, text});
    if (questionAnswers.empty())
        return Answer::Cancel;
    const Answer a = questionAnswers.front();
    questionAnswers.pop_front();
    return a;
}

int ScriptedPlatform::choose(const QString& text, const QStringList& offered)
{
    messages.push_back({Kind::Question, text + "\n[" + offered.join(QStringLiteral("] [")) + "]"});
    if (choices.empty())
        return -1;
    const int c = choices.front();
    choices.pop_front();
    return c;
}

QString ScriptedPlatform::openFileName(const QString& filterName, const QString& pattern)
{
    const QString name = take(openNames);
    fileRequests.push_back({false, filterName, pattern, name, {}});
    return name;
}

QString ScriptedPlatform::saveFileName(const QString& filterName, const QString& pattern, const QString& suggested)
{
    // As typed into the desktop's dialog: the filter's extension is added.
    const QString name = withFilterExtension(take(saveNames), pattern);
    fileRequests.push_back({true, filterName, pattern, name, suggested});
    return name;
}

std::optional<QColor> ScriptedPlatform::chooseColour(const QColor&)
{
    if (colours.empty())
        return std::nullopt;
    auto c = colours.front();
    colours.pop_front();
    return c;
}

void ScriptedPlatform::setClipboardText(const QString& text)
{
    clipboard = text;
}

int ScriptedPlatform::execDialog(QDialog& dialog)
{
    dialogsRun << (dialog.objectName().isEmpty() ? QString::fromLatin1(dialog.metaObject()->className())
                                                 : dialog.objectName());
    if (!dialogHandler)
        return QDialog::Rejected;
    // Shown (off screen) so that the dialog's activation fills its boxes as it
    // would for the user.
    dialog.show();
    const int result = dialogHandler(dialog);
    dialog.hide();
    return result;
}

void ScriptedPlatform::configurePrinter()
{
    ++printerSetups;
}

QPrinter* ScriptedPlatform::startPrintJob()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    QString name = printFileName;
    if (name.isEmpty()) {
        static QTemporaryDir dir;
        name = QDir(dir.path()).filePath(QStringLiteral("print-%1.pdf").arg(printJobs + 1));
    }
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(name);
    ++printJobs;
    return printer_.get();
}

void ScriptedPlatform::showHelp(const QString& fileName)
{
    helpFiles << fileName;
}

void ScriptedPlatform::pushCursor(Cursor shape)
{
    cursorStack.push_back(shape);
}

void ScriptedPlatform::popCursor()
{
    if (!cursorStack.empty())
        cursorStack.pop_back();
}

void ScriptedPlatform::setPointerPosition(QWidget&, const QPoint& local)
{
    pointerPlacements.push_back(local);
}

void ScriptedPlatform::confinePointer(QWidget&, const QRect& local)
{
    confinement = local;
    captured = true;
}

void ScriptedPlatform::releasePointer()
{
    confinement = QRect();
    captured = false;
}

}  // namespace corvane
