#include "orlemba/Orlemba.h"

#include "forecast/ReservationModule.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <type_traits>

using namespace Qt::StringLiterals;

static_assert(std::is_same_v<decltype(&RsvDetail_Ex), tavelin::RsvDetailExFunction>);

// A demo booking window: it shows what the forecast handed over and closes
// before the call returns, since the caller unloads the module at once.
extern "C" int RsvDetail_Ex(QString hostText, qint64 businessDate, qint32 mode, qint32 first, qint32 second,
                            QString &reply)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return -1;

    QDialog window;
    window.setWindowTitle(u"预定 (演示)"_s);
    auto *layout = new QVBoxLayout(&window);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const QString day = QDateTime::fromSecsSinceEpoch(businessDate).date().toString(u"yyyy-MM-dd"_s);
    auto *text = new QLabel(hostText);
    text->setTextFormat(Qt::PlainText);
    form->addRow(u"主机文本:"_s, text);
    form->addRow(u"营业日期:"_s, new QLabel(day));
    form->addRow(u"参数:"_s, new QLabel(u"%1, %2, %3"_s.arg(mode).arg(first).arg(second)));
    auto *note = new QLabel(u"这是演示用的预定模块，不会保存任何预定。"_s);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(u"关闭"_s);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
    layout->addWidget(buttons);
    window.exec();
    reply = u"closed"_s;
    return 0;
}
