// Runs the built tavelin-host with --format pdf, without any display.

#include "tests/print/PrintTestTools.h"
#include "tests/support/ProcessRun.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tavelin::test::ProcessRun;
using tavelin::test::runProgram;

namespace {

const QString HostProgram = QString::fromUtf8(TAVELIN_HOST_PROGRAM);

class PdfExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_hotel = m_dir.filePath(u"hotel.sqlite"_s);
        tavelin::test::writeSmallHotelFile(m_hotel);
    }

    ProcessRun exportGrid(const QStringList &arguments)
    {
        // No display at all: the export must not need one.
        return runProgram(HostProgram,
                          QStringList{u"--db"_s, u"sqlite:"_s + m_hotel, u"--business-date"_s, u"2006-12-28"_s,
                                      u"--export"_s}
                              + arguments,
                          {{u"DISPLAY"_s, QString()}, {u"WAYLAND_DISPLAY"_s, QString()}, {u"QT_QPA_PLATFORM"_s, QString()}});
    }

    QTemporaryDir m_dir;
    QString m_hotel;
};

} // namespace

TEST_F(PdfExport, TheLongestSpanPrintsHeadlessWithTheWindowsHeader)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    const QString pdf = m_dir.filePath(u"availability.pdf"_s);
    const ProcessRun result = exportGrid({u"availability"_s, u"--to"_s,
                                          tavelin::test::longestSpanEnd().toString(u"yyyy-MM-dd"_s),
                                          u"--format"_s, u"pdf"_s, u"-o"_s, pdf});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());

    const QStringList pages = tavelin::test::pdfPageTexts(pdf);
    ASSERT_GT(pages.size(), 5);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        EXPECT_TRUE(tavelin::test::printed(pages[i], u"可租房情况"_s)) << i;
        EXPECT_TRUE(tavelin::test::printed(pages[i], u"打印日期: 2006-12-28"_s)) << i;
        EXPECT_TRUE(tavelin::test::printed(pages[i], u"ST(标准间)"_s)) << i;
    }
    EXPECT_TRUE(tavelin::test::printed(pages[0], u"28/12"_s));
    EXPECT_TRUE(tavelin::test::printed(pages.constLast(), u"26/12"_s));
    EXPECT_TRUE(tavelin::test::pdfInfo(pdf).contains(u"打印可租房情况"_s));
}

TEST_F(PdfExport, OccupancyPrintsItsGuestSources)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    const QString pdf = m_dir.filePath(u"occupancy.pdf"_s);
    const ProcessRun result = exportGrid({u"occupancy"_s, u"--to"_s, u"2006-12-31"_s, u"--format"_s, u"pdf"_s, u"--output"_s, pdf});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList pages = tavelin::test::pdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 1);
    for (const QString &text : {u"客源类型"_s, u"FIT(散客)"_s, u"TA(旅行社)"_s, u"第 1 页 / 共 1 页"_s})
        EXPECT_TRUE(tavelin::test::printed(pages[0], text)) << text.toStdString() << "\n" << pages[0].toStdString();
}

TEST_F(PdfExport, NeedsAFileAndSaysWhenItCannotWriteIt)
{
    const ProcessRun toStandardOutput = exportGrid({u"availability"_s, u"--format"_s, u"pdf"_s});
    EXPECT_EQ(toStandardOutput.exitCode, 2);
    EXPECT_TRUE(toStandardOutput.err.contains(u"-o FILE"_s)) << toStandardOutput.err.toStdString();
    EXPECT_TRUE(toStandardOutput.out.isEmpty());

    const QString nowhere = m_dir.filePath(u"missing/folder/grid.pdf"_s);
    const ProcessRun unwritable = exportGrid({u"availability"_s, u"--format"_s, u"pdf"_s, u"-o"_s, nowhere});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.err.contains(u"cannot write"_s)) << unwritable.err.toStdString();
    EXPECT_FALSE(QFile::exists(nowhere));

    // Refused criteria come before any printing.
    const QString early = m_dir.filePath(u"early.pdf"_s);
    const ProcessRun refused = exportGrid({u"availability"_s, u"--from"_s, u"2006-12-27"_s, u"--format"_s, u"pdf"_s,
                                           u"-o"_s, early});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_FALSE(QFile::exists(early));
}
