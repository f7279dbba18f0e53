// The forecast window over a database that fails under it: the server stops
// while the window is open, a forecast table goes missing or loses a column.
// The window says so through the message seam, puts the cursor back, stays
// usable and closes; once the database is back a search fills the grids again.

#include "controls/SheetModel.h"
#include "controls/SpreadSheet.h"
#include "controls/TransParentButton.h"
#include "forecast/Messages.h"
#include "forecast/TavelinDlg.h"
#include "hosting/HostContext.h"
#include "tests/engines/EngineHotel.h"
#include "tests/support/PgServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSqlError>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::StringLiterals;
using namespace tavelin::test;
using tavelin::CTavelinDlg;
using tavelin::MessageAnswer;
using tavelin::MessageKind;
using tavelin::SheetModel;

namespace {

const QString DatabaseMessage = u"查询数据库出错："_s;
const QString DatabaseCaption = u"系统错误"_s;

struct Shown
{
    QString text;
    QString caption;
};

class RecordingPresenter : public tavelin::MessagePresenter
{
public:
    RecordingPresenter() { tavelin::setMessagePresenter(this); }
    ~RecordingPresenter() override { tavelin::setMessagePresenter(nullptr); }
    RecordingPresenter(const RecordingPresenter &) = delete;
    RecordingPresenter &operator=(const RecordingPresenter &) = delete;

    MessageAnswer present(QWidget *, const QString &text, const QString &caption, MessageKind) override
    {
        shown.push_back({text, caption});
        return MessageAnswer::Ok;
    }
    QAction *popUp(QMenu &, const QPoint &) override { return nullptr; } // never a modal menu
    std::vector<Shown> shown;
};

class RestartOnExit
{
public:
    explicit RestartOnExit(PgServer &server) : m_server(server) {}
    ~RestartOnExit()
    {
        try {
            m_server.start();
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
    RestartOnExit(const RestartOnExit &) = delete;
    RestartOnExit &operator=(const RestartOnExit &) = delete;

private:
    PgServer &m_server;
};

// Every cell text, row by row, headings included.
QStringList cells(const SheetModel &sheet)
{
    QStringList texts;
    for (int r = 0; r <= sheet.maxRows(); ++r)
        for (int c = 0; c <= sheet.maxCols(); ++c)
            texts.append(sheet.cellText(c, r));
    return texts;
}

struct Case
{
    Engine engine;
    ColumnTypes types;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << engineName(c.engine) << ' ' << columnTypesName(c.types);
}

std::string caseLabel(const ::testing::TestParamInfo<Case> &info)
{
    return engineName(info.param.engine) + "_" + columnTypesName(info.param.types);
}

class WindowFaults : public ::testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        const Engine engine = GetParam().engine;
        for (const QString &driver : {qtDriverOf(engine), isPostgres(engine) ? u"QPSQL"_s : u"QSQLITE"_s})
            if (!QSqlDatabase::isDriverAvailable(driver))
                GTEST_SKIP() << "Qt SQL driver " << driver.toStdString() << " is not installed";
        if (engine == Engine::PostgresOdbc)
            postgresOdbcDriver();
        ScopedConnection source = generateDemoHotelInMemory();
        database = openEngineHotel(engine, GetParam().types, *source);

        auto &context = tavelin::hostContext();
        context.businessDate = tavelin::secondsAtLocalMidnight(DemoBusinessDate);
        context.database = database.connection.get();
        context.hostText = u"host"_s;
    }

    void TearDown() override
    {
        dialog.reset();
        tavelin::hostContext().database = nullptr;
    }

    void open()
    {
        dialog = std::make_unique<CTavelinDlg>();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    QSqlDatabase &db() { return *database.connection; }
    SheetModel &gradeSheet() { return *dialog->m_gridGrade->sheet(); }
    SheetModel &orgSheet() { return *dialog->m_gridOrg->sheet(); }

    // The database message, shown once since the last check; the grids cleared
    // to their corners, the cursor back, the window still open.
    void expectDatabaseMessage(std::size_t shownBefore, const QString &driverTextPart)
    {
        ASSERT_EQ(messages.shown.size(), shownBefore + 1);
        const Shown &last = messages.shown.back();
        EXPECT_TRUE(last.text.startsWith(DatabaseMessage)) << last.text.toStdString();
        EXPECT_GT(last.text.size(), DatabaseMessage.size()) << "the driver's text follows";
        EXPECT_TRUE(last.text.contains(driverTextPart, Qt::CaseInsensitive)) << last.text.toStdString();
        EXPECT_EQ(last.caption, DatabaseCaption);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(dialog->isVisible());
        for (SheetModel *sheet : {&gradeSheet(), &orgSheet()}) {
            EXPECT_EQ(sheet->maxRows(), 0);
            EXPECT_EQ(sheet->maxCols(), 0);
        }
        EXPECT_EQ(gradeSheet().cellText(0, 0), u"客房等级"_s);
        EXPECT_EQ(orgSheet().cellText(0, 0), u"客源类型"_s);
    }

    void expectClosesWithExit()
    {
        dialog->m_btnExit->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }

    EngineDatabase database;
    RecordingPresenter messages;
    std::unique_ptr<CTavelinDlg> dialog;
};

using StoppedServer = WindowFaults;

TEST_P(StoppedServer, IsReportedAndASearchWorksAgainAfterReopening)
{
    PgServer &server = PgEnvironment::server();
    open();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    // Fixed-width codes list as varchar ones do.
    EXPECT_EQ(dialog->m_cmbSection->itemText(1), u"A     主楼"_s);
    const QStringList grades = cells(gradeSheet());
    const QStringList orgs = cells(orgSheet());
    ASSERT_GT(gradeSheet().maxRows(), 4);
    ASSERT_GT(orgSheet().maxRows(), 1);

    {
        RestartOnExit restart(server);
        server.stop();
        for (std::size_t attempt = 0; attempt < 2; ++attempt) {
            SCOPED_TRACE("search " + std::to_string(attempt + 1) + " on the stopped server");
            QElapsedTimer timer;
            timer.start();
            dialog->OnSearch();
            const qint64 microseconds = timer.nsecsElapsed() / 1000;
            expectDatabaseMessage(attempt, QString());
            EXPECT_LT(microseconds, 5'000'000) << "reported at once, not after a time-out";
            std::cout << "  search " << attempt + 1 << " on the stopped server reported after " << microseconds
                      << " us: " << messages.shown.back().text.toStdString() << '\n';
        }
        // Still usable: the tabs switch, the criteria change.
        dialog->m_tabView->setCurrentIndex(1);
        EXPECT_TRUE(dialog->m_gridOrg->isVisible());
        dialog->m_tabView->setCurrentIndex(0);
    }

    db().close();
    ASSERT_TRUE(db().open()) << db().lastError().text().toStdString();
    messages.shown.clear();
    dialog->OnSearch();
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    EXPECT_EQ(cells(gradeSheet()), grades);
    EXPECT_EQ(cells(orgSheet()), orgs);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    expectClosesWithExit();
}

TEST_P(StoppedServer, ClosesWhileTheServerIsDown)
{
    PgServer &server = PgEnvironment::server();
    open();
    RestartOnExit restart(server);
    server.stop();
    QTest::keyClick(dialog->m_cmbSection, Qt::Key_Return); // Enter searches
    expectDatabaseMessage(0, QString());
    QTest::keyClick(dialog->m_cmbSection, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

constexpr ColumnTypes ServerTypes{DateColumns::Timestamp, RoomColumns::Numeric, CodeColumns::Char};

INSTANTIATE_TEST_SUITE_P(Engines, StoppedServer,
                         ::testing::Values(Case{Engine::Postgres, ServerTypes},
                                           Case{Engine::PostgresOdbc, ServerTypes}),
                         caseLabel);

TEST_P(WindowFaults, AMissingTableIsReportedAndTheWindowStaysUsable)
{
    open();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    ASSERT_TRUE(execAll(db(), {u"DROP TABLE Tavelin_1"_s}));
    dialog->OnSearch();
    expectDatabaseMessage(0, u"Tavelin_1"_s);
    dialog->OnSearch();
    expectDatabaseMessage(1, u"Tavelin_1"_s);
    expectClosesWithExit();
}

TEST_P(WindowFaults, AMissingColumnIsReportedAndTheOtherSumStillWorks)
{
    open();
    ASSERT_TRUE(messages.shown.empty()) << messages.shown[0].text.toStdString();
    dialog->m_chkIncludeDueOut->setChecked(false);
    dialog->OnSearch();
    const QStringList orgs = cells(orgSheet());

    ASSERT_TRUE(execAll(db(), tavelin2WithoutRooms()));
    dialog->m_chkIncludeDueOut->setChecked(true);
    dialog->OnSearch();
    expectDatabaseMessage(0, u"rooms"_s);

    // Without due-outs the search sums rooms_ED, which is still there.
    dialog->m_chkIncludeDueOut->setChecked(false);
    dialog->OnSearch();
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(cells(orgSheet()), orgs);
    expectClosesWithExit();
}

INSTANTIATE_TEST_SUITE_P(Engines, WindowFaults,
                         ::testing::Values(Case{Engine::Sqlite, {}}, Case{Engine::SqliteOdbc, {}},
                                           Case{Engine::Postgres, {}}, Case{Engine::PostgresOdbc, {}}),
                         caseLabel);

} // namespace

int main(int argc, char **argv)
{
    // Widget tests never need a display, also when gtest only lists them.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PgEnvironment);
    return RUN_ALL_TESTS();
}
