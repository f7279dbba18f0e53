#include "controls/SheetModel.h"
#include "controls/SpreadSheet.h"
#include "controls/TransParentButton.h"
#include "forecast/DTPicker.h"
#include "forecast/Messages.h"
#include "forecast/TavelinDlg.h"
#include "hosting/HostContext.h"
#include "tests/fixtures/SmallHotel.h"
#include "tests/forecast/WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tavelin::CTavelinDlg;
using tavelin::MessageAnswer;
using tavelin::MessageKind;

using tavelin::test::ForecastWindow;

TEST_F(ForecastWindow, OpensWithTheDefaultCriteria)
{
    open();
    EXPECT_EQ(dialog->windowTitle(), u"可租房情况"_s);
    EXPECT_EQ(dialog->m_tabView->count(), 2);
    EXPECT_EQ(dialog->m_tabView->tabText(0), u"可用状态"_s);
    EXPECT_EQ(dialog->m_tabView->tabText(1), u"占用状态"_s);
    EXPECT_EQ(dialog->m_tabView->currentIndex(), 0);
    EXPECT_TRUE(dialog->m_gridGrade->isVisible());

    // 2006-12-28 plus nine days crosses the year.
    EXPECT_EQ(dialog->m_dtpBegin->value(), QDate(2006, 12, 28));
    EXPECT_EQ(dialog->m_dtpEnd->value(), QDate(2007, 1, 6));

    EXPECT_EQ(section()->currentIndex(), 0);
    EXPECT_EQ(section()->currentText(), u"All"_s);
    EXPECT_EQ(feature()->currentIndex(), 0);
    EXPECT_EQ(feature()->currentText(), u"All"_s);
    EXPECT_TRUE(dialog->m_edtRmTypes->text().isEmpty());
    EXPECT_EQ(dialog->m_bIncludeDueOut, 1);
    EXPECT_TRUE(dialog->findChild<QCheckBox *>(u"chkIncludeDueOut"_s)->isChecked());

    EXPECT_EQ(gradeSheet().cellText(0, 0), u"客房等级"_s);
    EXPECT_EQ(orgSheet().cellText(0, 0), u"客源类型"_s);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(QApplication::focusWidget(), dialog->m_dtpBegin);
}

TEST_F(ForecastWindow, ListsLiveCodesInQueryOrderWithPaddedCodes)
{
    open();
    ASSERT_EQ(section()->count(), 4);
    EXPECT_EQ(section()->itemText(1), u"A     主楼"_s);
    EXPECT_EQ(section()->itemText(2), u"B1    东翼"_s);
    // A code that fills its six places runs straight into its description.
    EXPECT_EQ(section()->itemText(3), u"ABCDEF长代码区"_s);
    EXPECT_EQ(section()->itemData(3).toString(), u"ABCDEF"_s);

    ASSERT_EQ(feature()->count(), 3);
    EXPECT_EQ(feature()->itemText(1), u"SEA       海景"_s);
    EXPECT_EQ(feature()->itemText(2), u"NSM       无烟"_s);
}

TEST_F(ForecastWindow, TypedAllInAnyCaseOrASingleASelectsAll)
{
    open();
    for (const QString &typed : {u"all"_s, u"aLL"_s, u"a"_s, u"A"_s}) {
        section()->setCurrentIndex(2);
        typeAndLeave(section(), typed);
        EXPECT_EQ(section()->currentIndex(), 0) << typed.toStdString();
        EXPECT_EQ(section()->currentText(), u"All"_s) << typed.toStdString();

        feature()->setCurrentIndex(1);
        typeAndLeave(feature(), typed);
        EXPECT_EQ(feature()->currentIndex(), 0) << typed.toStdString();
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ForecastWindow, OnlyTheFirstThreeCharactersFindAnEntry)
{
    open();
    // "B1 " begins entry "B1    东翼"; the rest of the typed text plays no part in finding it.
    typeAndLeave(section(), u"B1 xyz"_s);
    EXPECT_EQ(section()->currentIndex(), 2);
    EXPECT_EQ(section()->currentText(), u"B1 xyz"_s) << "the typed text is written back whole";
    EXPECT_TRUE(messages.shown.empty());

    // A whole text that begins an entry selects and shows that entry.
    typeAndLeave(feature(), u"ns"_s);
    EXPECT_EQ(feature()->currentIndex(), 2);
    EXPECT_EQ(feature()->currentText(), u"NSM       无烟"_s);
}

TEST_F(ForecastWindow, UnknownCodesAreReportedOnceAndEmptied)
{
    open();
    typeAndLeave(section(), u"ZZ9"_s);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"该区段代码不存在，请检查！"_s);
    EXPECT_EQ(messages.shown[0].caption, u"提示"_s);
    EXPECT_TRUE(section()->currentText().isEmpty());
    EXPECT_EQ(section()->currentIndex(), -1);

    typeAndLeave(feature(), u"QQQ"_s);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, u"该特征代码不存在，请检查！"_s);
    EXPECT_EQ(messages.shown[1].caption, u"提示"_s);
    EXPECT_TRUE(feature()->currentText().isEmpty());

    // Leaving an empty box says nothing.
    typeAndLeave(feature(), QString());
    typeAndLeave(section(), QString());
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(ForecastWindow, EnterSearchesFromEveryControlAndNeverCloses)
{
    open();
    const std::vector<QWidget *> controls = {dialog->m_dtpBegin, dialog->m_dtpEnd, section(), feature(),
                                             dialog->m_edtRmTypes, dialog->m_gridGrade, dialog->m_btnSearch};
    for (QWidget *control : controls) {
        gradeSheet().setMaxRows(3);
        gradeSheet().setMaxCols(3);
        gradeSheet().setCol(1);
        gradeSheet().setRow(1);
        gradeSheet().setText(u"stale"_s);
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_NE(gradeSheet().cellText(1, 1), u"stale"_s) << control->objectName().toStdString();
        EXPECT_TRUE(dialog->isVisible()) << control->objectName().toStdString();
        EXPECT_EQ(dialog->result(), 0);
    }
    QTest::keyClick(section(), Qt::Key_Enter);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(ForecastWindow, EscapeAndTheExitButtonClose)
{
    open();
    QTest::keyClick(section(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    open();
    dialog->m_btnExit->click();
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ForecastWindow, TabsSwitchTheGrids)
{
    open();
    dialog->m_tabView->setCurrentIndex(1);
    EXPECT_FALSE(dialog->m_gridGrade->isVisible());
    EXPECT_TRUE(dialog->m_gridOrg->isVisible());
    dialog->m_tabView->setCurrentIndex(0);
    EXPECT_TRUE(dialog->m_gridGrade->isVisible());
    EXPECT_FALSE(dialog->m_gridOrg->isVisible());
}

TEST_F(ForecastWindow, ChangingTheStartMovesTheEndWithoutSearching)
{
    open();
    dialog->m_dtpEnd->setValue(u"2007-06-30"_s);
    gradeSheet().setMaxRows(2);
    gradeSheet().setMaxCols(2);
    // A user's change of the start date, as typed into the box.
    dialog->m_dtpBegin->setDate(QDate(2007, 2, 25));
    EXPECT_EQ(dialog->m_dtpEnd->value(), QDate(2007, 3, 6));
    EXPECT_EQ(gradeSheet().maxRows(), 2) << "no search runs on a date change";

    // Changing the end date changes nothing else.
    dialog->m_dtpEnd->setDate(QDate(2007, 4, 1));
    EXPECT_EQ(dialog->m_dtpBegin->value(), QDate(2007, 2, 25));
}

TEST_F(ForecastWindow, LayoutFollowsDialogUnitsAndGrowsWithTheWindow)
{
    open();
    const QFontMetrics metrics(dialog->font());
    const double ux = std::max(metrics.averageCharWidth() / 4.0, dialog->m_dtpBegin->sizeHint().width() / 51.0);
    const double uy = metrics.height() / 8.0;
    const QRect grid = dialog->m_gridGrade->geometry();
    EXPECT_NEAR(grid.x(), 15 * ux, 1);
    EXPECT_NEAR(grid.y(), 23 * uy, 1);
    EXPECT_NEAR(grid.width(), 366 * ux, 1);
    EXPECT_NEAR(grid.height(), 186 * uy, 1);
    EXPECT_EQ(dialog->m_gridOrg->geometry(), grid);
    EXPECT_GE(dialog->m_dtpBegin->width(), dialog->m_dtpBegin->sizeHint().width()) << "a whole date shows";

    const QRect button = dialog->m_btnSearch->geometry();
    dialog->resize(dialog->width() + 200, dialog->height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(dialog->m_gridGrade->width(), grid.width() + 200);
    EXPECT_EQ(dialog->m_gridGrade->height(), grid.height() + 100);
    EXPECT_EQ(dialog->m_btnSearch->geometry(), button.translated(0, 100));
}

TEST_F(ForecastWindow, DatabaseFailureDuringSetUpIsShownAndTheWindowOpens)
{
    hotel.exec({u"drop table RmSection"_s});
    open();
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_TRUE(messages.shown[0].text.startsWith(u"查询数据库出错："_s)) << messages.shown[0].text.toStdString();
    EXPECT_GT(messages.shown[0].text.size(), u"查询数据库出错："_s.size()) << "the driver's text follows";
    EXPECT_EQ(messages.shown[0].caption, u"系统错误"_s);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(section()->itemText(0), u"All"_s);
    EXPECT_EQ(gradeSheet().cellText(0, 0), u"客房等级"_s);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ForecastWindow, OpensWithTheForecastOfTheDefaultSearch)
{
    open();
    // Two grades and the four summary rows; the total column and ten days.
    EXPECT_EQ(gradeSheet().maxRows(), 6);
    EXPECT_EQ(gradeSheet().maxCols(), 11);
    EXPECT_EQ(gradeSheet().cellText(0, 1), u"DK(大床房)"_s);
    EXPECT_EQ(gradeSheet().cellText(1, 1), u"14"_s);
    EXPECT_EQ(gradeSheet().cellText(2, 1), u"11"_s) << "due-outs counted: rooms, not rooms_ED";
    EXPECT_EQ(gradeSheet().cellText(3, 1), u"8"_s);
    EXPECT_EQ(gradeSheet().cellText(2, 5), u"1"_s) << "OOO";
    // Both organisations, a subtotal, two columns a day.
    EXPECT_EQ(orgSheet().maxRows(), 3);
    EXPECT_EQ(orgSheet().maxCols(), 20);
    EXPECT_EQ(orgSheet().cellText(1, 1), u"3"_s);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ForecastWindow, UncheckingDueOutsSumsRoomsWithoutTheDepartureDay)
{
    open();
    dialog->m_chkIncludeDueOut->setChecked(false);
    dialog->OnSearch();
    EXPECT_EQ(gradeSheet().cellText(2, 1), u"12"_s);
    EXPECT_EQ(orgSheet().cellText(1, 1), u"2"_s);
}

TEST_F(ForecastWindow, ASectionCodeOfSixCharactersIsTakenFromItsEntry)
{
    open();
    section()->setCurrentIndex(3);
    ASSERT_EQ(section()->currentText(), u"ABCDEF长代码区"_s);
    dialog->OnSearch();
    EXPECT_EQ(gradeSheet().cellText(1, 1), u"4"_s);
    EXPECT_EQ(gradeSheet().cellText(3, 1), u"-2"_s);
    EXPECT_EQ(gradeSheet().cellForeColor(3, 1), tavelin::SheetModel::Red);
    EXPECT_TRUE(gradeSheet().cellText(1, 2).isEmpty()) << "ST has no rooms in that section";
    EXPECT_EQ(orgSheet().cellText(3, 2), u"6"_s);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ForecastWindow, RefusedSearchesSayWhyMoveTheFocusAndQueryNothing)
{
    struct Case
    {
        QDate begin;
        QDate end;
        QString message;
        QWidget *(*focus)(CTavelinDlg &);
    };
    const Case cases[] = {
        {QDate(2006, 12, 27), QDate(2007, 1, 5), u"您输入的查询日期必须大于或等于系统日期！"_s,
         [](CTavelinDlg &d) -> QWidget * { return d.m_dtpBegin; }},
        {QDate(2007, 1, 5), QDate(2007, 1, 4), u"您输入的查询日期的终止日期必须大于或等于起始日期！"_s,
         [](CTavelinDlg &d) -> QWidget * { return d.m_dtpEnd; }},
        {QDate(2006, 12, 28), QDate(2008, 12, 27), u"您输入的查询日期的终止日期与起始日期之差不能大于等于370天！"_s,
         [](CTavelinDlg &d) -> QWidget * { return d.m_dtpEnd; }},
    };
    open();
    for (const Case &c : cases) {
        messages.shown.clear();
        dialog->m_dtpBegin->setValue(c.begin.toString(Qt::ISODate));
        dialog->m_dtpEnd->setValue(c.end.toString(Qt::ISODate));
        dialog->OnSearch();
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, c.message);
        EXPECT_TRUE(messages.shown[0].caption.isEmpty()) << "no caption of its own";
        EXPECT_EQ(QApplication::focusWidget(), c.focus(*dialog)) << c.message.toStdString();
        EXPECT_EQ(gradeSheet().maxRows(), 0);
        EXPECT_EQ(gradeSheet().maxCols(), 0);
        EXPECT_EQ(orgSheet().maxRows(), 0);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    messages.shown.clear();
    dialog->m_dtpBegin->setValue(u"2006-12-28"_s);
    dialog->m_dtpEnd->setValue(u"2006-12-30"_s);
    section()->setCurrentIndex(-1);
    dialog->OnSearch();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"客房区段不能为空，请重新选择！"_s);
    EXPECT_EQ(QApplication::focusWidget(), section());
}

TEST_F(ForecastWindow, TheRoomGradeBoxIsParsedAndWrittenBackInThePickersForm)
{
    open();
    dialog->m_edtRmTypes->setText(u"DK, ST"_s);
    dialog->OnSearch();
    EXPECT_EQ(dialog->m_edtRmTypes->text(), u"'DK','ST'"_s);
    EXPECT_EQ(gradeSheet().maxRows(), 6);

    dialog->m_edtRmTypes->setText(u"'DK"_s);
    dialog->OnSearch();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, u"客房等级列表格式不正确，请重新选择！"_s);
    EXPECT_TRUE(messages.shown[0].caption.isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), dialog->m_edtRmTypes);
    EXPECT_EQ(gradeSheet().maxRows(), 0);
    EXPECT_EQ(dialog->m_edtRmTypes->text(), u"'DK"_s) << "a refused text is left for the user to mend";
}

TEST_F(ForecastWindow, AFailingQueryIsShownAndLeavesTheWindowOpenWithEmptyGrids)
{
    open();
    hotel.exec({u"drop table Tavelin_2"_s});
    dialog->OnSearch();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(u"查询数据库出错："_s));
    EXPECT_TRUE(messages.shown[0].text.contains(u"Tavelin_2"_s)) << messages.shown[0].text.toStdString();
    EXPECT_EQ(messages.shown[0].caption, u"系统错误"_s);
    EXPECT_TRUE(dialog->isVisible());
    for (tavelin::SheetModel *sheet : {&gradeSheet(), &orgSheet()}) {
        EXPECT_EQ(sheet->maxRows(), 0);
        EXPECT_EQ(sheet->maxCols(), 0);
    }
    EXPECT_EQ(gradeSheet().cellText(0, 0), u"客房等级"_s);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
