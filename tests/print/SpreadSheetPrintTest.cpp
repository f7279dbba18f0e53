#include "controls/SheetModel.h"
#include "controls/SheetPrinter.h"
#include "controls/SpreadSheet.h"
#include "forecast/ForecastPrint.h"
#include "tests/print/PrintTestTools.h"

#include <QApplication>
#include <QPrinter>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tavelin::CSpreadSheet;
using tavelin::SheetModel;

namespace {

struct PreviewCall
{
    SheetModel *sheet;
    QString docName;
    QPageLayout::Orientation orientation;
};

// Records what each preview would have shown, instead of opening it.
class RecordingHook
{
public:
    explicit RecordingHook(std::function<void(SheetModel &, QPrinter &)> also = {})
    {
        CSpreadSheet::setPrintPreviewHook([this, also](SheetModel &sheet, QPrinter &printer) {
            calls.push_back({&sheet, printer.docName(), printer.pageLayout().orientation()});
            if (also)
                also(sheet, printer);
        });
    }
    ~RecordingHook() { CSpreadSheet::setPrintPreviewHook({}); }
    RecordingHook(const RecordingHook &) = delete;
    RecordingHook &operator=(const RecordingHook &) = delete;

    std::vector<PreviewCall> calls;
};

} // namespace

TEST(SpreadSheetPrint, OnlyTheGridThatAsksOpensAPreviewOfItsOwnSheet)
{
    RecordingHook hook;
    CSpreadSheet grades;
    CSpreadSheet organisations;
    tavelin::test::searchSmallHotel(*grades.sheet(), *organisations.sheet(), QDate(2007, 1, 6));

    tavelin::requestForecastPrint(*organisations.sheet(), tavelin::test::PrintBusinessDate);
    ASSERT_EQ(hook.calls.size(), 1u);
    EXPECT_EQ(hook.calls[0].sheet, organisations.sheet());
    EXPECT_EQ(hook.calls[0].docName, u"打印可租房情况"_s);
    EXPECT_EQ(hook.calls[0].orientation, QPageLayout::Landscape);

    // Settings and other actions alone print nothing.
    tavelin::applyForecastPrintSettings(*grades.sheet(), tavelin::test::PrintBusinessDate);
    grades.sheet()->setAction(31);
    EXPECT_EQ(hook.calls.size(), 1u);

    grades.sheet()->setAction(SheetModel::PrintAction);
    ASSERT_EQ(hook.calls.size(), 2u);
    EXPECT_EQ(hook.calls[1].sheet, grades.sheet());
}

TEST(SpreadSheetPrint, ARequestInsideABatchPreviewsTheFinishedSheetOnce)
{
    std::vector<int> columnsSeen;
    RecordingHook hook([&](SheetModel &sheet, QPrinter &) { columnsSeen.push_back(sheet.maxCols()); });
    CSpreadSheet grid;
    {
        const SheetModel::Batch batch(*grid.sheet());
        grid.sheet()->setMaxCols(3);
        tavelin::requestForecastPrint(*grid.sheet(), tavelin::test::PrintBusinessDate);
        grid.sheet()->setMaxCols(5);
        EXPECT_TRUE(hook.calls.empty());
    }
    EXPECT_EQ(columnsSeen, std::vector<int>{5});
}

// The hook prints as the preview's print button would, to a PDF file.
TEST(SpreadSheetPrint, PrintingShowsTheWaitMessageAndWritesEveryPage)
{
    const QString missing = tavelin::test::missingPopplerTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.toStdString();
    QTemporaryDir dir;
    const QString file = dir.filePath(u"printed.pdf"_s);
    CSpreadSheet grid;
    QStringList waitTexts;
    int expectedPages = 0;
    bool printed = false;
    RecordingHook hook([&](SheetModel &sheet, QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        expectedPages = int(tavelin::SheetPrinter(sheet).paginate(printer).size());
        // Runs inside the wait display's own event processing, while pages are drawn.
        QTimer::singleShot(0, [&] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *wait = qobject_cast<QProgressDialog *>(window); wait && wait->isVisible())
                    waitTexts << wait->labelText();
            }
        });
        printed = grid.printTo(printer);
    });
    CSpreadSheet organisations;
    tavelin::test::searchSmallHotel(*grid.sheet(), *organisations.sheet(), tavelin::test::longestSpanEnd());
    tavelin::requestForecastPrint(*grid.sheet(), tavelin::test::PrintBusinessDate);

    ASSERT_EQ(hook.calls.size(), 1u);
    EXPECT_TRUE(printed);
    EXPECT_EQ(waitTexts, QStringList{u"正在打印，请稍侯..."_s});
    ASSERT_GT(expectedPages, 1);
    EXPECT_EQ(tavelin::test::pdfPageCount(file), expectedPages);
    EXPECT_TRUE(tavelin::test::pdfInfo(file).contains(u"打印可租房情况"_s));
    const QStringList texts = tavelin::test::pdfPageTexts(file);
    ASSERT_FALSE(texts.isEmpty());
    EXPECT_TRUE(tavelin::test::printed(texts.constLast(), u"打印日期: 2006-12-28"_s));
    EXPECT_TRUE(tavelin::test::printed(texts.constLast(), u"DK(大床房)"_s));
    for (QWidget *window : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QProgressDialog *>(window) && window->isVisible()) << "the wait display closes";
}
