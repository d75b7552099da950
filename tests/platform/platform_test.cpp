// The scripted platform answers from its queues and records what the user
// would have seen; the Qt platform's non-modal parts work headless.
#include "platform/qt_platform.h"
#include "platform/scripted_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace corvane;
using Kind = ScriptedPlatform::Kind;

TEST(ScriptedPlatform, AnswersFromQueuesThenRefuses)
{
    ScriptedPlatform p;
    p.confirmAnswers = {true, false};
    p.openNames = {QStringLiteral("/tmp/a.mod")};
    p.colours = {QColor(1, 2, 3)};

    EXPECT_TRUE(p.confirm(QStringLiteral("Exit Corvane ?")));
    EXPECT_FALSE(p.confirm(QStringLiteral("second")));
    EXPECT_FALSE(p.confirm(QStringLiteral("queue empty: No")));
    EXPECT_EQ(p.openFileName(QStringLiteral("Saved models"), QStringLiteral("*.mod")),
              QStringLiteral("/tmp/a.mod"));
    EXPECT_TRUE(p.openFileName(QStringLiteral("Saved models"), QStringLiteral("*.mod")).isEmpty());
    EXPECT_TRUE(p.saveFileName(QStringLiteral("HPGL files"), QStringLiteral("*.hpg")).isEmpty());
    EXPECT_EQ(p.chooseColour(Qt::black), QColor(1, 2, 3));
    EXPECT_FALSE(p.chooseColour(Qt::black).has_value());

    ASSERT_EQ(p.fileRequests.size(), 3u);
    EXPECT_FALSE(p.fileRequests[0].save);
    EXPECT_TRUE(p.fileRequests[2].save);
    EXPECT_EQ(p.fileRequests[2].pattern, QStringLiteral("*.hpg"));
    EXPECT_EQ(p.texts(Kind::Confirm).size(), 3);
    EXPECT_EQ(p.messages.front().text, QStringLiteral("Exit Corvane ?"));
}

TEST(SaveDialogs, TypedNamesWithoutAnExtensionGetTheFilters)
{
    const struct {
        const char* typed;
        const char* pattern;
        const char* used;
    } cases[] = {
        {"/data/after_edit", "*.mod", "/data/after_edit.mod"},
        {"/data/after_edit.", "*.mod", "/data/after_edit.mod"},
        {"/data/after_edit.mod", "*.mod", "/data/after_edit.mod"},
        {"/data/copy.bak", "*.mod", "/data/copy.bak"},            // an extension of its own
        {"/data/v1.2/line7", "*.hpg", "/data/v1.2/line7.hpg"},    // a dot in a folder name
        {"report", "*.dta;*.dat", "report.dta"},
        {"/data/", "*.dxf", "/data/"},
        {"", "*.mod", ""},                                          // cancelled
        {"/data/any", "*", "/data/any"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(withFilterExtension(c.typed, c.pattern), QString(c.used)) << c.typed << " " << c.pattern;

    // The scripted dialog gives back, and records, the name the desktop's would.
    ScriptedPlatform p;
    p.saveNames = {QStringLiteral("/tmp/after_edit")};
    EXPECT_EQ(p.saveFileName(QStringLiteral("Saved models"), QStringLiteral("*.mod")), "/tmp/after_edit.mod");
    EXPECT_EQ(p.fileRequests.back().name, "/tmp/after_edit.mod");
}

TEST(ScriptedPlatform, RecordsMessagesOfEachKind)
{
    ScriptedPlatform p;
    p.information(QStringLiteral("i"));
    p.error(QStringLiteral("e"));
    p.warning(QStringLiteral("w"));
    ASSERT_EQ(p.messages.size(), 3u);
    EXPECT_EQ(p.messages[0].kind, Kind::Information);
    EXPECT_EQ(p.messages[1].kind, Kind::Error);
    EXPECT_EQ(p.last().kind, Kind::Warning);
    EXPECT_EQ(p.texts(Kind::Error), QStringList{QStringLiteral("e")});
    p.clear();
    EXPECT_TRUE(p.messages.empty());
    EXPECT_TRUE(p.last().text.isEmpty());
}

TEST(ScriptedPlatform, DialogsAreShownToTheHandlerOrCancelled)
{
    ScriptedPlatform p;
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("Tgridoptions"));
    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("xstep"));

    EXPECT_EQ(p.execDialog(dialog), QDialog::Rejected);   // no handler
    bool wasVisible = false;
    p.dialogHandler = [&](QDialog& d) {
        wasVisible = d.isVisible();
        d.findChild<QLineEdit*>(QStringLiteral("xstep"))->setText(QStringLiteral("5"));
        return int(QDialog::Accepted);
    };
    EXPECT_EQ(p.execDialog(dialog), QDialog::Accepted);
    EXPECT_TRUE(wasVisible);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    EXPECT_EQ(p.dialogsRun, QStringList({QStringLiteral("Tgridoptions"), QStringLiteral("Tgridoptions")}));
}

TEST(ScriptedPlatform, PrintJobWritesPdfAndCursorStackBalances)
{
    QTemporaryDir dir;
    ScriptedPlatform p;
    p.printFileName = dir.filePath(QStringLiteral("out.pdf"));
    QPrinter* printer = p.startPrintJob();
    ASSERT_NE(printer, nullptr);
    {
        QPainter painter;
        ASSERT_TRUE(painter.begin(printer));
        painter.drawLine(0, 0, 100, 100);
        painter.end();
    }
    EXPECT_GT(QFileInfo(p.printFileName).size(), 0);
    EXPECT_EQ(p.printJobs, 1);

    {
        BusyCursor busy(p);
        ASSERT_EQ(p.cursorStack.size(), 1u);
        EXPECT_EQ(p.cursorStack.back(), Platform::Cursor::Wait);
    }
    EXPECT_TRUE(p.cursorStack.empty());

    QWidget w;
    p.confinePointer(w, QRect(40, 235, 600, 230));
    EXPECT_TRUE(p.captured);
    p.releasePointer();
    EXPECT_FALSE(p.captured);
    EXPECT_TRUE(p.confinement.isNull());
}

TEST(QtPlatform, ClipboardAndCursorOverrides)
{
    QtPlatform p;
    p.setClipboardText(QStringLiteral("Body 1\n"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Body 1\n"));

    p.pushCursor(Platform::Cursor::Wait);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    p.pushCursor(Platform::Cursor::Cross);
    p.popCursor();
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    p.popCursor();
    p.popCursor();   // one too many is harmless
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtPlatform, BoxesDuringAMouseCommandTakeClicksAndTheGrabReturns)
{
    QWidget area;   // as the drawing area is while a command runs
    area.setMouseTracking(true);
    area.resize(400, 300);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    QtPlatform p;
    p.setParentWindow(&area);
    const QRect panel(40, 150, 300, 100);
    p.pushCursor(Platform::Cursor::Cross);
    p.confinePointer(area, panel);
    ASSERT_EQ(QWidget::mouseGrabber(), &area);

    // Clicks OK of the box the way the window system delivers a click, so a
    // grab held elsewhere would take it; a box the click misses is closed
    // from here and counted, so that the test cannot hang.
    bool grabbedWhileOpen = true, missed = false;
    Qt::CursorShape cursorWhileOpen = Qt::CrossCursor;
    int boxes = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        poll.stop();
        ++boxes;
        grabbedWhileOpen = QWidget::mouseGrabber() != nullptr;
        cursorWhileOpen = QApplication::overrideCursor()->shape();
        QAbstractButton* ok = box->buttons().front();
        QTest::mouseClick(box->windowHandle(), Qt::LeftButton, {}, ok->mapTo(box, ok->rect().center()));
        QTimer::singleShot(200, box, [&, box] {
            if (box->isVisible()) {
                missed = true;
                box->done(QMessageBox::Ok);
            }
        });
    });
    poll.start(10);
    p.error(QStringLiteral("The minimum no. of corners in a body is 3."));
    EXPECT_EQ(boxes, 1);
    EXPECT_FALSE(grabbedWhileOpen);
    EXPECT_FALSE(missed);
    EXPECT_EQ(cursorWhileOpen, Qt::ArrowCursor);

    // Afterwards the command has the pointer again, held to its panel.
    EXPECT_EQ(QWidget::mouseGrabber(), &area);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QCursor::setPos(area.mapToGlobal(QPoint(5, 5)));
    QTest::mouseMove(area.windowHandle(), QPoint(5, 5));
    EXPECT_TRUE(panel.contains(area.mapFromGlobal(QCursor::pos())));
    p.releasePointer();
    p.popCursor();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(ScriptedPlatform, APdfFileThatExistsIsReplacedOnlyWhenTheUserAgrees)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("plot.pdf"));
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QString fresh = dir.filePath(QStringLiteral("new.pdf"));
    struct Case { QString name; std::deque<bool> answers; QString expected; std::size_t questions; };
    const Case cases[] = {
        {fresh, {}, fresh, 0},
        {existing, {true}, existing, 1},
        {existing, {false}, QString(), 1},
        {QString(), {}, QString(), 0},   // the file dialog cancelled
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ScriptedPlatform p;
        p.saveNames = {c.name};
        p.confirmAnswers = c.answers;
        EXPECT_EQ(choosePdfFile(p), c.expected);
        EXPECT_EQ(p.confirmAnswers.size(), c.answers.size() - c.questions);
    }
}
