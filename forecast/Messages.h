#pragma once

#include <QString>

class QAction;
class QMenu;
class QPoint;
class QWidget;

namespace tavelin {

enum class MessageKind {
    Information, // an OK button, no icon
    Question,    // Yes and No buttons, the question-mark icon
};

enum class MessageAnswer { Ok, Yes, No };

// Every message box and pop-up menu of the module goes through here, so that
// a test can read what would have been shown instead of entering a modal loop.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual MessageAnswer present(QWidget *owner, const QString &text, const QString &caption,
                                  MessageKind kind) = 0;
    // The chosen entry, or nullptr when the menu was dismissed.
    virtual QAction *popUp(QMenu &menu, const QPoint &globalPos);
};

// An empty caption shows the application's own title.
MessageAnswer showMessage(QWidget *owner, const QString &text, const QString &caption = {},
                          MessageKind kind = MessageKind::Information);

// Shows the menu with its top-left corner at the point and waits for a choice.
QAction *popUpMenu(QMenu &menu, const QPoint &globalPos);

// Replaces the presenter for the whole process; nullptr goes back to QMessageBox.
void setMessagePresenter(MessagePresenter *presenter);

} // namespace tavelin
