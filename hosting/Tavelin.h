#pragma once

#include <QtGlobal>

class QString;
class QSqlDatabase;

// The module's one export. The host resolves it by this plain name from
// libtavelin.so and calls it on its GUI thread with a QApplication running:
//   hostText      an opaque text from the host, passed on to the reservation module
//   businessDate  the host's business date, seconds since 1970-01-01 00:00 UTC
//   database      the host's open connection; the module only reads through it
//   reserved      never read
// The call shows the forecast window modally and returns when it is closed.
extern "C" Q_DECL_EXPORT void Tavelin_Ex(QString hostText, qint64 businessDate, QSqlDatabase *database,
                                         quint32 reserved);

using TavelinExFunction = void (*)(QString, qint64, QSqlDatabase *, quint32);
