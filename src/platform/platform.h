#pragma once
// The thin layer between the program and the desktop. Everything that shows a
// message, asks for a file, a colour or a printer, touches the clipboard or the
// pointer, or runs a modal dialog goes through here, so that tests can answer
// from a script and see exactly what the user would have seen.
#include <QColor>
#include <QString>

#include <optional>

class QDialog;

namespace corvane {

class Platform {
public:
    virtual ~Platform() = default;

    // Modal message boxes with the program's exact texts.
    virtual void information(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual bool confirm(const QString& text) = 0;   // Yes / No: true for Yes

    // File dialogs with one filter, e.g. ("Saved models", "*.mod").
    // An empty result means the user cancelled.
    virtual QString openFileName(const QString& filterName, const QString& pattern) = 0;
    virtual QString saveFileName(const QString& filterName, const QString& pattern) = 0;

    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;

    virtual void setClipboardText(const QString& text) = 0;

    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
    // Tests replace this with "fill, set the boxes, press a button".
    virtual int execDialog(QDialog& dialog) = 0;
};

}  // namespace corvane
