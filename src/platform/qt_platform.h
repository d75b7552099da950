#pragma once
// The platform on the real desktop: Qt message boxes, file dialogs, colour
// chooser, printer, clipboard, help viewer, cursor and pointer.
#include "platform/platform.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QRect>

#include <memory>

class QPrinter;

namespace corvane {

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    // The window that message boxes and dialogs are centred on.
    void setParentWindow(QWidget* parent) { parent_ = parent; }

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
    class Confiner;
    class ModalScope;

    QPointer<QWidget> parent_;
    std::unique_ptr<QPrinter> printer_;
    bool printerChosen_ = false;
    int cursorDepth_ = 0;
    std::unique_ptr<Confiner> confiner_;
    QPointer<QDialog> helpViewer_;
};

}  // namespace corvane
