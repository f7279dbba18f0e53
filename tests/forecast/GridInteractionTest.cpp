#include "controls/SheetModel.h"
#include "controls/SpreadSheet.h"
#include "data/RecordSet.h"
#include "forecast/DTPicker.h"
#include "tests/forecast/WindowFixture.h"

#include <QCursor>
#include <QHeaderView>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;
using tavelin::Colour;
using tavelin::SheetModel;
using tavelin::test::ForecastWindow;

namespace {

using Colours = std::vector<std::optional<Colour>>;

Colours backColours(const SheetModel &sheet)
{
    Colours colours;
    for (int row = 0; row <= sheet.maxRows(); ++row)
        for (int column = 0; column <= sheet.maxCols(); ++column)
            colours.push_back(sheet.cellBackColor(column, row));
    return colours;
}

// Every cell white except the crossing column and row.
void expectCross(const SheetModel &sheet, int column, int row)
{
    for (int r = 0; r <= sheet.maxRows(); ++r) {
        for (int c = 0; c <= sheet.maxCols(); ++c) {
            const Colour expected = (c == column || r == row) ? SheetModel::Highlight : SheetModel::White;
            ASSERT_EQ(sheet.cellBackColor(c, r), expected) << "cell " << c << "," << r;
        }
    }
}

class GridInteraction : public ForecastWindow
{
protected:
    void SetUp() override
    {
        ForecastWindow::SetUp();
        open();
        // Two grades and the four summary rows; ten days after the total.
        ASSERT_EQ(gradeSheet().maxRows(), 6);
        ASSERT_EQ(gradeSheet().maxCols(), 11);
    }
};

} // namespace

TEST_F(GridInteraction, AClickCrossesItsRowAndColumnOnThatGridOnly)
{
    const Colours orgBefore = backColours(orgSheet());
    dialog->OnClickGridGrade(3, 2);
    expectCross(gradeSheet(), 3, 2);
    EXPECT_EQ(backColours(orgSheet()), orgBefore);

    // The second click moves the cross and clears the weekend colouring too.
    dialog->OnClickGridGrade(5, 1);
    expectCross(gradeSheet(), 5, 1);

    const Colours gradeBefore = backColours(gradeSheet());
    dialog->OnClickGridOrg(2, 1);
    expectCross(orgSheet(), 2, 1);
    EXPECT_EQ(backColours(gradeSheet()), gradeBefore);
}

TEST_F(GridInteraction, HeadingClicksCrossTheHeadingRowOrColumn)
{
    dialog->OnClickGridGrade(0, 3);
    expectCross(gradeSheet(), 0, 3);
    dialog->OnClickGridGrade(4, 0);
    expectCross(gradeSheet(), 4, 0);
    dialog->OnClickGridGrade(0, 0);
    expectCross(gradeSheet(), 0, 0);
}

TEST_F(GridInteraction, MouseClicksOnCellsAndHeadingsReachTheHandlers)
{
    tavelin::CSpreadSheet *grid = dialog->m_gridGrade;
    const QRect cell = grid->visualRect(grid->model()->index(1, 2)); // cell (3, 2)
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    expectCross(gradeSheet(), 3, 2);

    QHeaderView *rows = grid->verticalHeader();
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {},
                      QPoint(rows->width() / 2, rows->sectionViewportPosition(0) + rows->sectionSize(0) / 2));
    expectCross(gradeSheet(), 0, 1);

    // A double-click adds nothing to what its first click does.
    const std::vector<QString> texts = [&] {
        std::vector<QString> all;
        for (int r = 0; r <= gradeSheet().maxRows(); ++r)
            for (int c = 0; c <= gradeSheet().maxCols(); ++c)
                all.push_back(gradeSheet().cellText(c, r));
        return all;
    }();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    expectCross(gradeSheet(), 3, 2);
    EXPECT_TRUE(messages.menus.empty());
    std::size_t i = 0;
    for (int r = 0; r <= gradeSheet().maxRows(); ++r)
        for (int c = 0; c <= gradeSheet().maxCols(); ++c)
            EXPECT_EQ(gradeSheet().cellText(c, r), texts[i++]);
}

TEST_F(GridInteraction, RightClicksOutsideTheGradeCellsOpenNoMenuAndKeepTheFigure)
{
    dialog->m_nCellRooms = 42;
    dialog->OnRightClickGridGrade(0, 1); // heading column
    dialog->OnRightClickGridGrade(4, 0); // heading row
    for (int row = 3; row <= 6; ++row)   // 小计, OOI, OOO, 预计占房率%
        dialog->OnRightClickGridGrade(4, row);
    EXPECT_TRUE(messages.menus.empty());
    EXPECT_EQ(dialog->m_nCellRooms, 42);
    ASSERT_EQ(gradeSheet().cellText(0, 3), u"小计"_s);
    ASSERT_EQ(gradeSheet().cellText(0, 6), u"预计占房率%"_s);

    // The occupancy grid has no menu at all, whatever the mouse does.
    tavelin::CSpreadSheet *org = dialog->m_gridOrg;
    dialog->m_tabView->setCurrentIndex(1);
    QTest::mouseClick(org->viewport(), Qt::RightButton, {}, org->visualRect(org->model()->index(0, 1)).center());
    EXPECT_TRUE(messages.menus.empty());
    EXPECT_EQ(dialog->m_nCellRooms, 42);
}

TEST_F(GridInteraction, RightClicksOnAnEmptyGridOpenNoMenu)
{
    // A refused search leaves the grids without rows.
    dialog->m_dtpEnd->setValue(u"2006-12-01"_s);
    dialog->OnSearch();
    ASSERT_EQ(gradeSheet().maxRows(), 0);
    for (int row = 1; row <= 6; ++row)
        dialog->OnRightClickGridGrade(1, row);
    EXPECT_TRUE(messages.menus.empty());
}

TEST_F(GridInteraction, ARightClickOnAGradeCellOffersBothBookingsAtThePointer)
{
    dialog->OnClickGridGrade(2, 2);
    const Colours highlighted = backColours(gradeSheet());
    QCursor::setPos(QPoint(123, 45));
    const QPoint pointer = QCursor::pos();

    dialog->OnRightClickGridGrade(3, 1);
    ASSERT_EQ(messages.menus.size(), 1u);
    EXPECT_EQ(messages.menus[0].entries, (QStringList{u"普通预定"_s, u"候补预定"_s}));
    EXPECT_EQ(messages.menus[0].position, pointer);
    EXPECT_EQ(messages.menus[0].owner, dialog.get());
    EXPECT_EQ(dialog->m_nCellRooms, tavelin::leadingInt(gradeSheet().cellText(3, 1)));
    EXPECT_EQ(backColours(gradeSheet()), highlighted) << "the right-click leaves the highlight alone";
    EXPECT_TRUE(messages.shown.empty()) << "dismissing the menu sends nothing";

    // The mouse reaches the same handler.
    tavelin::CSpreadSheet *grid = dialog->m_gridGrade;
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->visualRect(grid->model()->index(0, 2)).center());
    EXPECT_EQ(messages.menus.size(), 2u);

    // Column 1 books from the grade's total.
    dialog->OnRightClickGridGrade(1, 2);
    EXPECT_EQ(dialog->m_nCellRooms, gradeSheet().cellText(1, 2).toInt());

    // The figure is the whole number the text starts with.
    gradeSheet().setCol(4);
    gradeSheet().setRow(2);
    for (const auto &[text, figure] : {std::pair{u"  -2"_s, -2}, std::pair{u"+7x"_s, 7}, std::pair{QString(), 0},
                                       std::pair{u"abc"_s, 0}}) {
        gradeSheet().setText(text);
        dialog->OnRightClickGridGrade(4, 2);
        EXPECT_EQ(dialog->m_nCellRooms, figure) << text.toStdString();
    }
}
