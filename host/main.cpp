// tavelin-host: stands in for the part of the hotel program that the forecast
// module lives in. Exit codes: 0 done, 1 database or module failed, 2 bad options.

#include "host/HostDatabase.h"
#include "host/HostOptions.h"
#include "host/ModuleLoader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QTextStream>

#include <exception>

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

} // namespace

int main(int argc, char *argv[])
{
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

    // A run without a window (an export of a grid, say) takes its own branch
    // here, on a QCoreApplication, reusing databaseFor() and openDatabase().
    if (const QString problem = missingDisplay(); !problem.isEmpty()) {
        complain(problem);
        return 1;
    }
    QApplication app(argc, argv);
    return runWindow(parsed.options);
}
