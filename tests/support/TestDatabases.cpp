#include "tests/support/TestDatabases.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <clocale>
#include <cstring>
#include <stdexcept>

#include <langinfo.h>

using namespace Qt::StringLiterals;

namespace tavelin::test {

namespace {

// unixODBC hands text to an ANSI driver (the SQLite one is) in the codeset of
// LC_CTYPE as it stands when the connection opens; the driver stores it as
// UTF-8. A QApplication host has called setlocale(), a bare test process has
// not, and in the "C" locale every Chinese character is cut to one byte.
void useUtf8Ctype()
{
    const auto utf8 = [] { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; };
    if (utf8())
        return;
    if (std::setlocale(LC_CTYPE, "") && utf8())
        return;
    if (std::setlocale(LC_CTYPE, "C.UTF-8") && utf8())
        return;
    throw std::runtime_error("no UTF-8 locale for LC_CTYPE: unixODBC would mangle non-ASCII text");
}

ScopedConnection openOdbc(const QString &filePath, std::unique_ptr<QTemporaryDir> files)
{
    useUtf8Ctype();
    const QString driver = sqliteOdbcDriver();
    QSqlDatabase database = QSqlDatabase::addDatabase(u"QODBC"_s, uniqueConnectionName(u"odbc"_s));
    database.setDatabaseName(u"DRIVER="_s + driver + u";Database="_s + filePath);
    return openScoped(std::move(database), u"SQLite file "_s + filePath + u" through ODBC driver "_s + driver,
                 std::move(files));
}

} // namespace

ScopedConnection::ScopedConnection(QSqlDatabase database, std::unique_ptr<QTemporaryDir> files)
    : m_database(std::make_unique<QSqlDatabase>(std::move(database)))
    , m_files(std::move(files))
{
}

ScopedConnection::~ScopedConnection()
{
    reset();
}

ScopedConnection &ScopedConnection::operator=(ScopedConnection &&other) noexcept
{
    if (this != &other) {
        reset();
        m_database = std::move(other.m_database);
        m_files = std::move(other.m_files);
    }
    return *this;
}

void ScopedConnection::reset()
{
    if (m_database) {
        const QString name = m_database->connectionName();
        m_database->close();
        // removeDatabase() complains while any QSqlDatabase copy is still alive.
        m_database.reset();
        QSqlDatabase::removeDatabase(name);
    }
    m_files.reset();
}

ScopedConnection openScoped(QSqlDatabase &&database, const QString &description,
                            std::unique_ptr<QTemporaryDir> files)
{
    ScopedConnection connection(database, std::move(files));
    database = QSqlDatabase(); // the registry entry must have no other user
    if (!connection->open()) {
        const QString message =
            u"Could not open "_s + description + u": "_s + connection->lastError().text();
        connection.reset();
        throw std::runtime_error(message.toStdString());
    }
    return connection;
}

QString uniqueConnectionName(const QString &prefix)
{
    static QAtomicInt counter;
    return prefix + u'-' + QString::number(counter.fetchAndAddRelaxed(1) + 1);
}

ScopedConnection openSqliteMemory()
{
    QSqlDatabase database =
        QSqlDatabase::addDatabase(u"QSQLITE"_s, uniqueConnectionName(u"sqlite"_s));
    database.setDatabaseName(u":memory:"_s);
    return openScoped(std::move(database), u"an in-memory SQLite database"_s);
}

QString sqliteOdbcDriver()
{
    const QString fromEnvironment = qEnvironmentVariable("TAVELIN_SQLITE_ODBC_DRIVER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;

    const QString library = u"libsqlite3odbc.so"_s;
    QStringList directories;
    // Multiarch folders (/usr/lib/x86_64-linux-gnu/odbc, ...) first.
    const QDir usrLib(u"/usr/lib"_s);
    const QStringList archFolders = usrLib.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &folder : archFolders)
        directories << usrLib.filePath(folder + u"/odbc"_s);
    directories << u"/usr/lib/odbc"_s << u"/usr/lib64/odbc"_s << u"/usr/lib64"_s
                << u"/usr/local/lib/odbc"_s << u"/usr/local/lib"_s << u"/usr/lib"_s;
    for (const QString &directory : std::as_const(directories)) {
        const QFileInfo candidate(QDir(directory).filePath(library));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return u"{SQLite3}"_s;
}

ScopedConnection openOdbcSqliteFile(const QString &filePath)
{
    return openOdbc(filePath, {});
}

ScopedConnection openOdbcSqliteFile()
{
    auto files = std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/tavelin-odbc-XXXXXX"_s);
    if (!files->isValid())
        throw std::runtime_error(
            QString(u"Could not create a temporary directory: "_s + files->errorString()).toStdString());
    const QString filePath = files->filePath(u"test.sqlite"_s);
    return openOdbc(filePath, std::move(files));
}

::testing::AssertionResult execAll(QSqlDatabase &database, const QStringList &statements)
{
    for (const QString &statement : statements) {
        QSqlQuery query(database);
        if (!query.exec(statement)) {
            return ::testing::AssertionFailure()
                   << "statement failed on " << database.driverName().toStdString() << ": "
                   << statement.toStdString() << "\n  " << query.lastError().text().toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace tavelin::test
