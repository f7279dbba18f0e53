#include "data/DatabaseError.h"
#include "hosting/HostContext.h"
#include "roomgrade/RmTypeDlg.h"
#include "tests/support/TestDatabases.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;
using tavelin::CRmTypeDlg;

namespace {

class Picker : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db = tavelin::test::openSqliteMemory();
        ASSERT_TRUE(tavelin::test::execAll(*db, {
            u"create table rmtype (code varchar(10), ChnDescp varchar(40))"_s,
            u"insert into rmtype values ('ST', '标准间'), ('DK', '大床房'), ('SUITE-ROYAL', '皇家套房'), ('A', 'x')"_s,
        }));
        tavelin::hostContext().database = db.get();
    }

    void TearDown() override
    {
        CRmTypeDlg::setRunner({});
        tavelin::hostContext().database = nullptr;
    }

    // Runs a picker whose "modal loop" is the given user's actions on the shown window.
    int run(CRmTypeDlg &picker, const std::function<void(CRmTypeDlg &)> &user)
    {
        CRmTypeDlg::setRunner([&](CRmTypeDlg &shown) -> int {
            shown.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&shown));
            QApplication::setActiveWindow(&shown);
            user(shown);
            QApplication::processEvents();
            EXPECT_FALSE(shown.isVisible()) << "the user's actions should have closed the picker";
            return shown.result();
        });
        return picker.DoModal();
    }

    static QPushButton *button(CRmTypeDlg &picker, const char *name)
    {
        return picker.findChild<QPushButton *>(QString::fromLatin1(name));
    }

    static void check(CRmTypeDlg &picker, int line)
    {
        picker.m_lstRmTypes->item(line)->setCheckState(Qt::Checked);
    }

    tavelin::test::ScopedConnection db;
};

} // namespace

TEST_F(Picker, OpensWithEveryGradeSortedAndUncheckedAndOkReadyForEnter)
{
    CRmTypeDlg picker;
    QStringList texts;
    run(picker, [&](CRmTypeDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), u"客房等级选择"_s);
        QListWidget *list = shown.m_lstRmTypes;
        for (int i = 0; i < list->count(); ++i) {
            texts.append(list->item(i)->text());
            EXPECT_EQ(list->item(i)->checkState(), Qt::Unchecked);
        }
        // Lines align only if a Chinese character is two ASCII ones wide.
        const QFontMetrics metrics(list->font());
        EXPECT_EQ(metrics.horizontalAdvance(u"大"_s), 2 * metrics.horizontalAdvance(u"0"_s));
        EXPECT_EQ(metrics.horizontalAdvance(u"W"_s), metrics.horizontalAdvance(u"i"_s));
        QPushButton *ok = button(shown, "btnOk");
        EXPECT_EQ(QApplication::focusWidget(), ok);
        EXPECT_TRUE(ok->isDefault());
        EXPECT_EQ(ok->text(), u"&O.确认"_s);
        // Enter at once confirms with nothing checked.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].startsWith(u"A "_s));
    EXPECT_TRUE(texts[1].startsWith(u"DK "_s));
    EXPECT_TRUE(texts[3].startsWith(u"SUITE-ROYAL"_s));
    EXPECT_EQ(picker.resultText(), QString());
}

TEST_F(Picker, ConfirmingListsTheCheckedCodesInListOrder)
{
    CRmTypeDlg some;
    EXPECT_EQ(run(some,
                  [&](CRmTypeDlg &shown) {
                      check(shown, 3);
                      check(shown, 1);
                      QTest::mouseClick(button(shown, "btnOk"), Qt::LeftButton);
                  }),
              QDialog::Accepted);
    EXPECT_EQ(some.resultText(), u"'DK','SUITE-'"_s);

    CRmTypeDlg all;
    run(all, [&](CRmTypeDlg &shown) {
        QTest::mouseClick(button(shown, "btnSelectAll"), Qt::LeftButton);
        EXPECT_TRUE(shown.isVisible()) << "selecting closes nothing";
        QTest::mouseClick(button(shown, "btnOk"), Qt::LeftButton);
    });
    EXPECT_EQ(all.resultText(), u"'A','DK','ST','SUITE-'"_s);

    CRmTypeDlg none;
    run(none, [&](CRmTypeDlg &shown) {
        QTest::mouseClick(button(shown, "btnSelectAll"), Qt::LeftButton);
        QTest::mouseClick(button(shown, "btnSelectNone"), Qt::LeftButton);
        QTest::mouseClick(button(shown, "btnOk"), Qt::LeftButton);
    });
    EXPECT_EQ(none.resultText(), QString());
}

TEST_F(Picker, BackEscapeAndTheCloseBoxCancelWithoutAResult)
{
    const std::function<void(CRmTypeDlg &)> cancels[] = {
        [](CRmTypeDlg &shown) { QTest::mouseClick(button(shown, "btnBack"), Qt::LeftButton); },
        [](CRmTypeDlg &shown) { QTest::keyClick(&shown, Qt::Key_Escape); },
        [](CRmTypeDlg &shown) { shown.close(); },
    };
    for (const auto &cancel : cancels) {
        CRmTypeDlg picker;
        EXPECT_EQ(run(picker,
                      [&](CRmTypeDlg &shown) {
                          QTest::mouseClick(button(shown, "btnSelectAll"), Qt::LeftButton);
                          cancel(shown);
                      }),
                  QDialog::Rejected);
        EXPECT_EQ(picker.resultText(), QString());
    }
}

TEST_F(Picker, AnEmptyTableGivesAnEmptyListAndAnEmptyResult)
{
    ASSERT_TRUE(tavelin::test::execAll(*db, {u"delete from rmtype"_s}));
    CRmTypeDlg picker;
    run(picker, [&](CRmTypeDlg &shown) {
        EXPECT_EQ(shown.m_lstRmTypes->count(), 0);
        QTest::mouseClick(button(shown, "btnSelectAll"), Qt::LeftButton);
        QTest::mouseClick(button(shown, "btnOk"), Qt::LeftButton);
    });
    EXPECT_EQ(picker.resultText(), QString());
}

TEST_F(Picker, ADatabaseErrorReachesTheCallerBeforeTheWindowShows)
{
    ASSERT_TRUE(tavelin::test::execAll(*db, {u"drop table rmtype"_s}));
    bool shown = false;
    CRmTypeDlg::setRunner([&](CRmTypeDlg &) {
        shown = true;
        return int(QDialog::Accepted);
    });
    CRmTypeDlg picker;
    EXPECT_THROW(picker.DoModal(), tavelin::DatabaseError);
    EXPECT_FALSE(shown);
}
