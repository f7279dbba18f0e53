#include "ModelLog.h"

#include "controls/SheetBodyModel.h"
#include "controls/SpreadSheet.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using tavelin::CSpreadSheet;
using tavelin::SheetModel;
using Lines = std::vector<std::string>;

namespace {

void at(SheetModel &sheet, int column, int row)
{
    sheet.setCol(column);
    sheet.setRow(row);
}

// "Grade" in the corner, "Dc" along row 0, "Rr" down column 0, "c:r" elsewhere.
void fill(SheetModel &sheet, int columns, int rows)
{
    SheetModel::Batch batch(sheet);
    sheet.setMaxCols(columns);
    sheet.setMaxRows(rows);
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c) {
            at(sheet, c, r);
            sheet.setText(r == 0 && c == 0 ? u"Grade"_s
                          : r == 0         ? QString(u'D' + QString::number(c))
                          : c == 0         ? QString(u'R' + QString::number(r))
                                           : QString(QString::number(c) % u':' % QString::number(r)));
        }
}

TEST(SheetBodyModelTest, HeadingsBecomeHeaderDataAndChangesArriveTranslated)
{
    SheetModel sheet;
    tavelin::SheetBodyModel body(&sheet);
    QAbstractItemModelTester tester(&body, QAbstractItemModelTester::FailureReportingMode::Fatal);
    fill(sheet, 3, 2);
    at(sheet, 2, 0);
    sheet.setForeColor(SheetModel::Red);
    at(sheet, 0, 2);
    sheet.setBackColor(SheetModel::Green);

    EXPECT_EQ(body.rowCount(), 2);
    EXPECT_EQ(body.columnCount(), 3);
    EXPECT_EQ(body.data(body.index(1, 2)).toString(), u"3:2"_s);
    EXPECT_EQ(body.headerData(0, Qt::Horizontal).toString(), u"D1"_s);
    EXPECT_EQ(body.headerData(1, Qt::Vertical).toString(), u"R2"_s);
    EXPECT_EQ(body.headerData(1, Qt::Horizontal, Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_EQ(body.headerData(1, Qt::Vertical, Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 200, 0));
    EXPECT_FALSE(body.headerData(0, Qt::Horizontal, Qt::ForegroundRole).isValid());

    tavelin::test::ModelLog log(body);
    const auto change = [&](int column, int row) {
        at(sheet, column, row);
        sheet.setText(u"x"_s);
        return log.take();
    };
    EXPECT_EQ(change(2, 2), (Lines{"data 1-1 1-1 text"}));
    EXPECT_EQ(change(2, 0), (Lines{"header H 1-1"}));
    EXPECT_EQ(change(0, 2), (Lines{"header V 1-1"}));
    EXPECT_TRUE(change(0, 0).empty());
    EXPECT_EQ(change(-1, 1), (Lines{"data 0-2 0-0 text", "header V 0-0"}));
    EXPECT_EQ(change(-1, -1), (Lines{"data 0-2 0-1 text", "header H 0-2", "header V 0-1"}));
    sheet.setMaxCols(5);
    sheet.setMaxRows(1);
    fill(sheet, 4, 4);
    EXPECT_EQ(log.take(), (Lines{"beginInsertColumns 3-4", "endInsertColumns", "beginRemoveRows 1-1", "endRemoveRows",
                                 "beginReset", "endReset"}));
}

class SpreadSheetTest : public ::testing::Test
{
protected:
    SpreadSheetTest()
    {
        view.resize(700, 400);
        view.show();
        QApplication::processEvents();
    }

    int unit() const { return view.fontMetrics().averageCharWidth(); }
    QLabel *corner() const { return view.findChild<QLabel *>(u"cornerLabel"_s); }

    CSpreadSheet view;
    SheetModel &sheet = *view.sheet();
};

TEST_F(SpreadSheetTest, HeadingsAndCornerComeFromRowAndColumnZero)
{
    fill(sheet, 4, 3);
    QApplication::processEvents();
    const QAbstractItemModel *shown = view.model();
    for (int c = 1; c <= 4; ++c)
        EXPECT_EQ(shown->headerData(c - 1, Qt::Horizontal).toString(), sheet.cellText(c, 0));
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(shown->headerData(r - 1, Qt::Vertical).toString(), sheet.cellText(0, r));
    ASSERT_NE(corner(), nullptr);
    EXPECT_EQ(corner()->text(), u"Grade"_s);
    EXPECT_EQ(corner()->geometry().topLeft(), QPoint(view.verticalHeader()->x(), view.horizontalHeader()->y()));

    at(sheet, 0, 0);
    sheet.setText(u"房型"_s);
    EXPECT_EQ(corner()->text(), u"房型"_s);
    sheet.setMaxCols(0);
    sheet.setMaxRows(0);
    QApplication::processEvents();
    // An empty sheet still shows its label.
    EXPECT_TRUE(corner()->isVisible());
    EXPECT_GE(corner()->width(), corner()->fontMetrics().horizontalAdvance(u"房型"_s));
    EXPECT_GE(corner()->height(), corner()->fontMetrics().height());
}

TEST_F(SpreadSheetTest, MouseEventsCarryTheSheetNumbering)
{
    fill(sheet, 4, 3);
    QApplication::processEvents();
    QHeaderView *columns = view.horizontalHeader();
    QHeaderView *rows = view.verticalHeader();
    struct Target
    {
        QWidget *widget;
        QPoint point;
        int column;
        int row;
    };
    const Target targets[] = {
        {view.viewport(), view.visualRect(view.model()->index(1, 2)).center(), 3, 2},
        {columns->viewport(),
         {columns->sectionViewportPosition(2) + columns->sectionSize(2) / 2, columns->height() / 2}, 3, 0},
        {rows->viewport(), {rows->width() / 2, rows->sectionViewportPosition(1) + rows->sectionSize(1) / 2}, 0, 2},
        {corner(), corner()->rect().center(), 0, 0},
    };
    using Gesture = std::function<void(QWidget *, QPoint)>;
    const std::tuple<const char *, void (CSpreadSheet::*)(int, int), Gesture> gestures[] = {
        {"click", &CSpreadSheet::cellClicked,
         [](QWidget *w, QPoint p) { QTest::mouseClick(w, Qt::LeftButton, {}, p); }},
        {"right click", &CSpreadSheet::cellRightClicked,
         [](QWidget *w, QPoint p) { QTest::mouseClick(w, Qt::RightButton, {}, p); }},
        {"double click", &CSpreadSheet::cellDoubleClicked,
         [](QWidget *w, QPoint p) { // as a window system delivers it
             QTest::mouseClick(w, Qt::LeftButton, {}, p);
             QTest::mouseDClick(w, Qt::LeftButton, {}, p);
             QTest::mouseRelease(w, Qt::LeftButton, {}, p);
         }},
    };
    for (const auto &[name, signal, gesture] : gestures)
        for (const Target &target : targets) {
            QSignalSpy spy(&view, signal);
            gesture(target.widget, target.point);
            ASSERT_EQ(spy.count(), 1) << name << " at " << target.column << ',' << target.row;
            EXPECT_EQ(spy.at(0).at(0).toInt(), target.column) << name;
            EXPECT_EQ(spy.at(0).at(1).toInt(), target.row) << name;
        }
}

TEST_F(SpreadSheetTest, ColumnWidthsAreCharactersOfTheViewFont)
{
    fill(sheet, 5, 2);
    sheet.setColWidth(2, 6.4);
    EXPECT_NEAR(view.columnWidth(1), 6.4 * unit(), 1.0);
    EXPECT_EQ(view.columnWidth(0), view.horizontalHeader()->defaultSectionSize());
    {
        SheetModel::Batch batch(sheet);
        sheet.setMaxRows(4);
        sheet.setColWidth(3, 10.0);
    }
    EXPECT_NEAR(view.columnWidth(1), 6.4 * unit(), 1.0);
    EXPECT_NEAR(view.columnWidth(2), 10.0 * unit(), 1.0);

    QFont larger = view.font();
    if (larger.pointSizeF() > 0)
        larger.setPointSizeF(larger.pointSizeF() * 2);
    else
        larger.setPixelSize(larger.pixelSize() * 2);
    view.setFont(larger);
    EXPECT_NEAR(view.columnWidth(2), 10.0 * unit(), 1.0);

    sheet.setMaxCols(1);
    sheet.setMaxCols(5);
    EXPECT_EQ(view.columnWidth(2), view.horizontalHeader()->defaultSectionSize());
    sheet.setColWidth(0, 30.0);
    QApplication::processEvents();
    EXPECT_NEAR(view.verticalHeader()->width(), 30.0 * unit(), 1.0);
}

TEST_F(SpreadSheetTest, EveryRowHeadingFits)
{
    const QString wide = u"101(标准间) 豪华双床"_s;
    {
        SheetModel::Batch batch(sheet);
        sheet.setMaxCols(3);
        sheet.setMaxRows(300);
        for (int r = 1; r <= 300; ++r) {
            at(sheet, 0, r);
            sheet.setText(r == 150 ? wide : QString::number(r));
        }
    }
    QApplication::processEvents();
    EXPECT_GE(view.verticalHeader()->width(), view.verticalHeader()->fontMetrics().horizontalAdvance(wide));
}

TEST_F(SpreadSheetTest, HeadingColumnStaysInViewAtTheLastDay)
{
    {
        SheetModel::Batch batch(sheet);
        fill(sheet, 730, 20);
        for (int c = 1; c <= 730; ++c)
            sheet.setColWidth(c, 6.4);
    }
    QApplication::processEvents();
    QScrollBar *bar = view.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    QApplication::processEvents();

    EXPECT_LE(view.columnViewportPosition(729) + view.columnWidth(729), view.viewport()->width());
    EXPECT_GE(view.columnViewportPosition(729), 0);
    const QHeaderView *rows = view.verticalHeader();
    EXPECT_TRUE(rows->isVisible());
    EXPECT_GT(rows->width(), 0);
    EXPECT_LE(rows->geometry().right(), view.viewport()->geometry().left());
    EXPECT_TRUE(corner()->isVisible());
    EXPECT_EQ(view.model()->headerData(0, Qt::Vertical).toString(), u"R1"_s);
}

TEST_F(SpreadSheetTest, CellColoursArePainted)
{
    {
        SheetModel::Batch batch(sheet);
        sheet.setMaxCols(3);
        sheet.setMaxRows(3);
        at(sheet, 1, 1);
        sheet.setBackColor(SheetModel::Red);
        at(sheet, 3, -1);
        sheet.setBackColor(SheetModel::White);
        at(sheet, 1, 2);
        sheet.setText(u"████"_s);
        sheet.setForeColor(SheetModel::Green);
    }
    view.setPalette(QPalette(Qt::darkGray, Qt::darkGray)); // a dark base, so white has to come from the sheet
    QApplication::processEvents();
    const QImage image = view.viewport()->grab().toImage();
    const auto centre = [&](int row, int column) {
        return image.pixelColor(view.visualRect(view.model()->index(row, column)).center());
    };
    EXPECT_EQ(centre(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(centre(2, 2), QColor(255, 255, 255));
    EXPECT_NE(centre(1, 1), QColor(255, 255, 255));

    const QRect text = view.visualRect(view.model()->index(1, 0));
    int green = 0;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            green += image.pixelColor(x, y) == QColor(0, 200, 0);
    EXPECT_GT(green, 0);
}

} // namespace
