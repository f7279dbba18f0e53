// tavelin-host: stands in for the part of the hotel program that the forecast
// module lives in; with --export it runs the forecast search itself and writes a
// grid out. Exit codes: 0 done, 1 database, module or output failed, 2 bad
// options or criteria the search refuses.

#include "host/ForecastExport.h"
#include "host/HostDatabase.h"
#include "host/HostOptions.h"
#include "host/ModuleLoader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QTextStream>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>

#include <langinfo.h>

using namespace Qt::StringLiterals;
using namespace tavelin::host;

namespace {

const QString ConnectionName = u"tavelin-host"_s;

void complain(const QString &message)
{
    QTextStream(stderr) << u"tavelin-host: "_s << message << Qt::endl;
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int callModule(TavelinExFunction entryPoint, const HostOptions &options, QSqlDatabase *db)
{
    try {
        entryPoint(options.hostText, businessDateSeconds(options.businessDate), db, 0);
    } catch (const std::exception &e) {
        complain(u"the module failed: "_s + QString::fromLocal8Bit(e.what()));
        return 1;
    } catch (...) {
        complain(u"the module failed with an unknown exception"_s);
        return 1;
    }
    return 0;
}

// unixODBC converts statement text for ANSI drivers (SQLite's among them) in
// the codeset of LC_CTYPE; under LANG=C a Chinese code in a filter reaches the
// database mangled and silently matches nothing.
void useUtf8Ctype()
{
    const auto utf8 = [] {
        const char *codeset = nl_langinfo(CODESET);
        return std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0;
    };
    if (!utf8())
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

// QApplication aborts the process when it finds no display; say so instead.
QString missingDisplay()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = qEnvironmentVariableIsSet("DISPLAY");
    const bool wayland = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if ((platform.isEmpty() && !x11 && !wayland) || (platform.startsWith(u"xcb") && !x11)
        || (platform.startsWith(u"wayland") && !wayland))
        return u"no display to show the window on: set DISPLAY, or QT_QPA_PLATFORM=offscreen for a run "
               u"without one"_s;
    return QString();
}

// The forecast window: the module shows it modally and returns when it closes.
int runWindow(const HostOptions &options)
{
    const QString applicationDir = QCoreApplication::applicationDirPath();
    const DatabaseUrl url = databaseFor(options, applicationDir);
    int status = 0;
    {
        QString error;
        QSqlDatabase db = openDatabase(url, ConnectionName, &error);
        if (!db.isValid()) {
            complain(u"cannot open database %1: %2"_s.arg(url.display, error));
            return 1;
        }
        ModuleLoader module(options.module, applicationDir);
        if (module.load()) {
            status = callModule(module.entryPoint(), options, &db);
        } else {
            complain(module.errorString());
            status = 1;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    return status;
}

// A grid written out instead of the window: no display, no module.
int runExport(const HostOptions &options)
{
    const DatabaseUrl url = databaseFor(options, QCoreApplication::applicationDirPath());
    ExportResult result;
    {
        QString error;
        QSqlDatabase db = openDatabase(url, ConnectionName, &error);
        if (!db.isValid()) {
            complain(u"cannot open database %1: %2"_s.arg(url.display, error));
            return 1;
        }
        QFile standardOutput;
        if (!standardOutput.open(stdout, QIODevice::WriteOnly)) {
            result = {1, u"cannot write to standard output: "_s + standardOutput.errorString()};
        } else {
            result = exportForecast(db, *options.exportOptions, options.businessDate, standardOutput);
            if (!standardOutput.flush() && result.exitCode == 0)
                result = {1, u"cannot write to standard output: "_s + standardOutput.errorString()};
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    if (result.exitCode != 0)
        complain(result.message);
    return result.exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    std::setlocale(LC_ALL, "");
    useUtf8Ctype();
    QCoreApplication::setApplicationName(u"tavelin-host"_s);

    // Parsed before any application object exists, so that each way of running
    // can create the kind it needs.
    const ParsedHostOptions parsed = parseHostOptions(argumentsOf(argc, argv), QDate::currentDate());
    switch (parsed.outcome) {
    case ParsedHostOptions::Outcome::Help:
        QTextStream(stdout) << parsed.text;
        return 0;
    case ParsedHostOptions::Outcome::Error:
        complain(parsed.text + u" (see --help)"_s);
        return 2;
    case ParsedHostOptions::Outcome::Run:
        break;
    }

    if (parsed.options.exportOptions && parsed.options.exportOptions->format == ExportFormat::Pdf) {
        // Fonts and painting need a GUI application, but a PDF needs no screen:
        // the offscreen platform runs without a display and finds the same fonts.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        useUtf8Ctype();
        return runExport(parsed.options);
    }
    if (parsed.options.exportOptions) {
        QCoreApplication app(argc, argv);
        // The application object applies the environment's locale again
        // (setlocale(LC_ALL, "")), undoing the first call.
        useUtf8Ctype();
        return runExport(parsed.options);
    }

    if (const QString problem = missingDisplay(); !problem.isEmpty()) {
        complain(problem);
        return 1;
    }
    QApplication app(argc, argv);
    useUtf8Ctype();
    return runWindow(parsed.options);
}
