#pragma once

#include "controls/SheetModel.h"
#include "controls/SpreadSheet.h"
#include "forecast/Messages.h"
#include "forecast/TavelinDlg.h"
#include "hosting/HostContext.h"
#include "tests/fixtures/SmallHotel.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tavelin::test {

using namespace Qt::StringLiterals;

struct Shown
{
    QString text;
    QString caption;
    MessageKind kind = MessageKind::Information;
};

class RecordingPresenter : public tavelin::MessagePresenter
{
public:
    RecordingPresenter() { tavelin::setMessagePresenter(this); }
    ~RecordingPresenter() override { tavelin::setMessagePresenter(nullptr); }
    RecordingPresenter(const RecordingPresenter &) = delete;
    RecordingPresenter &operator=(const RecordingPresenter &) = delete;

    MessageAnswer present(QWidget *, const QString &text, const QString &caption, MessageKind kind) override
    {
        shown.push_back({text, caption, kind});
        return kind == MessageKind::Question ? questionAnswer : MessageAnswer::Ok;
    }

    // Records the menu's entries and picks the one whose data is menuChoice
    // (0 dismisses it).
    QAction *popUp(QMenu &menu, const QPoint &globalPos) override
    {
        QStringList entries;
        QAction *chosen = nullptr;
        const auto actions = menu.actions();
        for (QAction *action : actions) {
            entries.append(action->text());
            if (menuChoice != 0 && action->data().toInt() == menuChoice)
                chosen = action;
        }
        menus.push_back({entries, globalPos, menu.parentWidget()});
        return chosen;
    }

    struct Menu
    {
        QStringList entries;
        QPoint position;
        QWidget *owner;
    };
    MessageAnswer questionAnswer = MessageAnswer::Yes;
    int menuChoice = 0;
    std::vector<Menu> menus;
    std::vector<Shown> shown;
};

class ForecastWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hotel.exec(tavelin::test::smallHotelStatements());
        auto &context = tavelin::hostContext();
        context.businessDate = tavelin::secondsAtLocalMidnight(QDate(2006, 12, 28));
        context.database = &hotel.db();
        context.hostText = u"host"_s;
    }

    // Opens the window as the modal run would, without entering it.
    void open()
    {
        dialog = std::make_unique<CTavelinDlg>();
        dialog->show();
        QApplication::setActiveWindow(dialog.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    }

    QComboBox *section() { return dialog->m_cmbSection; }
    QComboBox *feature() { return dialog->m_cmbExposure; }
    tavelin::SheetModel &gradeSheet() { return *dialog->m_gridGrade->sheet(); }
    tavelin::SheetModel &orgSheet() { return *dialog->m_gridOrg->sheet(); }

    // Leaves a combo the way a user does: focus it, type, tab to the next control.
    void typeAndLeave(QComboBox *combo, const QString &text)
    {
        combo->setFocus(Qt::MouseFocusReason);
        combo->setEditText(text);
        dialog->m_edtRmTypes->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    tavelin::test::MemoryDatabase hotel;
    RecordingPresenter messages;
    std::unique_ptr<CTavelinDlg> dialog;
};

} // namespace tavelin::test
