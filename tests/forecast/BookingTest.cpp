#include "controls/SheetModel.h"
#include "forecast/ReservationModule.h"
#include "tests/forecast/WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;
using tavelin::CTavelinDlg;
using tavelin::HandOff;
using tavelin::MessageAnswer;
using tavelin::MessageKind;
using tavelin::test::ForecastWindow;

namespace {

const QString kRecording = QStringLiteral(TAVELIN_RECORDING_ORLEMBA);
const QString kEntryless = QStringLiteral(TAVELIN_ENTRYLESS_ORLEMBA);

bool isMapped(const QString &path)
{
    QFile maps(u"/proc/self/maps"_s);
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(path.toUtf8());
}

class Booking : public ForecastWindow
{
protected:
    void SetUp() override
    {
        ForecastWindow::SetUp();
        ASSERT_TRUE(scratch.isValid());
        recordPath = scratch.filePath(u"calls.jsonl"_s);
        qputenv("TAVELIN_ORLEMBA_RECORD", recordPath.toUtf8());
        tavelin::setReservationModuleCandidates({kRecording});
        open();
    }

    void TearDown() override
    {
        tavelin::setReservationModuleCandidates({});
        qunsetenv("TAVELIN_ORLEMBA_RECORD");
    }

    // Puts a figure into a grade cell and picks a command from its menu.
    void book(const QString &cellText, int command)
    {
        tavelin::SheetModel &sheet = gradeSheet();
        sheet.setRow(1);
        sheet.setCol(5);
        sheet.setText(cellText);
        messages.menuChoice = command;
        dialog->OnRightClickGridGrade(5, 1);
    }

    std::vector<QJsonObject> calls() const
    {
        std::vector<QJsonObject> result;
        QFile file(recordPath);
        if (!file.open(QIODevice::ReadOnly))
            return result;
        for (const QByteArray &line : file.readAll().split('\n'))
            if (!line.isEmpty())
                result.push_back(QJsonDocument::fromJson(line).object());
        return result;
    }

    QTemporaryDir scratch;
    QString recordPath;
};

} // namespace

TEST_F(Booking, BothCommandsHandOverTheSameSixArguments)
{
    tavelin::hostContext().hostText = u"前台 1|user=zhang"_s;
    book(u"3"_s, CTavelinDlg::IdBookNormal);
    book(u"3"_s, CTavelinDlg::IdBookWaitlist);
    const auto made = calls();
    ASSERT_EQ(made.size(), 2u);
    for (const QJsonObject &call : made) {
        EXPECT_EQ(call[u"hostText"_s].toString(), u"前台 1|user=zhang"_s);
        EXPECT_EQ(call[u"businessDate"_s].toString(), QString::number(tavelin::hostContext().businessDate));
        EXPECT_EQ(call[u"mode"_s].toInt(), 2);
        EXPECT_EQ(call[u"first"_s].toInt(), 0);
        EXPECT_EQ(call[u"second"_s].toInt(), 0);
        EXPECT_TRUE(call[u"replyWasEmpty"_s].toBool());
    }
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(isMapped(kRecording)) << "the module is unloaded after each call";
}

TEST_F(Booking, AnOverBookedGradeAsksFirst)
{
    messages.questionAnswer = MessageAnswer::No;
    book(u"-2"_s, CTavelinDlg::IdBookNormal);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"该等级客房已超预定，是否继续？"_s);
    EXPECT_EQ(messages.shown[0].caption, u"警告"_s);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Question);
    EXPECT_TRUE(calls().empty()) << "No ends the command before anything loads";

    messages.questionAnswer = MessageAnswer::Yes;
    book(u"-2"_s, CTavelinDlg::IdBookWaitlist);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(calls().size(), 1u);
}

TEST_F(Booking, NoneOrAnEmptyCellAsksNothing)
{
    book(u"0"_s, CTavelinDlg::IdBookNormal);
    book(QString(), CTavelinDlg::IdBookNormal);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(calls().size(), 2u);
}

TEST_F(Booking, TheGridsKeepTheirFiguresAfterABooking)
{
    std::vector<QString> before;
    for (int r = 0; r <= gradeSheet().maxRows(); ++r)
        for (int c = 0; c <= gradeSheet().maxCols(); ++c)
            before.push_back(gradeSheet().cellText(c, r));
    messages.menuChoice = CTavelinDlg::IdBookNormal;
    dialog->OnRightClickGridGrade(2, 2);
    ASSERT_EQ(calls().size(), 1u);
    std::size_t i = 0;
    for (int r = 0; r <= gradeSheet().maxRows(); ++r)
        for (int c = 0; c <= gradeSheet().maxCols(); ++c)
            EXPECT_EQ(gradeSheet().cellText(c, r), before[i++]);
}

TEST_F(Booking, AMissingModuleIsNamedAsThisPlatformNamesIt)
{
    tavelin::setReservationModuleCandidates({scratch.filePath(u"liborlemba.so"_s)});
    book(u"3"_s, CTavelinDlg::IdBookNormal);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"找不到所需的liborlemba.so!"_s);
    EXPECT_EQ(messages.shown[0].caption, u"提示信息"_s);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
}

TEST_F(Booking, AModuleWithoutTheEntryIsReportedAndUnloaded)
{
    tavelin::setReservationModuleCandidates({kEntryless});
    book(u"3"_s, CTavelinDlg::IdBookNormal);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"调用RsvDetail_Ex函数错误!"_s);
    EXPECT_EQ(messages.shown[0].caption, u"系统错误"_s);
    EXPECT_FALSE(isMapped(kEntryless));
}

TEST(ReservationModuleSearch, LooksBesideTheProgramThenByNameNeverInTheWorkingFolder)
{
    const QStringList candidates = tavelin::reservationModuleCandidates();
    ASSERT_EQ(candidates.size(), 2);
    EXPECT_EQ(candidates[0], QDir(QCoreApplication::applicationDirPath()).filePath(u"liborlemba.so"_s));
    EXPECT_EQ(candidates[1], u"orlemba"_s);

    // A module in the working folder is not found by name.
    QTemporaryDir here;
    ASSERT_TRUE(QFile::copy(kRecording, here.filePath(u"liborlemba.so"_s)));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(here.path()));
    tavelin::setReservationModuleCandidates({u"orlemba"_s});
    const HandOff result = tavelin::handOffToReservation(u"x"_s, 0);
    tavelin::setReservationModuleCandidates({});
    QDir::setCurrent(previous);
    EXPECT_EQ(result, HandOff::ModuleMissing);

    // The first candidate that loads is the one called.
    QTemporaryDir scratch;
    qputenv("TAVELIN_ORLEMBA_RECORD", scratch.filePath(u"calls"_s).toUtf8());
    tavelin::setReservationModuleCandidates({scratch.filePath(u"liborlemba.so"_s), kRecording, kEntryless});
    EXPECT_EQ(tavelin::handOffToReservation(u"x"_s, 5), HandOff::Done);
    tavelin::setReservationModuleCandidates({});
    qunsetenv("TAVELIN_ORLEMBA_RECORD");
    EXPECT_TRUE(QFile::exists(scratch.filePath(u"calls"_s)));
}
