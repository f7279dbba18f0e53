#pragma once

#include "host/HostOptions.h"

#include <QDate>
#include <QList>
#include <QString>

#include <utility>

class QIODevice;
class QSqlDatabase;

namespace tavelin {
class SheetModel;
}

namespace tavelin::host {

// How an export ended, as the process exit code: 0 written, 1 the database
// or the output failed, 2 the criteria were refused. The message is for
// standard error (empty on success).
struct ExportResult
{
    int exitCode = 0;
    QString message;
};

using CriteriaLines = QList<std::pair<QString, QString>>; // label, value

// The window's search for the options: the corners labelled as the window
// labels them, both sheets cleared, the section and feature codes checked
// against the live RmSection and Exposure rows as the window's lists offer
// them, then the search's own checks and the queries. On success both sheets
// hold their grids and *criteria (if given) describes the search.
ExportResult searchForExport(QSqlDatabase &db, const ExportOptions &options, QDate businessDate,
                             SheetModel &gradeSheet, SheetModel &orgSheet, CriteriaLines *criteria = nullptr);

// Writes the sheet in the options' format to their file, or to standardOutput
// when they name none (never for xlsx or pdf). A file is replaced only when
// complete. pdf prints with the sheet's print settings and needs a QGuiApplication.
ExportResult writeExport(const SheetModel &sheet, const ExportOptions &options, const CriteriaLines &criteria,
                         QIODevice &standardOutput);

// Both of the above, for the grid the options chose, with the window's print
// settings for the business date.
ExportResult exportForecast(QSqlDatabase &db, const ExportOptions &options, QDate businessDate,
                            QIODevice &standardOutput);

} // namespace tavelin::host
