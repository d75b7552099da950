#include "platform/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

// Keeps the pointer inside a rectangle of one widget by putting it back at
// the nearest point inside whenever it leaves.
class QtPlatform::Confiner : public QObject {
public:
    Confiner(QWidget& w, const QRect& r) : widget_(&w), rect_(r.normalized()) { hold(); }
    ~Confiner() override { letGo(); }

    // A box or dialog opened meanwhile needs the pointer: lets go while it is
    // open (boxes may open from boxes) and takes hold again after the last.
    void suspend()
    {
        if (suspended_++ == 0)
            letGo();
    }
    void resume()
    {
        if (suspended_ > 0 && --suspended_ == 0)
            hold();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && event->type() == QEvent::MouseMove) {
            const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (!rect_.contains(p)) {
                const QPoint inside(std::clamp(p.x(), rect_.left(), rect_.right()),
                                    std::clamp(p.y(), rect_.top(), rect_.bottom()));
                QCursor::setPos(widget_->mapToGlobal(inside));
            }
        }
        return false;
    }

private:
    void hold()
    {
        if (!widget_ || holding_)
            return;
        widget_->installEventFilter(this);
        widget_->grabMouse();
        holding_ = true;
    }
    void letGo()
    {
        if (!widget_ || !holding_)
            return;
        widget_->removeEventFilter(this);
        widget_->releaseMouse();
        holding_ = false;
    }

    QPointer<QWidget> widget_;
    QRect rect_;
    int suspended_ = 0;
    bool holding_ = false;
};

// For the life of a modal box or dialog: the pointer is free and an arrow.
class QtPlatform::ModalScope {
public:
    explicit ModalScope(QtPlatform& p) : platform_(p), confiner_(p.confiner_.get())
    {
        if (confiner_)
            confiner_->suspend();
        arrow_ = platform_.cursorDepth_ > 0;
        if (arrow_)
            QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    }
    ~ModalScope()
    {
        if (arrow_)
            QApplication::restoreOverrideCursor();
        // The command may have ended while the box was open.
        if (confiner_ && platform_.confiner_.get() == confiner_)
            confiner_->resume();
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    QtPlatform& platform_;
    Confiner* confiner_;
    bool arrow_ = false;
};

QtPlatform::QtPlatform() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

QtPlatform::~QtPlatform()
{
    confiner_.reset();
    while (cursorDepth_ > 0)
        popCursor();
}

void QtPlatform::information(const QString& text)
{
    const ModalScope modal(*this);
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok,
                    parent_);
    box.exec();
}

void QtPlatform::error(const QString& text)
{
    const ModalScope modal(*this);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, parent_);
    box.exec();
}

void QtPlatform::warning(const QString& text)
{
    const ModalScope modal(*this);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPlatform::confirm(const QString& text)
{
    const ModalScope modal(*this);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

Platform::Answer QtPlatform::ask(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

int QtPlatform::choose(const QString& text, const QStringList& choices)
{
    const ModalScope modal(*this);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Question"), text, QMessageBox::Cancel, parent_);
    std::vector<QAbstractButton*> buttons;
    for (const QString& c : choices)
        buttons.push_back(box.addButton(c, QMessageBox::AcceptRole));
    if (!buttons.empty())
        box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const auto at = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return at == buttons.end() ? -1 : static_cast<int>(at - buttons.begin());
}

namespace {

// Patterns may be written "*.dta;*.dat"; Qt's file dialog separates them by blanks.
QString filterText(const QString& name, const QString& pattern)
{
    QString patterns = pattern;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return name + QStringLiteral(" (") + patterns + QStringLiteral(")");
}

}  // namespace

QString QtPlatform::openFileName(const QString& filterName, const QString& pattern)
{
    const ModalScope modal(*this);
    return QFileDialog::getOpenFileName(parent_, QStringLiteral("Open"), QString(),
                                        filterText(filterName, pattern));
}

QString QtPlatform::saveFileName(const QString& filterName, const QString& pattern, const QString& suggested)
{
    const ModalScope modal(*this);
    // The program asks itself where overwriting needs a question, once the
    // name has its extension.
    return withFilterExtension(QFileDialog::getSaveFileName(parent_, QStringLiteral("Save As"), suggested,
                                                            filterText(filterName, pattern), nullptr,
                                                            QFileDialog::DontConfirmOverwrite),
                               pattern);
}

std::optional<QColor> QtPlatform::chooseColour(const QColor& initial)
{
    const ModalScope modal(*this);
    const QColor c = QColorDialog::getColor(initial, parent_, QStringLiteral("Color"));
    if (!c.isValid())
        return std::nullopt;
    return c;
}

void QtPlatform::setClipboardText(const QString& text)
{
    QApplication::clipboard()->setText(text);
}

int QtPlatform::execDialog(QDialog& dialog)
{
    const ModalScope modal(*this);
    return dialog.exec();
}

void QtPlatform::configurePrinter()
{
    const ModalScope modal(*this);
    QPrintDialog dialog(printer_.get(), parent_);
    if (dialog.exec() == QDialog::Accepted)
        printerChosen_ = true;
}

QPrinter* QtPlatform::startPrintJob()
{
    if (printer_->outputFormat() == QPrinter::NativeFormat && !printerChosen_
        && QPrinterInfo::availablePrinters().isEmpty()) {
        // No printer installed: print to a PDF file of the user's choosing.
        const QString name = choosePdfFile(*this);
        if (name.isEmpty())
            return nullptr;
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(name);
    } else if (printer_->outputFormat() == QPrinter::PdfFormat) {
        const QString name = choosePdfFile(*this);
        if (name.isEmpty())
            return nullptr;
        printer_->setOutputFileName(name);
    }
    return printer_.get();
}

void QtPlatform::showHelp(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        error(QStringLiteral("The help file %1 cannot be opened.").arg(fileName));
        return;
    }
    const QString html = QString::fromUtf8(file.readAll());
    // One viewer for the whole run, shown without blocking the program.
    QPointer<QDialog>& viewer = helpViewer_;
    if (!viewer) {
        viewer = new QDialog(parent_);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setWindowTitle(QStringLiteral("Corvane Help"));
        viewer->resize(560, 480);
        auto* layout = new QVBoxLayout(viewer);
        auto* browser = new QTextBrowser(viewer);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenExternalLinks(false);
        layout->addWidget(browser);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, viewer);
        QObject::connect(buttons, &QDialogButtonBox::rejected, viewer, &QDialog::close);
        layout->addWidget(buttons);
    }
    auto* browser = viewer->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
    browser->setSearchPaths({QFileInfo(fileName).absolutePath()});
    browser->setHtml(html);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
}

void QtPlatform::pushCursor(Cursor shape)
{
    Qt::CursorShape s = Qt::ArrowCursor;
    switch (shape) {
    case Cursor::Arrow: s = Qt::ArrowCursor; break;
    case Cursor::Cross: s = Qt::CrossCursor; break;
    case Cursor::Wait: s = Qt::WaitCursor; break;
    case Cursor::Drag: s = Qt::SizeAllCursor; break;
    }
    QApplication::setOverrideCursor(QCursor(s));
    ++cursorDepth_;
}

void QtPlatform::popCursor()
{
    if (cursorDepth_ <= 0)
        return;
    QApplication::restoreOverrideCursor();
    --cursorDepth_;
}

void QtPlatform::setPointerPosition(QWidget& widget, const QPoint& local)
{
    QCursor::setPos(widget.mapToGlobal(local));
}

void QtPlatform::confinePointer(QWidget& widget, const QRect& local)
{
    confiner_.reset();
    confiner_ = std::make_unique<Confiner>(widget, local);
}

void QtPlatform::releasePointer()
{
    confiner_.reset();
}

}  // namespace corvane
