#include "tests/support/PgServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVersionNumber>

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tavelin::test {

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(QString(u"PgServer: "_s + message).toStdString());
}

QString findBinDirectory()
{
    const QString overridden = qEnvironmentVariable("TAVELIN_PG_BINDIR");
    if (!overridden.isEmpty()) {
        if (!QFileInfo(QDir(overridden).filePath(u"initdb"_s)).isExecutable())
            fail(u"TAVELIN_PG_BINDIR="_s + overridden + u" holds no initdb"_s);
        return overridden;
    }

    const QDir root(u"/usr/lib/postgresql"_s);
    QString best;
    QVersionNumber bestVersion;
    const QStringList versions = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : versions) {
        const QDir bin(root.filePath(entry + u"/bin"_s));
        if (!QFileInfo(bin.filePath(u"initdb"_s)).isExecutable()
            || !QFileInfo(bin.filePath(u"pg_ctl"_s)).isExecutable())
            continue;
        const QVersionNumber version = QVersionNumber::fromString(entry);
        if (best.isEmpty() || version > bestVersion) {
            best = bin.path();
            bestVersion = version;
        }
    }
    if (best.isEmpty())
        fail(u"no PostgreSQL server programs (initdb, pg_ctl) under /usr/lib/postgresql/*/bin; "
             "install the postgresql package (scripts/install-deps) or set TAVELIN_PG_BINDIR"_s);
    return best;
}

// The port is free when we look; the server binds it a moment later, so a
// start can still lose a race and is retried with another port.
int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        fail(u"socket() failed: "_s + QString::fromLocal8Bit(strerror(errno)));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        const QString reason = QString::fromLocal8Bit(strerror(errno));
        ::close(fd);
        fail(u"could not find a free port on 127.0.0.1: "_s + reason);
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

// PostgreSQL refuses to run as root, so as root the tools run as "postgres".
struct ToolUser
{
    bool switchUser = false;
    QString runuser;
    uid_t uid = 0;
    gid_t gid = 0;
};

ToolUser toolUser()
{
    ToolUser user;
    if (::geteuid() != 0)
        return user;
    const passwd *entry = ::getpwnam("postgres");
    if (!entry)
        fail(u"running as root, but there is no user \"postgres\" to run the server as"_s);
    user.switchUser = true;
    user.uid = entry->pw_uid;
    user.gid = entry->pw_gid;
    user.runuser = QStandardPaths::findExecutable(u"runuser"_s);
    if (user.runuser.isEmpty())
        user.runuser = QStandardPaths::findExecutable(
            u"runuser"_s, {u"/usr/sbin"_s, u"/sbin"_s, u"/usr/bin"_s, u"/bin"_s});
    if (user.runuser.isEmpty())
        fail(u"running as root, but runuser was not found to switch to user \"postgres\""_s);
    return user;
}

} // namespace

PgServer::PgServer()
    : m_binDirectory(findBinDirectory())
{
    const ToolUser runAs = toolUser();

    // As root the directory must be reachable by "postgres", which a private
    // TMPDIR may not be; the socket path also has to stay short.
    m_base = QDir::tempPath();
    if (runAs.switchUser || m_base.size() > 60)
        m_base = u"/tmp"_s;
    m_directory = std::make_unique<QTemporaryDir>(m_base + u"/tavelin-pg-XXXXXX"_s);
    if (!m_directory->isValid())
        fail(u"could not create a temporary directory under "_s + m_base + u": "_s
             + m_directory->errorString());
    if (runAs.switchUser
        && ::chown(QFile::encodeName(m_directory->path()).constData(), runAs.uid, runAs.gid) != 0)
        fail(u"could not hand "_s + m_directory->path() + u" to user postgres: "_s
             + QString::fromLocal8Bit(strerror(errno)));

    {
        QFile owner(m_directory->filePath(u"owner.pid"_s));
        if (owner.open(QIODevice::WriteOnly))
            owner.write(QByteArray::number(qint64(::getpid())));
    }
    reapAbandoned();

    bool fromTemplate = copyTemplate();
    if (!fromTemplate)
        initdb(dataDirectory());

    QString failures;
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt) {
        QString failure;
        if (startOnce(&failure))
            break;
        failures += failure + u'\n';
        if (fromTemplate) {
            // Rather than tell a lost port race from a broken template, start
            // over without the template.
            dropTemplate();
            QDir(dataDirectory()).removeRecursively();
            initdb(dataDirectory());
            fromTemplate = false;
        }
    }
    if (!m_running)
        fail(u"the server did not start:\n"_s + failures);
}

void PgServer::initdb(const QString &directory) const
{
    // Changing these arguments changes the template: see templateDirectory().
    runTool(u"initdb"_s, {u"-D"_s, directory, u"--auth=trust"_s, u"-U"_s, user(), u"-E"_s,
                          u"UTF8"_s, u"--locale=C"_s, u"--no-sync"_s,
                          // 1 MB WAL segments: a third less to copy per server.
                          u"--wal-segsize=1"_s});
}

void PgServer::reapAbandoned() const
{
    const QDir base(m_base);
    const QStringList names =
        base.entryList({u"tavelin-pg-??????"_s}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = base.filePath(name);
        QFile owner(path + u"/owner.pid"_s);
        if (path == m_directory->path() || !owner.open(QIODevice::ReadOnly))
            continue;
        bool ok = false;
        const qint64 pid = owner.readAll().trimmed().toLongLong(&ok);
        if (!ok || pid <= 0 || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        if (QFileInfo::exists(path + u"/data/postmaster.pid"_s)) {
            try {
                runTool(u"pg_ctl"_s, {u"stop"_s, u"-D"_s, path + u"/data"_s, u"-m"_s,
                                      u"immediate"_s, u"-w"_s});
            } catch (const std::exception &) {
                continue; // still running under a directory we would pull away
            }
        }
        QDir(path).removeRecursively();
    }
}

QString PgServer::templateDirectory() const
{
    const ToolUser runAs = toolUser();
    const uid_t owner = runAs.switchUser ? runAs.uid : ::geteuid();
    // The -2 names initdb's arguments: count up when they change.
    const QString version = QFileInfo(QFileInfo(m_binDirectory).path()).fileName();
    return m_base + u"/tavelin-pg-template-2-"_s + version + u'-' + QString::number(owner);
}

bool PgServer::copyTemplate() const
{
    const ToolUser runAs = toolUser();
    const uid_t owner = runAs.switchUser ? runAs.uid : ::geteuid();
    const QString cache = templateDirectory();
    try {
        if (!QFileInfo::exists(cache)) {
            // Built aside and renamed into place, so a template that exists is
            // complete even when two test processes race to build it.
            const QString building = m_directory->filePath(u"template"_s);
            initdb(building);
            if (::rename(QFile::encodeName(building).constData(),
                         QFile::encodeName(cache).constData())
                != 0)
                QDir(building).removeRecursively(); // another process was first
        }
        const QFileInfo info(cache);
        if (!info.isDir() || info.ownerId() != owner
            || !QFileInfo::exists(cache + u"/PG_VERSION"_s))
            return false;
        run(u"cp"_s, {u"-a"_s, cache, dataDirectory()});
        return true;
    } catch (const std::exception &) {
        QDir(dataDirectory()).removeRecursively();
        return false;
    }
}

void PgServer::dropTemplate() const
{
    const QString cache = templateDirectory();
    const QString doomed = m_directory->filePath(u"old-template"_s);
    // Renamed first so that no other process copies it half deleted.
    if (::rename(QFile::encodeName(cache).constData(), QFile::encodeName(doomed).constData()) == 0)
        QDir(doomed).removeRecursively();
}

PgServer::~PgServer()
{
    if (m_running) {
        try {
            runTool(u"pg_ctl"_s, {u"stop"_s, u"-D"_s, dataDirectory(), u"-m"_s, u"fast"_s, u"-w"_s});
        } catch (const std::exception &error) {
            ADD_FAILURE() << error.what();
        }
    }
}

QString PgServer::host() const
{
    return u"127.0.0.1"_s;
}

QString PgServer::user() const
{
    return u"tavelin"_s;
}

QString PgServer::dataDirectory() const
{
    return m_directory->filePath(u"data"_s);
}

bool PgServer::startOnce(QString *failure)
{
    m_port = freeLoopbackPort();
    return startOnPort(failure);
}

bool PgServer::startOnPort(QString *failure)
{
    const QString logFile = m_directory->filePath(u"server.log"_s);
    const QString options = u"-p "_s + QString::number(m_port) + u" -k "_s + m_directory->path()
                            + u" -c listen_addresses=127.0.0.1 -c fsync=off"_s;
    try {
        runTool(u"pg_ctl"_s, {u"start"_s, u"-w"_s, u"-t"_s, u"120"_s, u"-D"_s, dataDirectory(),
                              u"-l"_s, logFile, u"-o"_s, options});
    } catch (const std::exception &error) {
        QFile log(logFile);
        const QString logText =
            log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
        *failure = QString::fromLocal8Bit(error.what()) + u"\nserver log:\n"_s + logText;
        return false;
    }
    m_running = true;
    return true;
}

void PgServer::runTool(const QString &tool, const QStringList &arguments) const
{
    run(QDir(m_binDirectory).filePath(tool), arguments);
}

void PgServer::run(const QString &binary, const QStringList &arguments) const
{
    const ToolUser runAs = toolUser();
    QString program = binary;
    QStringList programArguments = arguments;
    if (runAs.switchUser) {
        program = runAs.runuser;
        programArguments = QStringList{u"-u"_s, u"postgres"_s, u"--"_s, binary} + arguments;
    }

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // "postgres" may not be able to enter the test's working directory.
    process.setWorkingDirectory(m_directory->path());
    process.start(program, programArguments);
    const bool finished = process.waitForStarted() && process.waitForFinished(180'000);
    const QString output = QString::fromLocal8Bit(process.readAll());
    if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(program + u' ' + programArguments.join(u' ') + u" failed ("_s
             + (finished ? u"exit code "_s + QString::number(process.exitCode())
                         : process.errorString())
             + u"):\n"_s + output);
    }
}

void PgServer::stop()
{
    if (!m_running)
        return;
    runTool(u"pg_ctl"_s, {u"stop"_s, u"-D"_s, dataDirectory(), u"-m"_s, u"fast"_s, u"-w"_s});
    m_running = false;
}

void PgServer::start()
{
    if (m_running)
        return;
    QString failure;
    if (!startOnPort(&failure))
        fail(u"the server did not start again on port "_s + QString::number(m_port) + u":\n"_s
             + failure);
}

QString PgServer::url(const QString &databaseName) const
{
    return u"postgresql://"_s + user() + u'@' + host() + u':' + QString::number(m_port) + u'/'
           + databaseName;
}

ScopedConnection PgServer::connectOdbc(const QString &databaseName) const
{
    const QString driver = postgresOdbcDriver();
    QSqlDatabase database = QSqlDatabase::addDatabase(u"QODBC"_s, uniqueConnectionName(u"pgodbc"_s));
    database.setDatabaseName(u"DRIVER="_s + driver + u";SERVER="_s + host() + u";PORT="_s
                             + QString::number(m_port) + u";DATABASE="_s + databaseName
                             + u";UID="_s + user() + u";PWD=;SSLmode=disable"_s);
    return openScoped(std::move(database),
                      u"PostgreSQL database "_s + databaseName + u" through ODBC driver "_s + driver
                          + u" on port "_s + QString::number(m_port));
}

ScopedConnection PgServer::connect(const QString &databaseName) const
{
    QSqlDatabase database = QSqlDatabase::addDatabase(u"QPSQL"_s, uniqueConnectionName(u"pg"_s));
    database.setHostName(host());
    database.setPort(m_port);
    database.setUserName(user());
    database.setDatabaseName(databaseName);
    return openScoped(std::move(database),
                      u"PostgreSQL database "_s + databaseName + u" on port "_s
                          + QString::number(m_port));
}

QString PgServer::createDatabase()
{
    const QString name = u"tavelin_"_s + QString::number(++m_databases);
    ScopedConnection admin = connect(u"postgres"_s);
    QString error;
    {
        QSqlQuery query(*admin);
        if (!query.exec(u"create database "_s + name))
            error = query.lastError().text();
    }
    if (!error.isEmpty())
        fail(u"create database "_s + name + u" failed: "_s + error);
    return name;
}

ScopedConnection PgServer::connectFresh()
{
    return connect(createDatabase());
}

PgEnvironment *PgEnvironment::s_instance = nullptr;

PgEnvironment::PgEnvironment()
{
    s_instance = this;
}

PgEnvironment::~PgEnvironment()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void PgEnvironment::TearDown()
{
    m_server.reset();
}

PgServer &PgEnvironment::server()
{
    if (!s_instance)
        throw std::runtime_error("PgEnvironment::server(): no PgEnvironment is registered; add "
                                 "::testing::AddGlobalTestEnvironment(new PgEnvironment)");
    PgEnvironment &environment = *s_instance;
    if (!environment.m_server) {
        if (!environment.m_startFailure.isEmpty())
            throw std::runtime_error(environment.m_startFailure.toStdString());
        try {
            environment.m_server = std::make_unique<PgServer>();
        } catch (const std::exception &error) {
            environment.m_startFailure = QString::fromLocal8Bit(error.what());
            throw;
        }
    }
    return *environment.m_server;
}

} // namespace tavelin::test
