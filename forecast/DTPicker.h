#pragma once

#include <QDateEdit>

namespace tavelin {

// The window's date picker: a date box with a calendar pop-up.
// The window writes its value as "yyyy-MM-dd" text and reads it as a day;
// changed() reports only the user's own changes, not the window's writes.
class CDTPicker : public QDateEdit
{
    Q_OBJECT

public:
    explicit CDTPicker(QWidget *parent = nullptr);

    QDate value() const { return date(); }
    // A text that is not a valid "yyyy-MM-dd" day leaves the value unchanged.
    void setValue(const QString &isoDay);

Q_SIGNALS:
    void changed();

private:
    bool m_writing = false;
};

} // namespace tavelin
