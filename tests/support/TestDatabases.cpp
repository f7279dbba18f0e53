#include "tests/support/TestDatabases.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>

#include <clocale>
#include <cstring>
#include <memory>
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

// Library folders where Debian and other systems put ODBC drivers, multiarch ones first.
QStringList odbcLibraryDirectories()
{
    QStringList directories;
    const QDir usrLib(u"/usr/lib"_s);
    const QStringList archFolders = usrLib.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &folder : archFolders)
        directories << usrLib.filePath(folder + u"/odbc"_s);
    directories << u"/usr/lib/odbc"_s << u"/usr/lib64/odbc"_s << u"/usr/lib64"_s
                << u"/usr/local/lib/odbc"_s << u"/usr/local/lib"_s << u"/usr/lib"_s;
    return directories;
}

QString findOdbcLibrary(const QString &fileName)
{
    const QStringList directories = odbcLibraryDirectories();
    for (const QString &directory : directories) {
        const QFileInfo candidate(QDir(directory).filePath(fileName));
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return QString();
}

// Asks unixODBC itself, so that ODBCSYSINI, ODBCINSTINI and the user's own
// file count as they will for the connection.
bool odbcDriverRegistered(const QString &name)
{
    QProcess query;
    query.setProcessChannelMode(QProcess::MergedChannels);
    query.start(u"odbcinst"_s, {u"-q"_s, u"-d"_s, u"-n"_s, name});
    if (query.waitForStarted() && query.waitForFinished(30'000))
        return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0;

    // No odbcinst program: read the file the library would.
    const QString folder = qEnvironmentVariable("ODBCSYSINI", u"/etc"_s);
    const QString file = qEnvironmentVariable("ODBCINSTINI", u"odbcinst.ini"_s);
    QFile ini(QDir(folder).filePath(file));
    return ini.open(QIODevice::ReadOnly)
           && QString::fromUtf8(ini.readAll()).contains(u'[' + name + u']');
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

    const QString library = findOdbcLibrary(u"libsqlite3odbc.so"_s);
    return library.isEmpty() ? u"{SQLite3}"_s : library;
}

QString postgresOdbcDriver()
{
    const QString fromEnvironment = qEnvironmentVariable("TAVELIN_PG_ODBC_DRIVER");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;

    static const QString registered = []() -> QString {
        const QString name = u"PostgreSQL Unicode"_s;
        if (odbcDriverRegistered(name))
            return u'{' + name + u'}';

        const QString library = findOdbcLibrary(u"psqlodbcw.so"_s);
        if (library.isEmpty())
            throw std::runtime_error("psqlODBC (psqlodbcw.so) is not installed: install the "
                                     "odbc-postgresql package (scripts/install-deps)");
        // Lives as long as the process: unixODBC may read the file at any connection.
        static std::unique_ptr<QTemporaryDir> folder =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + u"/tavelin-odbcinst-XXXXXX"_s);
        QFile ini(folder->filePath(u"odbcinst.ini"_s));
        if (!folder->isValid() || !ini.open(QIODevice::WriteOnly | QIODevice::Text))
            throw std::runtime_error("could not write a temporary odbcinst.ini");
        ini.write(QString(u'[' + name + u"]\nDescription=PostgreSQL ODBC driver (Unicode version)\n"_s
                          + u"Driver="_s + library + u"\n"_s)
                      .toUtf8());
        ini.close();
        qputenv("ODBCSYSINI", QFile::encodeName(folder->path()));
        qunsetenv("ODBCINSTINI");
        return u'{' + name + u'}';
    }();
    return registered;
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
