// tavelin-demo: writes a demo hotel database for tavelin-host.
// Exit codes: 0 written, 1 could not write, 2 bad options.

#include "demo/DemoHotel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QTextStream>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tavelin::demo;

namespace {

// The file being written; an interrupted run removes it so that nothing
// half-written is left behind.
char partialPath[4096];

void removePartialAndStop(int signalNumber)
{
    if (partialPath[0] != '\0')
        ::unlink(partialPath);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

constexpr int StopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void guardPartial(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (std::size_t(encoded.size()) >= sizeof partialPath)
        return;
    std::memcpy(partialPath, encoded.constData(), std::size_t(encoded.size()) + 1);
    for (int s : StopSignals)
        std::signal(s, removePartialAndStop);
}

// Holds back the stop signals while the partial file is created and guarded.
class StopSignalsHeld
{
public:
    StopSignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int s : StopSignals)
            sigaddset(&held, s);
        sigprocmask(SIG_BLOCK, &held, &m_previous);
    }
    ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    StopSignalsHeld(const StopSignalsHeld &) = delete;
    StopSignalsHeld &operator=(const StopSignalsHeld &) = delete;

private:
    sigset_t m_previous;
};

void releasePartial()
{
    partialPath[0] = '\0';
}

int fail(const QString &message, int exitCode)
{
    QTextStream(stderr) << u"tavelin-demo: "_s << message << Qt::endl;
    return exitCode;
}

// Runs the generator on a fresh SQLite file; empty on success, else what went wrong.
QString writeDatabase(const QString &fileName, const DemoOptions &options, DemoSummary *summary)
{
    const QString connection = u"tavelin-demo"_s;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
        db.setDatabaseName(fileName);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            // The file is renamed into place only when complete, so a journal buys nothing.
            QSqlQuery pragma(db);
            pragma.exec(u"PRAGMA journal_mode = OFF"_s);
            pragma.exec(u"PRAGMA synchronous = OFF"_s);
            try {
                *summary = generateDemoHotel(db, options);
            } catch (const DemoError &e) {
                error = e.text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return error;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tavelin-demo"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes a demo hotel database (SQLite) for tavelin-host."_s);
    parser.addHelpOption();
    const QCommandLineOption outOption(u"out"_s, u"The database file to write (required)."_s, u"file"_s);
    const QCommandLineOption dateOption(u"business-date"_s, u"The hotel's business date; default today."_s,
                                        u"yyyy-mm-dd"_s);
    const QCommandLineOption seedOption(u"seed"_s, u"Seed of the generated hotel; default 1."_s, u"n"_s, u"1"_s);
    const QCommandLineOption sizeOption(u"size"_s,
                                        u"standard (300 rooms, 18 months) or large (2,000 rooms, 40 grades, "
                                        u"300 organisations, 24 months, for benchmarks); default standard."_s,
                                        u"size"_s, u"standard"_s);
    const QCommandLineOption forceOption(u"force"_s, u"Replace the file if it exists."_s);
    parser.addOptions({outOption, dateOption, seedOption, sizeOption, forceOption});

    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText(), 2);
    if (parser.isSet(u"help"_s)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(u"unexpected argument %1"_s.arg(parser.positionalArguments().constFirst()), 2);
    if (parser.value(outOption).isEmpty())
        return fail(u"--out FILE is required"_s, 2);

    DemoOptions options;
    options.businessDate = QDate::currentDate();
    if (parser.isSet(dateOption)) {
        options.businessDate = QDate::fromString(parser.value(dateOption), u"yyyy-MM-dd"_s);
        if (!options.businessDate.isValid())
            return fail(u"--business-date %1 is not a date of the form YYYY-MM-DD"_s.arg(parser.value(dateOption)), 2);
    }
    bool seedOk = false;
    options.seed = parser.value(seedOption).toULongLong(&seedOk);
    if (!seedOk || parser.value(seedOption).startsWith(u'-'))
        return fail(u"--seed %1 is not a non-negative whole number"_s.arg(parser.value(seedOption)), 2);
    const std::optional<HotelSize> size = hotelSizeFromName(parser.value(sizeOption));
    if (!size)
        return fail(u"--size %1: use standard or large"_s.arg(parser.value(sizeOption)), 2);
    options.size = *size;

    const QFileInfo target(parser.value(outOption));
    if (target.isDir())
        return fail(u"%1 is a folder"_s.arg(target.filePath()), 1);
    if (target.exists() && !parser.isSet(forceOption))
        return fail(u"%1 exists; --force replaces it"_s.arg(target.filePath()), 1);
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        return fail(u"cannot write %1: folder %2 does not exist"_s.arg(target.filePath(), folder.path()), 1);

    QTemporaryFile partial(folder.filePath(u".%1.XXXXXX"_s.arg(target.fileName())));
    {
        const StopSignalsHeld held;
        if (!partial.open())
            return fail(u"cannot write in %1: %2"_s.arg(folder.path(), partial.errorString()), 1);
        partial.close();
        guardPartial(partial.fileName());
    }

    QElapsedTimer timer;
    timer.start();
    DemoSummary summary;
    const QString error = writeDatabase(partial.fileName(), options, &summary);
    if (!error.isEmpty()) {
        releasePartial();
        return fail(u"cannot write %1: %2"_s.arg(target.filePath(), error), 1);
    }

    // Temporary files are private to their owner; a database is for reading.
    partial.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    std::error_code renameError;
    std::filesystem::rename(QFile::encodeName(partial.fileName()).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), renameError);
    releasePartial();
    if (renameError)
        return fail(u"cannot write %1: %2"_s.arg(target.filePath(), QString::fromStdString(renameError.message())), 1);
    partial.setAutoRemove(false);

    QTextStream(stdout) << u"tavelin-demo: wrote %1 (%2 hotel, business date %3, seed %4): %5 rooms, %6 grades, "
                           u"%7 organisations, %8 reservations, %9 room blocks; "_s.arg(target.filePath(),
                               hotelSizeName(options.size), options.businessDate.toString(Qt::ISODate))
                               .arg(options.seed)
                               .arg(summary.rooms)
                               .arg(summary.grades)
                               .arg(summary.organisations)
                               .arg(summary.reservations)
                               .arg(summary.roomBlocks)
                        << u"%1 rows in Tavelin_1, %2 in Tavelin_2; %3 s"_s.arg(summary.gradeForecastRows)
                               .arg(summary.organisationForecastRows)
                               .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1)
                        << Qt::endl;
    return 0;
}
