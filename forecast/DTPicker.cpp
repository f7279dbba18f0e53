#include "forecast/DTPicker.h"

using namespace Qt::StringLiterals;

namespace tavelin {

CDTPicker::CDTPicker(QWidget *parent)
    : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat(u"yyyy-MM-dd"_s);
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!m_writing)
            Q_EMIT changed();
    });
}

void CDTPicker::setValue(const QString &isoDay)
{
    const QDate day = QDate::fromString(isoDay, u"yyyy-MM-dd"_s);
    if (!day.isValid())
        return;
    m_writing = true;
    setDate(day);
    m_writing = false;
}

} // namespace tavelin
