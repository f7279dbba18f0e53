#include "controls/PrintHeader.h"
#include "controls/SheetModel.h"
#include "forecast/ForecastPrint.h"

#include <gtest/gtest.h>

#include <QDate>

using namespace Qt::StringLiterals;
using tavelin::PrintAlignment;
using tavelin::PrintRun;
using tavelin::SheetModel;

namespace {

struct PrintState
{
    QString header;
    QString abortMsg;
    QString jobName;
    bool optionA = false;
    bool optionB = false;
};

} // namespace

TEST(ForecastPrint, HeaderNamesBothFontsTheTitleAndThePrintDate)
{
    EXPECT_EQ(tavelin::forecastPrintHeader(QDate(2006, 12, 28)),
              u"/fn\"黑体\"/fz\"15\"/fu0/fb1/fi0/fk0/fs1/fn\"宋体\"/fz\"12\"/fu0/fb1/fi0/fk0/fs2"
              u"/n/c/f1可租房情况/n/l/f2打印日期: 2006-12-28"_s);
    // Zero-padded, whatever the locale would write.
    EXPECT_TRUE(tavelin::forecastPrintHeader(QDate(2027, 3, 5)).endsWith(u"打印日期: 2027-03-05"_s));
}

TEST(ForecastPrint, HeaderParsesIntoATitleLineAndADateLine)
{
    const tavelin::PrintHeader header = tavelin::parsePrintHeader(tavelin::forecastPrintHeader(QDate(2006, 12, 28)));
    ASSERT_EQ(header.fonts.size(), 2u);
    const tavelin::PrintFont hei = header.font(1);
    EXPECT_EQ(hei.face, u"黑体"_s);
    EXPECT_EQ(hei.pointSize, 15.0);
    EXPECT_TRUE(hei.bold);
    EXPECT_FALSE(hei.underline || hei.italic || hei.strikeOut);
    const tavelin::PrintFont song = header.font(2);
    EXPECT_EQ(song.face, u"宋体"_s);
    EXPECT_EQ(song.pointSize, 12.0);
    EXPECT_TRUE(song.bold);

    ASSERT_EQ(header.lines.size(), 2u);
    EXPECT_EQ(header.lines[0].alignment, PrintAlignment::Centre);
    EXPECT_EQ(header.lines[0].runs, (std::vector<PrintRun>{{1, u"可租房情况"_s}}));
    EXPECT_EQ(header.lines[1].alignment, PrintAlignment::Left);
    EXPECT_EQ(header.lines[1].runs, (std::vector<PrintRun>{{2, u"打印日期: 2006-12-28"_s}}));
}

// What the views read when the request reaches them.
TEST(ForecastPrint, EverySettingIsInPlaceWhenThePrintIsRequested)
{
    SheetModel sheet;
    // The opposite of what the forecast sets, so that each must be written.
    sheet.setPrintHeader(u"old"_s);
    sheet.setPrintOptionA(false);
    sheet.setPrintOptionB(true);

    std::vector<PrintState> requests;
    QObject::connect(&sheet, &SheetModel::printRequested, [&] {
        requests.push_back({sheet.printHeader(), sheet.printAbortMsg(), sheet.printJobName(), sheet.printOptionA(),
                            sheet.printOptionB()});
    });
    tavelin::requestForecastPrint(sheet, QDate(2006, 12, 28));

    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header, tavelin::forecastPrintHeader(QDate(2006, 12, 28)));
    EXPECT_EQ(requests[0].abortMsg, u"正在打印，请稍侯..."_s);
    EXPECT_EQ(requests[0].jobName, u"打印可租房情况"_s);
    EXPECT_TRUE(requests[0].optionA);
    EXPECT_FALSE(requests[0].optionB);
}

TEST(ForecastPrint, TheSettingsAloneRequestNothing)
{
    SheetModel sheet;
    int requests = 0;
    QObject::connect(&sheet, &SheetModel::printRequested, [&] { ++requests; });
    tavelin::applyForecastPrintSettings(sheet, QDate(2006, 12, 28));
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(sheet.printJobName(), u"打印可租房情况"_s);
}
