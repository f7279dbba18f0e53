#pragma once

#include "host/DatabaseUrl.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavelin::host {

enum class ExportGrid { Availability, Occupancy };
enum class ExportFormat { Csv, Json, Xlsx, Text, Pdf };

// A run without the window: the search of the given criteria, one grid written out.
struct ExportOptions
{
    ExportGrid grid = ExportGrid::Availability;
    ExportFormat format = ExportFormat::Csv;
    QString outputFile; // empty: standard output (never for xlsx or pdf)
    QDate from;         // the business date unless given
    QDate to;           // nine days after from unless given, as the window sets it
    QString section = QStringLiteral("All"); // empty: no section chosen
    QString feature = QStringLiteral("All");
    QString grades;     // the room grade box's text, checked by the search
    bool includeDueOut = true;
};

struct HostOptions
{
    std::optional<DatabaseUrl> database; // empty: the demo database
    QDate businessDate;
    QString hostText;
    QString module; // a module file or a folder holding libtavelin.so; empty: the usual places
    std::optional<ExportOptions> exportOptions; // set: no window, no module
};

struct ParsedHostOptions
{
    enum class Outcome { Run, Help, Error };
    Outcome outcome = Outcome::Error;
    HostOptions options;
    QString text; // the help text, or what is wrong with the arguments
};

// arguments as in main(), the program first. Needs no application object, so
// the caller can choose which kind to create from the result.
ParsedHostOptions parseHostOptions(const QStringList &arguments, QDate today);

// $TAVELIN_DEMO_DB if set, else demo-hotel.sqlite in the folder above applicationDir.
QString defaultDatabasePath(const QString &applicationDir);

DatabaseUrl databaseFor(const HostOptions &options, const QString &applicationDir);

// The business date as the module takes it: the first second of that day in
// local time, as seconds since the epoch.
qint64 businessDateSeconds(QDate businessDate);

} // namespace tavelin::host
