#include "host/HostDatabase.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace tavelin::host {

namespace {

QString driverText(const QSqlError &error)
{
    const QString text = error.text().trimmed();
    return text.isEmpty() ? u"the driver gave no reason"_s : text;
}

// Returns what is wrong, or an empty text.
QString tryOpen(QSqlDatabase &db, const DatabaseUrl &url)
{
    if (url.driver == u"QSQLITE") {
        // Checked first: the driver would only say "unable to open database file".
        const QFileInfo file(url.databaseName);
        if (!file.exists())
            return u"no such file"_s;
        if (file.isDir())
            return u"it is a folder"_s;
    }
    db.setDatabaseName(url.databaseName);
    db.setHostName(url.hostName);
    db.setPort(url.port);
    db.setUserName(url.userName);
    db.setPassword(url.password);
    db.setConnectOptions(url.connectOptions);
    if (!db.open())
        return driverText(db.lastError());
    if (url.driver == u"QSQLITE") {
        // SQLite opens any file lazily; reading the schema tells a database from other files.
        QSqlQuery probe(db);
        if (!probe.exec(u"SELECT count(*) FROM sqlite_master"_s))
            return driverText(probe.lastError());
    }
    return QString();
}

} // namespace

QSqlDatabase openDatabase(const DatabaseUrl &url, const QString &connectionName, QString *error)
{
    if (!QSqlDatabase::isDriverAvailable(url.driver)) {
        *error = u"the Qt SQL driver %1 is not installed (available: %2)"_s.arg(
            url.driver, QSqlDatabase::drivers().join(u", "_s));
        return QSqlDatabase();
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(url.driver, connectionName);
        const QString problem = tryOpen(db, url);
        if (problem.isEmpty()) {
            error->clear();
            return db;
        }
        *error = problem;
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return QSqlDatabase();
}

} // namespace tavelin::host
