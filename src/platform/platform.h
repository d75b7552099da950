#pragma once
// The thin layer between the program and the desktop. Everything that shows a
// message, asks for a file, a colour or a printer, touches the clipboard or the
// pointer, or runs a modal dialog goes through here, so that tests can answer
// from a script and see exactly what the user would have seen.
#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

class QDialog;
class QPrinter;
class QRect;
class QPoint;
class QWidget;

namespace corvane {

class Platform {
public:
    virtual ~Platform() = default;

    // Modal message boxes with the program's exact texts.
    virtual void information(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual bool confirm(const QString& text) = 0;   // Yes / No: true for Yes
    // A question with Yes, No and Cancel (Esc and the close box cancel).
    enum class Answer { Yes, No, Cancel };
    virtual Answer ask(const QString& text) = 0;
    // A question with a button for each choice and Cancel: the index of the
    // choice taken, or -1 when cancelled.
    virtual int choose(const QString& text, const QStringList& choices) = 0;

    // File dialogs with one filter, e.g. ("Saved models", "*.mod").
    // An empty result means the user cancelled. A name typed into a save
    // dialog without an extension comes back with the filter's (see
    // withFilterExtension).
    virtual QString openFileName(const QString& filterName, const QString& pattern) = 0;
    // suggested: the name the dialog starts with ("" for none).
    virtual QString saveFileName(const QString& filterName, const QString& pattern,
                                 const QString& suggested = {}) = 0;

    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;

    virtual void setClipboardText(const QString& text) = 0;

    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
    // Tests replace this with "fill, set the boxes, press a button".
    virtual int execDialog(QDialog& dialog) = 0;

    // The printer set-up dialog; what it chooses stays the current printer.
    virtual void configurePrinter() {}
    // A printer ready for a job (QPainter::begin starts it, end finishes it),
    // or nullptr when no job can start (the user cancelled). Without an
    // installed printer the job goes to a PDF file.
    virtual QPrinter* startPrintJob() { return nullptr; }

    // Shows the contents page of a help file; a missing file is reported here.
    virtual void showHelp(const QString& fileName) { (void)fileName; }

    // Cursor shapes as a stack: push for a long calculation or a drag, pop after.
    enum class Cursor { Arrow, Cross, Wait, Drag };
    virtual void pushCursor(Cursor shape) { (void)shape; }
    virtual void popCursor() {}

    // Pointer placement (in the widget's coordinates), confinement to a
    // rectangle of the widget and mouse capture, for the mouse commands.
    virtual void setPointerPosition(QWidget& widget, const QPoint& local)
    {
        (void)widget;
        (void)local;
    }
    virtual void confinePointer(QWidget& widget, const QRect& local)
    {
        (void)widget;
        (void)local;
    }
    virtual void releasePointer() {}
};

// A file name with the extension of the filter's first pattern ("*.mod") added
// when its last part has none, as desktop programs do, so that a file saved
// as "after_edit" shows in the program's own filtered open dialogs. Names
// with an extension of their own, and empty names, stay as they are.
QString withFilterExtension(const QString& name, const QString& pattern);

// True when name may be written: it does not exist, or the user agreed to
// replace it.
bool mayReplace(Platform& platform, const QString& name);

// The PDF file a print job without a printer writes: chosen by the user, and
// asked about when it exists. Empty when the user gave up.
QString choosePdfFile(Platform& platform);

// The hourglass for the length of a scope.
class BusyCursor {
public:
    explicit BusyCursor(Platform& p) : platform_(p) { platform_.pushCursor(Platform::Cursor::Wait); }
    ~BusyCursor() { platform_.popCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    Platform& platform_;
};

}  // namespace corvane
