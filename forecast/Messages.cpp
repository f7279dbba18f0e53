#include "forecast/Messages.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

namespace tavelin {

namespace {

MessagePresenter *g_presenter = nullptr;

MessageAnswer showMessageBox(QWidget *owner, const QString &text, const QString &caption, MessageKind kind)
{
    QMessageBox box(owner);
    box.setWindowTitle(caption.isEmpty() ? QGuiApplication::applicationDisplayName() : caption);
    box.setText(text);
    if (kind == MessageKind::Question) {
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

} // namespace

MessageAnswer showMessage(QWidget *owner, const QString &text, const QString &caption, MessageKind kind)
{
    if (g_presenter)
        return g_presenter->present(owner, text, caption, kind);
    return showMessageBox(owner, text, caption, kind);
}

QAction *MessagePresenter::popUp(QMenu &menu, const QPoint &globalPos)
{
    return menu.exec(globalPos);
}

QAction *popUpMenu(QMenu &menu, const QPoint &globalPos)
{
    if (g_presenter)
        return g_presenter->popUp(menu, globalPos);
    return menu.exec(globalPos);
}

void setMessagePresenter(MessagePresenter *presenter)
{
    g_presenter = presenter;
}

} // namespace tavelin
