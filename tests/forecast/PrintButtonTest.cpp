#include "controls/SheetModel.h"
#include "controls/SpreadSheet.h"
#include "controls/TransParentButton.h"
#include "forecast/DTPicker.h"
#include "tests/forecast/WindowFixture.h"

#include <QPrinter>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;
using tavelin::CSpreadSheet;
using tavelin::SheetModel;
using tavelin::test::ForecastWindow;

namespace {

class PrintButton : public ForecastWindow
{
protected:
    void SetUp() override
    {
        ForecastWindow::SetUp();
        CSpreadSheet::setPrintPreviewHook([this](SheetModel &sheet, QPrinter &) {
            printed.push_back({&sheet, sheet.printHeader()});
        });
        open();
    }
    void TearDown() override { CSpreadSheet::setPrintPreviewHook({}); }

    struct Printed
    {
        SheetModel *sheet;
        QString header;
    };
    std::vector<Printed> printed;
};

const QString kHeader = u"/fn\"黑体\"/fz\"15\"/fu0/fb1/fi0/fk0/fs1/fn\"宋体\"/fz\"12\"/fu0/fb1/fi0/fk0/fs2"
                        u"/n/c/f1可租房情况/n/l/f2打印日期: 2006-12-28"_s;

} // namespace

TEST_F(PrintButton, PrintsTheGridOfTheSelectedTabUnderTheBusinessDate)
{
    // Searched dates elsewhere do not reach the header.
    dialog->m_dtpBegin->setValue(u"2007-03-01"_s);
    dialog->m_dtpEnd->setValue(u"2007-03-05"_s);
    dialog->OnSearch();

    dialog->m_btnPrint->click();
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].sheet, &gradeSheet());
    EXPECT_EQ(printed[0].header, kHeader);
    EXPECT_TRUE(orgSheet().printHeader().isEmpty()) << "the hidden grid is not touched";

    dialog->m_tabView->setCurrentIndex(1);
    dialog->m_btnPrint->click();
    dialog->m_btnPrint->click();
    ASSERT_EQ(printed.size(), 3u);
    for (std::size_t i : {1u, 2u}) {
        EXPECT_EQ(printed[i].sheet, &orgSheet());
        EXPECT_EQ(printed[i].header, kHeader);
    }
    EXPECT_EQ(orgSheet().printJobName(), u"打印可租房情况"_s);
    EXPECT_EQ(orgSheet().printAbortMsg(), u"正在打印，请稍侯..."_s);
    EXPECT_TRUE(orgSheet().printOptionA());
    EXPECT_FALSE(orgSheet().printOptionB());
}
