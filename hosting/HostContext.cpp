#include "hosting/HostContext.h"

#include <QDateTime>

namespace tavelin {

HostContext &hostContext()
{
    static HostContext context;
    return context;
}

QDate businessDay()
{
    return QDateTime::fromSecsSinceEpoch(hostContext().businessDate).date();
}

qint64 secondsAtLocalMidnight(QDate day)
{
    return day.startOfDay().toSecsSinceEpoch();
}

} // namespace tavelin
