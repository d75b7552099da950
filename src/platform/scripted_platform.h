#pragma once
// A platform for tests: answers come from queues the test fills, and every
// message, file request, dialog, print job and pointer call is recorded.
#include "platform/platform.h"

#include <QRect>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace corvane {

class ScriptedPlatform : public Platform {
public:
    enum class Kind { Information, Error, Warning, Confirm, Question };
    struct Message {
        Kind kind;
        QString text;
    };
    struct FileRequest {
        bool save;
        QString filterName;
        QString pattern;
        QString name;   // the name given back (a save's with the filter's extension)
        QString suggested;   // the name a save dialog started with
    };

    ScriptedPlatform();
    ~ScriptedPlatform() override;

    // --- answers (an empty queue answers No, cancel, or no colour) ---
    std::deque<bool> confirmAnswers;
    std::deque<Answer> questionAnswers;   // Yes / No / Cancel; empty answers Cancel
    std::deque<int> choices;              // the choice taken (an index); empty cancels
    std::deque<QString> openNames;
    std::deque<QString> saveNames;
    std::deque<std::optional<QColor>> colours;
    // Runs each modal dialog: fill its boxes, press a button, return the
    // result. Without a handler a dialog is cancelled.
    std::function<int(QDialog&)> dialogHandler;
    // Where print jobs go (a PDF file); empty means a file in a temporary folder.
    QString printFileName;

    // --- what was shown ---
    std::vector<Message> messages;
    std::vector<FileRequest> fileRequests;
    QStringList dialogsRun;   // objectName of each dialog, or its class name
    QString clipboard;
    int printerSetups = 0;
    int printJobs = 0;
    QStringList helpFiles;
    std::vector<Cursor> cursorStack;
    std::vector<QPoint> pointerPlacements;
    QRect confinement;        // null when the pointer is free
    bool captured = false;

    // The last message, or an empty one.
    Message last() const;
    // Texts of every message of one kind, in order.
    QStringList texts(Kind kind) const;
    void clear();

    void information(const QString& text) override;
    void error(const QString& text) override;
    void warning(const QString& text) override;
    bool confirm(const QString& text) override;
    Answer ask(const QString& text) override;
    int choose(const QString& text, const QStringList& choices) override;
    QString openFileName(const QString& filterName, const QString& pattern) override;
    QString saveFileName(const QString& filterName, const QString& pattern, const QString& suggested = {}) override;
    std::optional<QColor> chooseColour(const QColor& initial) override;
    void setClipboardText(const QString& text) override;
    int execDialog(QDialog& dialog) override;
    void configurePrinter() override;
    QPrinter* startPrintJob() override;
    void showHelp(const QString& fileName) override;
    void pushCursor(Cursor shape) override;
    void popCursor() override;
    void setPointerPosition(QWidget& widget, const QPoint& local) override;
    void confinePointer(QWidget& widget, const QRect& local) override;
    void releasePointer() override;

private:
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace corvane
