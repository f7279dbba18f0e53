#pragma once

// Throw-away database connections for tests.
//
//   auto sqlite = tavelin::test::openSqliteMemory();
//   ASSERT_TRUE(tavelin::test::execAll(*sqlite, {u"create table t (code char(6))"_s}));
//   tavelin::RecordSet records(sqlite.get());
//
// Every helper returns an open ScopedConnection under a connection name of its
// own, so tests never share state. Helpers that cannot open a connection throw
// std::runtime_error with the driver's text; gtest reports that as a failure of
// the test (or of SetUp) that asked.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tavelin::test {

// Owns one registered connection (and any files behind it). On destruction it
// closes the connection, removes it from QSqlDatabase's registry and then
// deletes the files. Queries on the connection must be gone by then. The
// QSqlDatabase keeps its address when the ScopedConnection is moved, so a
// RecordSet may hold get() for as long as the ScopedConnection lives.
class ScopedConnection
{
public:
    ScopedConnection() = default;
    // Takes over a connection registered with QSqlDatabase::addDatabase(); files,
    // if given, are removed after the connection is closed.
    explicit ScopedConnection(QSqlDatabase database, std::unique_ptr<QTemporaryDir> files = {});
    ~ScopedConnection();

    ScopedConnection(ScopedConnection &&other) noexcept = default;
    ScopedConnection &operator=(ScopedConnection &&other) noexcept;
    ScopedConnection(const ScopedConnection &) = delete;
    ScopedConnection &operator=(const ScopedConnection &) = delete;

    QSqlDatabase *get() const noexcept { return m_database.get(); }
    QSqlDatabase &operator*() const noexcept { return *m_database; }
    QSqlDatabase *operator->() const noexcept { return m_database.get(); }
    explicit operator bool() const noexcept { return m_database != nullptr; }

    // Closes and unregisters now; the object is empty afterwards.
    void reset();

private:
    std::unique_ptr<QSqlDatabase> m_database;
    std::unique_ptr<QTemporaryDir> m_files;
};

// Wraps a connection the caller has just registered (addDatabase + settings,
// not yet opened) and opens it. The caller's QSqlDatabase is emptied so that
// the ScopedConnection is the only user. On failure the connection is
// unregistered again and std::runtime_error thrown with description and the
// driver's text.
ScopedConnection openScoped(QSqlDatabase &&registered, const QString &description,
                            std::unique_ptr<QTemporaryDir> files = {});

// A connection name not used before in this process, e.g. "sqlite-3".
QString uniqueConnectionName(const QString &prefix);

// Fresh, empty in-memory SQLite database (QSQLITE, ":memory:").
ScopedConnection openSqliteMemory();

// The SQLite3 ODBC driver: the path of libsqlite3odbc.so found on this machine
// (environment variable TAVELIN_SQLITE_ODBC_DRIVER overrides), or the
// registered name "{SQLite3}" when no file is found.
QString sqliteOdbcDriver();

// QODBC through unixODBC and the SQLite3 ODBC driver on a new, empty database
// file in a temporary directory that is deleted with the connection. Switches
// LC_CTYPE to a UTF-8 locale first if it is not one already (as a
// QApplication host with LANG=*.UTF-8 would have): unixODBC converts text for
// this ANSI driver in the locale's codeset.
ScopedConnection openOdbcSqliteFile();

// The same on an existing (or to be created) file that the caller owns.
ScopedConnection openOdbcSqliteFile(const QString &filePath);

// The psqlODBC Unicode driver as a DRIVER= value: "{PostgreSQL Unicode}" (or
// TAVELIN_PG_ODBC_DRIVER). When unixODBC has no driver of that name, the
// driver library found on this machine is registered under it in an
// odbcinst.ini of a temporary folder that ODBCSYSINI then points to. unixODBC
// reads ODBCSYSINI once per process, so call this before the first ODBC
// connection of the process. Throws std::runtime_error when psqlODBC is not
// installed.
QString postgresOdbcDriver();

// Runs each statement in order on the connection and stops at the first one
// that fails. Use as ASSERT_TRUE(execAll(db, {...})); the failure message
// holds the statement and the driver's text.
::testing::AssertionResult execAll(QSqlDatabase &database, const QStringList &statements);

} // namespace tavelin::test
