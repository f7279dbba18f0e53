#include "controls/SheetModel.h"
#include "roomgrade/RmTypeDlg.h"
#include "tests/forecast/WindowFixture.h"

#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using tavelin::CRmTypeDlg;
using tavelin::test::ForecastWindow;

namespace {

class RoomGradeButton : public ForecastWindow
{
protected:
    void TearDown() override { CRmTypeDlg::setRunner({}); }

    // The picker "runs" by checking the given lines and confirming, or by going back.
    void pick(const QList<int> &lines, bool confirm)
    {
        CRmTypeDlg::setRunner([=, this](CRmTypeDlg &picker) {
            pickerLines = picker.m_lstRmTypes->count();
            for (int line : lines)
                picker.m_lstRmTypes->item(line)->setCheckState(Qt::Checked);
            if (confirm)
                picker.accept();
            else
                picker.reject();
            return picker.result();
        });
        dialog->OnRmTypeButton();
    }

    int pickerLines = -1;
};

} // namespace

TEST_F(RoomGradeButton, ConfirmingShowsTheListAndSearchesForThoseGrades)
{
    open();
    ASSERT_EQ(gradeSheet().maxRows(), 2 + 4);
    pick({1}, true);
    EXPECT_EQ(pickerLines, 2);
    EXPECT_EQ(dialog->m_strRmTypes, u"'ST'"_s);
    EXPECT_EQ(dialog->m_edtRmTypes->text(), u"'ST'"_s);
    ASSERT_EQ(gradeSheet().maxRows(), 1 + 4) << "the search ran at once for the chosen grade";
    EXPECT_TRUE(gradeSheet().cellText(0, 1).startsWith(u"ST"_s));

    // Nothing checked empties the box and covers every grade again.
    pick({}, true);
    EXPECT_EQ(dialog->m_edtRmTypes->text(), QString());
    EXPECT_EQ(gradeSheet().maxRows(), 2 + 4);
}

TEST_F(RoomGradeButton, GoingBackChangesNothingAndDoesNotSearch)
{
    open();
    pick({0}, true);
    dialog->OnClickGridGrade(2, 1); // a search would paint it white again
    const auto highlighted = gradeSheet().cellBackColor(2, 3);
    pick({0, 1}, false);
    EXPECT_EQ(dialog->m_strRmTypes, u"'DK'"_s);
    EXPECT_EQ(dialog->m_edtRmTypes->text(), u"'DK'"_s);
    EXPECT_EQ(gradeSheet().cellBackColor(2, 3), highlighted);
    EXPECT_EQ(highlighted, tavelin::SheetModel::Highlight);
}

TEST_F(RoomGradeButton, ADatabaseErrorIsShownAndThePickerNeverOpens)
{
    open();
    hotel.exec({u"drop table rmtype"_s});
    pick({0}, true);
    EXPECT_EQ(pickerLines, -1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.startsWith(u"查询数据库出错："_s));
    EXPECT_EQ(messages.shown[0].caption, u"系统错误"_s);
    EXPECT_TRUE(dialog->m_strRmTypes.isEmpty());
}
