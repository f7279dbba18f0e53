#include "hosting/Tavelin.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QString>
#include <QTextStream>

using namespace Qt::StringLiterals;

// Stands in for the forecast module: reports on standard output what the host
// handed over, one key=value a line, and returns at once instead of showing a window.
extern "C" Q_DECL_EXPORT void Tavelin_Ex(QString hostText, qint64 businessDate, QSqlDatabase *database,
                                         quint32 reserved)
{
    QTextStream out(stdout);
    out << u"hostText="_s << hostText << u'\n';
    out << u"businessDate="_s << businessDate << u'\n';
    out << u"reserved="_s << reserved << u'\n';
    out << u"application="_s << QString::fromLatin1(QCoreApplication::instance()->metaObject()->className()) << u'\n';
    out << u"open="_s << (database && database->isOpen() ? 1 : 0) << u'\n';
    if (database && database->isOpen()) {
        out << u"driver="_s << database->driverName() << u'\n';
        QSqlQuery count(*database);
        if (count.exec(u"SELECT count(*) FROM rmtype"_s) && count.next())
            out << u"grades="_s << count.value(0).toInt() << u'\n';
        count.finish();
        QSqlQuery write(*database);
        out << u"writable="_s << (write.exec(u"INSERT INTO rmtype (code, ChnDescp) VALUES ('ZZ', 'x')"_s) ? 1 : 0)
            << u'\n';
    }
    out.flush();
}
