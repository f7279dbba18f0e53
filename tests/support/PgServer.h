#pragma once

// A private PostgreSQL server for one test executable.
//
// Register the environment once per executable (works with gtest_main):
//
//   [[maybe_unused]] static auto *const pg =
//       ::testing::AddGlobalTestEnvironment(new tavelin::test::PgEnvironment);
//
// then, in a test:
//
//   auto db = tavelin::test::PgEnvironment::server().connectFresh();
//
// The server starts on the first call of server(), so tests that never ask
// for it pay nothing, and stops when the environment is torn down. Under
// ctest every test runs in its own process and so gets its own server.

#include "tests/support/TestDatabases.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace tavelin::test {

// initdb + pg_ctl from the highest /usr/lib/postgresql/<version>/bin (or
// TAVELIN_PG_BINDIR), run as user "postgres" when this process is root, into
// a temporary directory; TCP on 127.0.0.1 with a free port, trust
// authentication for user "tavelin", UTF8, locale C, fsync off.
//
// initdb is the slow part and every ctest process starts its own server, so
// the first initdb result is kept as a template next to the temporary
// directories (tavelin-pg-template-2-<version>-<uid>) and later servers start
// from a copy of it. A template that will not start is dropped and rebuilt.
//
// A test process that crashes or is killed cannot stop its server; the next
// PgServer stops and removes servers whose owning process is gone.
class PgServer
{
public:
    // Throws std::runtime_error with the tool output when the server cannot
    // be found, initialised or started.
    PgServer();
    ~PgServer(); // pg_ctl stop -m fast, then the directory is removed

    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    QString host() const;          // "127.0.0.1"
    int port() const noexcept { return m_port; }
    QString user() const;          // "tavelin", a superuser
    QString binDirectory() const { return m_binDirectory; }
    QString dataDirectory() const;

    // An open QPSQL connection (unique connection name) to an existing
    // database; "postgres" always exists. Throws std::runtime_error on failure.
    ScopedConnection connect(const QString &databaseName = QStringLiteral("postgres")) const;

    // Creates an empty database with a name not used before in this server
    // ("tavelin_1", "tavelin_2", ...) and returns the name.
    QString createDatabase();

    // createDatabase() and connect() in one: the usual start of a test.
    ScopedConnection connectFresh();

    // The same database through QODBC and psqlODBC (postgresOdbcDriver()), with
    // a connection string that names no DSN. Throws std::runtime_error on failure.
    ScopedConnection connectOdbc(const QString &databaseName) const;

    // postgresql://tavelin@127.0.0.1:PORT/databaseName, as tavelin-host takes it.
    QString url(const QString &databaseName) const;

    // Stops the server (pg_ctl stop -m fast: open sessions are ended) and
    // starts it again on the same data directory and port, so that clients
    // can reconnect with the settings they had. Both throw std::runtime_error
    // with the tool output; start() fails when the port was taken meanwhile.
    void stop();
    void start();
    bool isRunning() const noexcept { return m_running; }

private:
    void run(const QString &program, const QStringList &arguments) const;
    void runTool(const QString &tool, const QStringList &arguments) const;
    void initdb(const QString &directory) const;
    bool copyTemplate() const;
    void dropTemplate() const;
    bool startOnce(QString *failure);
    bool startOnPort(QString *failure);
    QString templateDirectory() const;
    void reapAbandoned() const;

    QString m_binDirectory;
    QString m_base; // holds m_directory and the template
    std::unique_ptr<QTemporaryDir> m_directory;
    int m_port = 0;
    int m_databases = 0;
    bool m_running = false;
};

class PgEnvironment : public ::testing::Environment
{
public:
    PgEnvironment();
    ~PgEnvironment() override;

    void TearDown() override;

    // The executable's server, started on first use. Throws
    // std::runtime_error when no PgEnvironment is registered or the server
    // cannot start.
    static PgServer &server();

private:
    std::unique_ptr<PgServer> m_server;
    QString m_startFailure; // a failed start is not retried by every later test
    static PgEnvironment *s_instance;
};

} // namespace tavelin::test
