#pragma once

#include <QDate>
#include <QString>

class QSqlDatabase;

namespace tavelin {

// What the host handed over at its last call of Tavelin_Ex. Overwritten by
// every call, never cleared; the connection is the host's and is not owned.
struct HostContext
{
    QString hostText;          // passed on unread to the reservation module
    qint64 businessDate = 0;   // seconds since 1970-01-01 00:00 UTC
    QSqlDatabase *database = nullptr;
};

HostContext &hostContext();

// The business date as a local calendar day.
QDate businessDay();

// Local midnight of a day as seconds since the epoch: the host's form of a business date.
qint64 secondsAtLocalMidnight(QDate day);

} // namespace tavelin
