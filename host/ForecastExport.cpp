#include "host/ForecastExport.h"

#include "controls/SheetModel.h"
#include "controls/SheetPrinter.h"
#include "data/DatabaseError.h"
#include "data/RecordSet.h"
#include "forecast/ForecastPrint.h"
#include "forecast/ForecastSearch.h"
#include "host/SheetWriters.h"
#include "host/XlsxWriter.h"

#include <QIODevice>
#include <QSaveFile>
#include <QSqlDatabase>

#include <optional>

using namespace Qt::StringLiterals;

namespace tavelin::host {

namespace {

const QString All = u"All"_s;

QString withoutTrailingBlanks(const QString &text)
{
    qsizetype size = text.size();
    while (size > 0 && text[size - 1].isSpace())
        --size;
    return text.first(size);
}

struct ListedCode
{
    QString code; // as stored, padding included
    QString description;
};

// The entry of a code list query (Code, description) whose code equals the
// given one; fixed-width columns pad codes with blanks that are no part of them.
std::optional<ListedCode> findListedCode(RecordSet &recordSet, const QString &sql, const QString &code)
{
    const QString wanted = withoutTrailingBlanks(code);
    std::optional<ListedCode> found;
    recordSet.open(sql);
    if (recordSet.recordCount() > 0) {
        recordSet.moveFirst();
        while (!found && !recordSet.isEOF()) {
            const QString listed = recordSet.fieldValue(u"Code"_s);
            if (withoutTrailingBlanks(listed) == wanted)
                found = ListedCode{listed, recordSet.fieldValue(1)};
            recordSet.moveNext();
        }
    }
    recordSet.close();
    return found;
}

void labelCorner(SheetModel &sheet, const QString &label)
{
    const SheetModel::Batch batch(sheet);
    sheet.setMaxRows(0);
    sheet.setMaxCols(0);
    sheet.setRow(0);
    sheet.setCol(0);
    sheet.setText(label);
}

QString codeLine(const std::optional<ListedCode> &entry)
{
    if (!entry)
        return All;
    const QString code = withoutTrailingBlanks(entry->code);
    return entry->description.isEmpty() ? code : code + u' ' + entry->description;
}

QString dayText(QDate day)
{
    return day.toString(u"yyyy-MM-dd"_s);
}

bool writeText(ExportFormat format, const SheetModel &sheet, QIODevice &out)
{
    switch (format) {
    case ExportFormat::Csv:
        return writeCsv(sheet, out);
    case ExportFormat::Json:
        return writeJson(sheet, out);
    case ExportFormat::Text:
        return writeTextTable(sheet, out);
    case ExportFormat::Xlsx:
    case ExportFormat::Pdf:
        break;
    }
    return false;
}

} // namespace

ExportResult searchForExport(QSqlDatabase &db, const ExportOptions &options, QDate businessDate,
                             SheetModel &gradeSheet, SheetModel &orgSheet, CriteriaLines *criteria)
{
    labelCorner(gradeSheet, u"客房等级"_s);
    labelCorner(orgSheet, u"客源类型"_s);
    clearForecast(gradeSheet, orgSheet);

    SearchCriteria search;
    search.begin = options.from;
    search.end = options.to;
    search.businessDate = businessDate;
    search.includeDueOut = options.includeDueOut;
    search.roomGrades = options.grades;

    RecordSet recordSet(&db);
    std::optional<ListedCode> section;
    std::optional<ListedCode> feature;
    try {
        // The window's lists offer only live codes and refuse a typed one they
        // do not hold; an empty section is a list with nothing selected.
        if (options.section.isEmpty()) {
            search.sectionSelected = false;
        } else if (options.section != All) {
            section = findListedCode(recordSet, u"select Code,chnDescp from RmSection where del=0"_s,
                                     options.section);
            if (!section)
                return {2, u"该区段代码不存在，请检查！"_s};
            search.sectionCode = section->code;
        }
        if (options.feature != All) {
            feature = findListedCode(recordSet, u"select Code,ChnDescp from Exposure where del=0"_s,
                                     options.feature);
            if (!feature)
                return {2, u"该特征代码不存在，请检查！"_s};
            search.featureText = feature->code;
        }

        if (const std::optional<CheckFailure> refused = checkCriteria(search))
            return {2, refused->message};

        runForecast(search, recordSet, gradeSheet, orgSheet);
    } catch (const DatabaseError &error) {
        return {1, error.driverText()};
    }

    if (criteria) {
        *criteria = {
            {u"日期"_s, dayText(search.begin) + u" 至 "_s + dayText(search.end)},
            {u"区段"_s, codeLine(section)},
            {u"特性"_s, codeLine(feature)},
            {u"客房等级"_s, search.roomGrades.isEmpty() ? All : search.roomGrades},
            {u"含应离"_s, search.includeDueOut ? u"是"_s : u"否"_s},
            {u"营业日期"_s, dayText(businessDate)},
        };
    }
    return {};
}

ExportResult writeExport(const SheetModel &sheet, const ExportOptions &options, const CriteriaLines &criteria,
                         QIODevice &standardOutput)
{
    if (options.format == ExportFormat::Xlsx) {
        if (options.outputFile.isEmpty())
            return {2, u"--format xlsx needs a file to write: -o FILE"_s};
        const bool availability = options.grid == ExportGrid::Availability;
        XlsxPage page;
        page.sheetName = availability ? u"可用状态"_s : u"占用状态"_s;
        page.title = u"可租房情况 · "_s + page.sheetName;
        page.criteria = criteria;
        if (const QString problem = writeXlsx(sheet, page, options.outputFile); !problem.isEmpty())
            return {1, problem};
        return {};
    }

    if (options.format == ExportFormat::Pdf) {
        if (options.outputFile.isEmpty())
            return {2, u"--format pdf needs a file to write: -o FILE"_s};
        if (const QString problem = writeSheetPdf(sheet, options.outputFile); !problem.isEmpty())
            return {1, problem};
        return {};
    }

    if (options.outputFile.isEmpty()) {
        if (!writeText(options.format, sheet, standardOutput))
            return {1, u"cannot write to standard output: "_s + standardOutput.errorString()};
        return {};
    }

    QSaveFile file(options.outputFile);
    // Where no temporary file can be made beside it (a device, a folder we
    // may write the file in but not create others), write in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return {1, u"cannot write %1: %2"_s.arg(options.outputFile, file.errorString())};
    if (!writeText(options.format, sheet, file) || !file.commit())
        return {1, u"cannot write %1: %2"_s.arg(options.outputFile, file.errorString())};
    return {};
}

ExportResult exportForecast(QSqlDatabase &db, const ExportOptions &options, QDate businessDate,
                            QIODevice &standardOutput)
{
    SheetModel gradeSheet;
    SheetModel orgSheet;
    CriteriaLines criteria;
    const ExportResult searched = searchForExport(db, options, businessDate, gradeSheet, orgSheet, &criteria);
    if (searched.exitCode != 0)
        return searched;
    SheetModel &sheet = options.grid == ExportGrid::Availability ? gradeSheet : orgSheet;
    applyForecastPrintSettings(sheet, businessDate);
    return writeExport(sheet, options, criteria, standardOutput);
}

} // namespace tavelin::host
