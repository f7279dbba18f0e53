#include "hosting/Tavelin.h"
#include "tests/fixtures/SmallHotel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFile>
#include <QLibrary>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

using namespace Qt::StringLiterals;

namespace {

QStringList g_debugLines;

void captureDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg)
        g_debugLines << message;
}

class CapturedDebug
{
public:
    CapturedDebug() { g_debugLines.clear(); m_previous = qInstallMessageHandler(captureDebug); }
    ~CapturedDebug() { qInstallMessageHandler(m_previous); }
    CapturedDebug(const CapturedDebug &) = delete;
    CapturedDebug &operator=(const CapturedDebug &) = delete;

private:
    QtMessageHandler m_previous = nullptr;
};

qint64 localMidnight(int y, int m, int d)
{
    return QDate(y, m, d).startOfDay().toSecsSinceEpoch();
}

// What the window showed while it was open; it is closed as soon as it has been read.
struct SeenWindow
{
    QString title;
    QDate begin;
    QDate end;
    bool dueOutChecked = false;
};

// Calls Tavelin_Ex and closes its window from inside the modal run with the given button.
SeenWindow callAndClose(TavelinExFunction entry, const QString &text, qint64 date, QSqlDatabase *db, quint32 word,
                        const char *closeButton)
{
    SeenWindow seen;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *window = QApplication::activeModalWidget();
        if (!window)
            return;
        poll.stop();
        seen.title = window->windowTitle();
        seen.begin = window->findChild<QDateEdit *>(u"dtpBegin"_s)->date();
        seen.end = window->findChild<QDateEdit *>(u"dtpEnd"_s)->date();
        seen.dueOutChecked = window->findChild<QCheckBox *>(u"chkIncludeDueOut"_s)->isChecked();
        if (closeButton)
            window->findChild<QPushButton *>(QString::fromLatin1(closeButton))->click();
        else
            window->close();
    });
    poll.start();
    entry(text, date, db, word);
    return seen;
}

} // namespace

TEST(EntryPoint, LoadAndUnloadTraceOnceAndRegisterResources)
{
    CapturedDebug capture;
    QLibrary module(QStringLiteral(TAVELIN_MODULE_PATH));
    ASSERT_TRUE(module.load()) << module.errorString().toStdString();
    EXPECT_EQ(g_debugLines, QStringList{u"TAVELIN.DLL Initializing!\n"_s});
    EXPECT_TRUE(QFile::exists(u":/tavelin/background.png"_s));
    EXPECT_TRUE(QFile::exists(u":/tavelin/TavelinDlg.ui"_s));

    // Threads coming and going write nothing.
    std::thread([] {}).join();
    EXPECT_EQ(g_debugLines.size(), 1);

    ASSERT_TRUE(module.unload()) << module.errorString().toStdString();
    EXPECT_EQ(g_debugLines, (QStringList{u"TAVELIN.DLL Initializing!\n"_s, u"TAVELIN.DLL Terminating!\n"_s}));
    EXPECT_FALSE(QFile::exists(u":/tavelin/background.png"_s));
}

TEST(EntryPoint, ExportedUnmangledAndEachCallUsesItsOwnValues)
{
    QLibrary module(QStringLiteral(TAVELIN_MODULE_PATH));
    ASSERT_TRUE(module.load()) << module.errorString().toStdString();
    const auto entry = reinterpret_cast<TavelinExFunction>(module.resolve("Tavelin_Ex"));
    ASSERT_NE(entry, nullptr) << "Tavelin_Ex is not exported under its plain name";

    tavelin::test::MemoryDatabase hotel;
    hotel.exec(tavelin::test::smallHotelStatements());

    const SeenWindow first =
        callAndClose(entry, u"first"_s, localMidnight(2006, 12, 28), &hotel.db(), 0xDEADBEEF, "btnExit");
    EXPECT_EQ(first.title, u"可租房情况"_s);
    EXPECT_EQ(first.begin, QDate(2006, 12, 28));
    EXPECT_EQ(first.end, QDate(2007, 1, 6));
    EXPECT_TRUE(first.dueOutChecked);

    // The fourth word is never read, and the close box ends the call as the exit button does.
    const SeenWindow second = callAndClose(entry, u"second"_s, localMidnight(2040, 2, 25), &hotel.db(), 0, nullptr);
    EXPECT_EQ(second.begin, QDate(2040, 2, 25)) << "a business date after 2038 must survive";
    EXPECT_EQ(second.end, QDate(2040, 3, 5));
}
