#include "ModelLog.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::StringLiterals;
using tavelin::SheetModel;
using Lines = std::vector<std::string>;
using Cells = std::set<std::pair<int, int>>; // (column, row)

namespace {

class SheetModelTest : public ::testing::Test
{
protected:
    // Every cell, headings included, gets "column:row".
    void fill(int columns, int rows)
    {
        {
            SheetModel::Batch batch(model);
            model.setMaxCols(columns);
            model.setMaxRows(rows);
            for (int r = 0; r <= rows; ++r)
                for (int c = 0; c <= columns; ++c) {
                    at(c, r);
                    model.setText(QString::number(c) % u':' % QString::number(r));
                }
        }
        log.take();
    }

    void at(int column, int row)
    {
        model.setCol(column);
        model.setRow(row);
    }

    Cells withBack(tavelin::Colour colour) const
    {
        Cells cells;
        for (int r = 0; r <= model.maxRows(); ++r)
            for (int c = 0; c <= model.maxCols(); ++c)
                if (model.cellBackColor(c, r) == colour)
                    cells.emplace(c, r);
        return cells;
    }

    SheetModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    tavelin::test::ModelLog log{model};
};

TEST_F(SheetModelTest, CursorAddressesCellsColumnsRowsAndTheSheet)
{
    fill(3, 2);
    at(2, 1);
    model.setText(u"a"_s);
    model.setRow(2); // the column stays
    model.setText(u"b"_s);
    EXPECT_EQ(model.col(), 2);
    EXPECT_EQ(model.text(), u"b"_s);
    EXPECT_EQ(model.cellText(2, 1), u"a"_s);
    EXPECT_EQ(model.cellText(1, 2), u"1:2"_s);

    at(2, -1);
    model.setBackColor(SheetModel::Red);
    EXPECT_EQ(withBack(SheetModel::Red), (Cells{{2, 0}, {2, 1}, {2, 2}}));
    EXPECT_TRUE(model.text().isEmpty());
    at(-1, 1);
    model.setBackColor(SheetModel::Green);
    EXPECT_EQ(withBack(SheetModel::Green), (Cells{{0, 1}, {1, 1}, {2, 1}, {3, 1}}));
    EXPECT_EQ(withBack(SheetModel::Red), (Cells{{2, 0}, {2, 2}}));
    at(-1, -1);
    model.setForeColor(SheetModel::Green);
    model.setText(u"h"_s);
    for (int r = 0; r <= 2; ++r)
        for (int c = 0; c <= 3; ++c) {
            EXPECT_EQ(model.cellForeColor(c, r), SheetModel::Green);
            EXPECT_EQ(model.cellText(c, r), u"h"_s);
        }
}

TEST_F(SheetModelTest, PositionsOutsideTheGridAreIgnored)
{
    fill(3, 2);
    for (const auto &[column, row] : {std::pair{4, 1}, {1, 3}, {-2, 1}, {1, -2}, {4, -1}, {-1, 3}}) {
        at(column, row);
        model.setText(u"x"_s);
        model.setBackColor(SheetModel::Red);
        model.setForeColor(SheetModel::Red);
        EXPECT_TRUE(model.text().isEmpty());
    }
    model.setColWidth(4, 3.0);
    model.setColWidth(-1, 3.0);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_TRUE(withBack(SheetModel::Red).empty());
    EXPECT_LT(model.colWidth(4), 0);
}

TEST_F(SheetModelTest, ColourRolesKeepTheRawValue)
{
    fill(2, 2);
    at(1, 1);
    model.setForeColor(SheetModel::Green);
    model.setBackColor(SheetModel::Highlight);
    const QModelIndex cell = model.index(1, 1);
    EXPECT_EQ(model.data(cell, SheetModel::ForeColourRole).value<tavelin::Colour>(), SheetModel::Green);
    EXPECT_EQ(model.data(cell, SheetModel::BackColourRole).value<tavelin::Colour>(), SheetModel::Highlight);
    for (const int role : {int(Qt::ForegroundRole), int(Qt::BackgroundRole), int(SheetModel::ForeColourRole)})
        EXPECT_FALSE(model.data(model.index(2, 1), role).isValid()) << role;

    // A high byte must not make a written colour read as never written.
    model.setBackColor(0xFFFFFFFF);
    EXPECT_EQ(model.cellBackColor(1, 1), SheetModel::White);
}

TEST_F(SheetModelTest, CountsDropCellsAndBringThemBackEmpty)
{
    fill(3, 3);
    at(3, -1);
    model.setBackColor(SheetModel::Red);
    at(-1, 3);
    model.setForeColor(SheetModel::Green);
    model.setColWidth(2, 6.4);
    model.setColWidth(3, 5.0);

    model.setMaxCols(2);
    model.setMaxCols(3);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_TRUE(model.cellText(3, 1).isEmpty());
    EXPECT_TRUE(withBack(SheetModel::Red).empty());
    EXPECT_EQ(model.cellText(2, 3), u"2:3"_s);
    EXPECT_EQ(model.cellForeColor(2, 3), SheetModel::Green);
    EXPECT_EQ(model.colWidth(2), 6.4);
    EXPECT_LT(model.colWidth(3), 0);

    model.setMaxRows(1);
    model.setMaxRows(3);
    EXPECT_TRUE(model.cellText(1, 2).isEmpty());
    EXPECT_FALSE(model.cellForeColor(1, 3).has_value());
    EXPECT_EQ(model.cellText(0, 1), u"0:1"_s);
}

// The window labels the corner while both counts are 0; every search clears
// them to 0 again and the label must survive.
TEST_F(SheetModelTest, ClearingBothCountsKeepsTheCorner)
{
    at(0, 0);
    model.setText(u"客房等级"_s);
    model.setBackColor(SheetModel::White);
    for (int search = 0; search < 2; ++search) {
        {
            SheetModel::Batch batch(model);
            model.setMaxCols(0);
            model.setMaxRows(0);
            model.setMaxCols(4);
            model.setMaxRows(4);
            EXPECT_TRUE(model.cellText(1, 0).isEmpty());
            at(1, 0);
            model.setText(u"01-01"_s);
            at(0, 1);
            model.setText(u"101"_s);
        }
        EXPECT_EQ(model.cellText(0, 0), u"客房等级"_s);
        model.setMaxCols(0);
        model.setMaxRows(0);
        EXPECT_EQ(model.rowCount(), 1);
        EXPECT_EQ(model.columnCount(), 1);
        EXPECT_EQ(model.cellText(0, 0), u"客房等级"_s);
        EXPECT_EQ(model.cellBackColor(0, 0), SheetModel::White);
    }
}

TEST_F(SheetModelTest, OutsideABatchEachOperationSignalsAtOnce)
{
    fill(3, 2);
    const auto after = [&](int column, int row, auto operation) {
        at(column, row);
        operation();
        return log.take();
    };
    EXPECT_EQ(after(2, 1, [&] { model.setText(u"x"_s); }), (Lines{"data 2-2 1-1 text"}));
    EXPECT_EQ(after(2, -1, [&] { model.setForeColor(1); }), (Lines{"data 2-2 0-2 fore"}));
    EXPECT_EQ(after(-1, 1, [&] { model.setBackColor(1); }), (Lines{"data 0-3 1-1 back"}));
    EXPECT_EQ(after(-1, -1, [&] { model.setText({}); }), (Lines{"data 0-3 0-2 text"}));

    model.setMaxCols(5);
    model.setMaxCols(2);
    model.setMaxRows(4);
    model.setMaxRows(0);
    model.setMaxRows(0);
    model.setColWidth(1, 4.0);
    model.setColWidth(1, 4.0);
    model.setAction(31);
    model.setAction(SheetModel::PrintAction);
    EXPECT_EQ(log.take(), (Lines{"beginInsertColumns 4-5", "endInsertColumns", "beginRemoveColumns 3-5",
                                 "endRemoveColumns", "beginInsertRows 3-4", "endInsertRows", "beginRemoveRows 1-4",
                                 "endRemoveRows", "width 1", "print"}));
}

TEST_F(SheetModelTest, BatchWithCountChangesResetsOnce)
{
    fill(3, 2);
    {
        SheetModel::Batch outer(model);
        at(1, 1);
        model.setText(u"gone"_s);
        EXPECT_TRUE(log.lines().empty());
        {
            SheetModel::Batch inner(model);
            model.setMaxCols(0);
            model.setMaxRows(0);
        }
        // The reset opens at the first count change, before anything moves.
        EXPECT_EQ(log.lines(), (Lines{"beginReset"}));
        model.setMaxCols(4);
        model.setMaxRows(3);
        model.setColWidth(2, 3.0);
        model.setAction(SheetModel::PrintAction);
        at(4, 3);
        model.setBackColor(SheetModel::Red);
    }
    // Views reread every width on a reset; printing waits for the model to settle.
    EXPECT_EQ(log.take(), (Lines{"beginReset", "endReset", "print"}));
    EXPECT_EQ(model.colWidth(2), 3.0);
    EXPECT_EQ(model.cellBackColor(4, 3), SheetModel::Red);
    EXPECT_TRUE(model.cellText(1, 1).isEmpty());
}

TEST_F(SheetModelTest, BatchWithoutCountChangesSignalsTheBoundingRectangle)
{
    fill(5, 5);
    {
        SheetModel::Batch outer(model);
        {
            SheetModel::Batch inner(model);
            at(2, 1);
            model.setText(u"x"_s);
            at(4, 3);
            model.setBackColor(SheetModel::Red);
        }
        at(3, 2);
        model.setForeColor(SheetModel::Green);
        model.setMaxCols(5);
        model.setColWidth(3, 2.0);
        model.setColWidth(1, 2.0);
        model.setColWidth(3, 4.5);
        EXPECT_TRUE(log.lines().empty());
    }
    EXPECT_EQ(log.take(), (Lines{"data 2-4 1-3 all", "width 1", "width 3"}));

    {
        SheetModel::Batch batch(model);
        at(3, -1);
        model.setBackColor(SheetModel::White);
        at(1, 4);
        model.setText(u"y"_s);
    }
    EXPECT_EQ(log.take(), (Lines{"data 1-3 0-5 all"}));

    {
        SheetModel::Batch batch(model);
        at(9, 9);
        model.setText(u"outside"_s);
        model.setMaxRows(5);
    }
    EXPECT_TRUE(log.lines().empty());
}

// The largest search: 300 grades over 730 days in column pairs, written cell
// by cell the way the window writes it.
TEST_F(SheetModelTest, FullSizeFillThroughTheCursorResetsOnce)
{
    fill(3, 3);
    constexpr int Columns = 1461;
    constexpr int Rows = 300;
    {
        SheetModel::Batch batch(model);
        model.setMaxCols(0);
        model.setMaxRows(0);
        model.setMaxCols(Columns);
        model.setMaxRows(Rows);
        for (int r = 0; r <= Rows; ++r)
            for (int c = 0; c <= Columns; ++c) {
                at(c, r);
                model.setText(QString::number(r * 10000 + c));
                model.setBackColor(SheetModel::White);
                model.setForeColor(c % 2 ? SheetModel::Green : SheetModel::Red);
            }
    }
    EXPECT_EQ(log.take(), (Lines{"beginReset", "endReset"}));
    EXPECT_EQ(model.rowCount(), 301);
    EXPECT_EQ(model.columnCount(), 1462);
    EXPECT_EQ(model.cellText(730, 150), u"1500730"_s);
    EXPECT_EQ(model.cellText(Columns, Rows), u"3001461"_s);
    EXPECT_EQ(model.cellForeColor(Columns, Rows), SheetModel::Green);
    EXPECT_EQ(model.cellForeColor(730, 150), SheetModel::Red);
    EXPECT_EQ(withBack(SheetModel::White).size(), 301u * 1462u);
}

} // namespace
