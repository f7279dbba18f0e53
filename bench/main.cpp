// tavelin-bench: times the forecast search on the large demo hotel over the
// longest span, piece by piece, against the targets: under 10 % of the whole
// search outside the database's own execution, under 50 ms for the sheet model
// to take the 301 x 1,462 cells of the largest occupancy grid.
// Exit codes: 0 measured, 1 the database failed, 2 bad options.

#include "controls/SheetModel.h"
#include "data/DatabaseError.h"
#include "data/RecordSet.h"
#include "demo/DemoHotel.h"
#include "forecast/CodeList.h"
#include "forecast/ForecastSearch.h"
#include "forecast/ForecastSql.h"
#include "forecast/GradeGrid.h"
#include "forecast/OrgGrid.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#ifdef TAVELIN_BENCH_SQLITE3
#include <sqlite3.h>
#endif

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <time.h>

using namespace Qt::StringLiterals;
using namespace tavelin;

namespace {

const QString Connection = u"tavelin-bench"_s;
const QString CopyConnection = u"tavelin-bench-copy"_s;

// The model's target: 301 rows by 1,462 columns, headings included. The
// largest occupancy grid itself is 302 by 1,461 (300 organisations, the
// subtotal and the heading row; two columns for each of 730 days and the
// heading column), 441,222 cells against these 440,062.
constexpr int FillRows = 301;
constexpr int FillColumns = 1462;

class BenchError : public std::runtime_error
{
public:
    explicit BenchError(const QString &text)
        : std::runtime_error(text.toStdString())
        , m_text(text)
    {
    }
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

// CPU time of this thread: the search runs in one thread and waits for
// nothing (the file sits in the page cache), so on an idle machine this is
// its wall time, and on a busy one it leaves out the others' turns.
double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double millisecondsOf(const std::function<void()> &work)
{
    const double start = threadMilliseconds();
    work();
    return threadMilliseconds() - start;
}

// Figures by name, one value per run.
class Samples
{
public:
    void add(const QString &name, double value)
    {
        if (!m_values.count(name))
            m_order.push_back(name);
        m_values[name].push_back(value);
    }
    bool has(const QString &name) const { return m_values.count(name) != 0; }
    double last(const QString &name) const { return m_values.at(name).back(); }
    qsizetype count(const QString &name) const { return qsizetype(m_values.at(name).size()); }
    double median(const QString &name) const
    {
        std::vector<double> values = m_values.at(name);
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    }
    double min(const QString &name) const
    {
        const std::vector<double> &values = m_values.at(name);
        return *std::min_element(values.begin(), values.end());
    }
    const std::vector<QString> &names() const { return m_order; }

private:
    std::map<QString, std::vector<double>> m_values;
    std::vector<QString> m_order;
};


// exec and a forward-only walk over every row without reading a value: what
// the database and Qt's driver cost before any of our code sees the result.
qint64 rawPass(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble); // as RecordSet reads
    if (!query.exec(sql))
        throw BenchError(query.lastError().text());
    qint64 rows = 0;
    while (query.next())
        ++rows;
    if (query.lastError().type() != QSqlError::NoError)
        throw BenchError(query.lastError().text());
    return rows;
}

#ifdef TAVELIN_BENCH_SQLITE3
// The SQLite engine alone: prepare and step, no column read, no Qt driver.
class EngineConnection
{
public:
    explicit EngineConnection(const QString &file)
    {
        if (sqlite3_open_v2(QFile::encodeName(file).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr)
            != SQLITE_OK)
            throw BenchError(u"sqlite3_open_v2: "_s + QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    ~EngineConnection() { sqlite3_close(m_db); }
    EngineConnection(const EngineConnection &) = delete;
    EngineConnection &operator=(const EngineConnection &) = delete;

    void run(const QString &sql)
    {
        sqlite3_stmt *statement = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
            throw BenchError(u"sqlite3_prepare_v2: "_s + QString::fromUtf8(sqlite3_errmsg(m_db)));
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        sqlite3_finalize(statement);
        if (step != SQLITE_DONE)
            throw BenchError(u"sqlite3_step: "_s + QString::fromUtf8(sqlite3_errmsg(m_db)));
    }

private:
    sqlite3 *m_db = nullptr;
};
#endif

void labelAndClear(SheetModel &gradeSheet, SheetModel &orgSheet)
{
    for (auto [sheet, label] : {std::pair{&gradeSheet, u"客房等级"_s}, std::pair{&orgSheet, u"客源类型"_s}}) {
        const SheetModel::Batch batch(*sheet);
        sheet->setMaxRows(0);
        sheet->setMaxCols(0);
        sheet->setRow(0);
        sheet->setCol(0);
        sheet->setText(label);
    }
    clearForecast(gradeSheet, orgSheet);
}

// The cells a builder wrote, replayed from ready texts into a fresh model,
// row by row as the occupancy builder writes: the model's share of the work.
struct SheetCopy
{
    int cols = 0;
    int rows = 0;
    std::vector<QString> texts;              // row-major
    std::vector<std::optional<Colour>> fore; // row-major
};

SheetCopy copyOf(const SheetModel &sheet)
{
    SheetCopy copy;
    copy.cols = sheet.maxCols();
    copy.rows = sheet.maxRows();
    for (int r = 0; r <= copy.rows; ++r) {
        for (int c = 0; c <= copy.cols; ++c) {
            copy.texts.push_back(sheet.cellText(c, r));
            copy.fore.push_back(sheet.cellForeColor(c, r));
        }
    }
    return copy;
}

void replay(const SheetCopy &copy, SheetModel &sheet)
{
    const SheetModel::Batch batch(sheet);
    sheet.setMaxRows(copy.rows);
    sheet.setMaxCols(copy.cols);
    std::size_t at = 0;
    for (int r = 0; r <= copy.rows; ++r) {
        sheet.setRow(r);
        for (int c = 0; c <= copy.cols; ++c, ++at) {
            sheet.setCol(c);
            if (copy.fore[at])
                sheet.setForeColor(*copy.fore[at]);
            sheet.setText(copy.texts[at]);
        }
    }
}

// Exactly FillRows x FillColumns cells through the cursor from ready texts,
// row by row (as the occupancy builder writes) or column by column.
void fillLargest(SheetModel &sheet, const std::vector<QString> &pool, bool byColumn)
{
    const SheetModel::Batch batch(sheet);
    sheet.setMaxRows(FillRows - 1);
    sheet.setMaxCols(FillColumns - 1);
    const auto text = [&](int c, int r) -> const QString & { return pool[std::size_t(r * 31 + c) % pool.size()]; };
    if (byColumn) {
        for (int c = 0; c < FillColumns; ++c) {
            sheet.setCol(c);
            for (int r = 0; r < FillRows; ++r) {
                sheet.setRow(r);
                sheet.setText(text(c, r));
            }
        }
        return;
    }
    for (int r = 0; r < FillRows; ++r) {
        sheet.setRow(r);
        for (int c = 0; c < FillColumns; ++c) {
            sheet.setCol(c);
            sheet.setText(text(c, r));
        }
    }
}

struct Query
{
    QString key;   // short name for the figures
    QString label; // for the table
    QString sql;
    QString copySql; // the same rows from the in-memory copy
    qint64 rows = 0;
};

struct Setup
{
    SearchCriteria criteria;
    ForecastFilter filter;
    std::vector<Query> queries;
};

Setup prepare(QDate businessDate)
{
    Setup setup;
    SearchCriteria &criteria = setup.criteria;
    criteria.begin = businessDate;
    criteria.end = businessDate.addDays(729);
    criteria.businessDate = businessDate;
    if (const auto refused = checkCriteria(criteria))
        throw BenchError(refused->message);
    setup.filter = *forecastFilter(criteria);
    const ForecastFilter &f = setup.filter;
    setup.queries = {
        {u"grade-count"_s, u"grade count (rmtype)"_s, gradeCountSql(f.roomGrades), {}, 0},
        {u"grade-list"_s, u"grade list (rmtype)"_s, gradeListSql(f.roomGrades), {}, 0},
        {u"tavelin-1"_s, u"by grade (Tavelin_1)"_s, availabilitySql(f), {}, 0},
        {u"org-count"_s, u"organisation count (Org)"_s, organisationCountSql(), {}, 0},
        {u"org-list"_s, u"organisation list (Org)"_s, organisationListSql(), {}, 0},
        {u"tavelin-2"_s, u"by organisation (Tavelin_2)"_s, occupancySql(f), {}, 0},
    };
    return setup;
}

void exec(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw BenchError(sql + u": "_s + query.lastError().text());
}

// Each query's result stored as a table of an in-memory database. Reading it
// back costs the engine little more than a scan, so the time our code adds
// to a query (RecordSet::open less the bare pass over the same rows) stands
// out of the noise of a 400 ms GROUP BY instead of drowning in it.
void copyResults(QSqlDatabase &copy, const QString &file, std::vector<Query> &queries)
{
    exec(copy, u"attach database '%1' as hotel"_s.arg(sqlStringBody(file)));
    for (Query &query : queries) {
        const QString table = u"copy_"_s + QString(query.key).replace(u'-', u'_');
        exec(copy, u"create table %1 as %2"_s.arg(table, query.sql));
        query.copySql = u"select * from "_s + table;
    }
    exec(copy, u"detach database hotel"_s);
}

// This machine is shared and its clock rate wanders: the same work may take
// a third longer from one second to the next. Figures that are differences
// (our reading: RecordSet::open less the bare pass over the same rows) are
// therefore taken in pairs run back to back, in alternating order, and the
// median of the pairs' differences is kept; single figures are medians too.
constexpr int DatabaseTries = 5;
constexpr int OurTries = 7;

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double medianTime(int tries, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < tries; ++i)
        times.push_back(millisecondsOf(work));
    return medianOf(times);
}

// The median of time(more) - time(less) over pairs run back to back.
double pairedDifference(int tries, const std::function<void()> &more, const std::function<void()> &less)
{
    std::vector<double> differences;
    for (int i = 0; i < tries; ++i) {
        if (i % 2 == 0) {
            const double a = millisecondsOf(more);
            differences.push_back(a - millisecondsOf(less));
        } else {
            const double b = millisecondsOf(less);
            differences.push_back(millisecondsOf(more) - b);
        }
    }
    return medianOf(differences);
}

// Writes the grid into a fresh sheet each try and keeps the last sheet; the
// others are cleared as the next search clears them, and that is timed too.
double medianWrite(bool occupancy, const std::function<void(SheetModel &)> &write,
                   std::unique_ptr<SheetModel> &kept, double *clearing)
{
    std::vector<double> times;
    std::vector<double> clearings;
    for (int i = 0; i < OurTries; ++i) {
        auto sheet = std::make_unique<SheetModel>();
        SheetModel other;
        const auto labelAndClearBoth = [&] {
            if (occupancy)
                labelAndClear(other, *sheet);
            else
                labelAndClear(*sheet, other);
        };
        labelAndClearBoth();
        times.push_back(millisecondsOf([&] { write(*sheet); }));
        if (i + 1 < OurTries)
            clearings.push_back(millisecondsOf(labelAndClearBoth));
        kept = std::move(sheet);
    }
    *clearing = medianOf(clearings);
    return medianOf(times);
}

// One run: our parts on the copies, the model fills, then the whole search
// paired with the bare passes of its six queries.
// oursOnly: only the code outside the database, on the copies; for a profiler.
void measure(QSqlDatabase &db, QSqlDatabase &copy, Setup &setup, [[maybe_unused]] const QString &file,
             bool oursOnly, Samples &samples)
{
    const ForecastFilter &f = setup.filter;
    RecordSet copyRecords(&copy);

    double outside = 0;
    for (Query &query : setup.queries) {
        const double reading = pairedDifference(
            OurTries,
            [&] {
                copyRecords.open(query.copySql);
                copyRecords.close();
            },
            [&] { query.rows = rawPass(copy, query.copySql); });
        samples.add(query.key + u"/reading"_s, reading);
        if (query.key.endsWith(u"count") || query.key.endsWith(u"list"))
            outside += reading; // the lists do no more than read
    }

    CodeList grades = readCodeList(copyRecords, setup.queries[0].copySql, setup.queries[1].copySql);
    CodeList organisations = readCodeList(copyRecords, setup.queries[3].copySql, setup.queries[4].copySql);

    // The builders' reading halves: the rows read and arranged, less the
    // bare pass over them; arranging is that less the reading alone.
    GradeForecast gradeRows;
    OrgForecast orgRows;
    const QString &gradeSql = setup.queries[2].copySql;
    const QString &orgSql = setup.queries[5].copySql;
    const double gradeOurs = pairedDifference(
        OurTries, [&] { gradeRows = readGradeForecast(copyRecords, gradeSql, f.begin, f.end, grades); },
        [&] { rawPass(copy, gradeSql); });
    const double orgOurs = pairedDifference(
        OurTries, [&] { orgRows = readOrgForecast(copyRecords, orgSql, f.begin, f.end, organisations); },
        [&] { rawPass(copy, orgSql); });
    samples.add(u"grid/grade-arrange"_s, gradeOurs - samples.last(u"tavelin-1/reading"_s));
    samples.add(u"grid/org-arrange"_s, orgOurs - samples.last(u"tavelin-2/reading"_s));
    outside += gradeOurs + orgOurs;

    std::unique_ptr<SheetModel> gradeSheet;
    std::unique_ptr<SheetModel> orgSheet;
    double gradeClear = 0;
    double orgClear = 0;
    const double gradeWrite = medianWrite(
        false, [&](SheetModel &sheet) { writeGradeGrid(gradeRows, grades, sheet); }, gradeSheet, &gradeClear);
    const double orgWrite = medianWrite(
        true, [&](SheetModel &sheet) { writeOrgGrid(orgRows, organisations, sheet); }, orgSheet, &orgClear);
    samples.add(u"grid/grade-write"_s, gradeWrite);
    samples.add(u"grid/org-write"_s, orgWrite);
    samples.add(u"grid/clear"_s, gradeClear + orgClear);
    outside += gradeWrite + orgWrite + gradeClear + orgClear;
    samples.add(u"search/outside"_s, outside);

    const SheetCopy gradeCopy = copyOf(*gradeSheet);
    const SheetCopy orgCopy = copyOf(*orgSheet);
    samples.add(u"fill/grade"_s, medianTime(OurTries, [&] {
                    SheetModel sheet;
                    replay(gradeCopy, sheet);
                }));
    samples.add(u"fill/org"_s, medianTime(OurTries, [&] {
                    SheetModel sheet;
                    replay(orgCopy, sheet);
                }));
    samples.add(u"cells/grade"_s, double(gradeCopy.texts.size()));
    samples.add(u"cells/org"_s, double(orgCopy.texts.size()));

    std::vector<QString> pool;
    for (int i = 0; i < 1000; ++i)
        pool.push_back(QString::number(i));
    samples.add(u"fill/largest"_s, medianTime(OurTries, [&] {
                    SheetModel sheet;
                    fillLargest(sheet, pool, false);
                }));
    samples.add(u"fill/largest-by-column"_s, medianTime(OurTries, [&] {
                    SheetModel sheet;
                    fillLargest(sheet, pool, true);
                }));

    if (oursOnly)
        return;

    // The whole search as the window runs it (clearing the last one's grids
    // first), each time next to the bare passes of its six queries.
    RecordSet recordSet(&db);
    SheetModel wholeGrades;
    SheetModel wholeOrgs;
    std::vector<double> wholes;
    std::vector<double> databases;
    std::vector<double> walls;
    std::map<QString, std::vector<double>> queryTimes;
#ifdef TAVELIN_BENCH_SQLITE3
    static EngineConnection engine(file);
    std::map<QString, std::vector<double>> engineTimes;
#endif
    for (int i = 0; i < DatabaseTries; ++i) {
        double database = 0;
        for (Query &query : setup.queries) {
            const double raw = millisecondsOf([&] { query.rows = rawPass(db, query.sql); });
            queryTimes[query.key].push_back(raw);
            database += raw;
        }
        QElapsedTimer wall;
        wall.start();
        const double whole = millisecondsOf([&] {
            labelAndClear(wholeGrades, wholeOrgs);
            runForecast(setup.criteria, recordSet, wholeGrades, wholeOrgs);
        });
        walls.push_back(double(wall.nsecsElapsed()) / 1e6);
        wholes.push_back(whole);
        databases.push_back(database);
        // Every pair counts on its own: the database's half-second varies by
        // more than our share from one pair to the next, and only the median
        // of many pairs settles.
        samples.add(u"search/pair-share"_s, 100.0 * (whole - database) / whole);
#ifdef TAVELIN_BENCH_SQLITE3
        for (const Query &query : setup.queries)
            engineTimes[query.key].push_back(millisecondsOf([&] { engine.run(query.sql); }));
#endif
    }
    for (const Query &query : setup.queries) {
        samples.add(query.key + u"/database"_s, medianOf(queryTimes[query.key]));
#ifdef TAVELIN_BENCH_SQLITE3
        samples.add(query.key + u"/engine"_s, medianOf(engineTimes[query.key]));
#endif
    }
    const double database = medianOf(databases);
    samples.add(u"database/total"_s, database);
    samples.add(u"search/whole"_s, medianOf(wholes));
    samples.add(u"search/whole-wall"_s, medianOf(walls));
    samples.add(u"search/outside-share"_s, 100.0 * outside / (outside + database));
}

QString generate(const QString &file, QDate businessDate)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"tavelin-bench-generate"_s);
        db.setDatabaseName(file);
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery pragma(db);
            pragma.exec(u"PRAGMA journal_mode = OFF"_s);
            pragma.exec(u"PRAGMA synchronous = OFF"_s);
            try {
                demo::DemoOptions options;
                options.businessDate = businessDate;
                options.size = demo::HotelSize::Large;
                demo::generateDemoHotel(db, options);
            } catch (const demo::DemoError &e) {
                error = e.text();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(u"tavelin-bench-generate"_s);
    return error;
}

// What the demo generator wrote into the file about itself, if anything.
QString demoInfo(QSqlDatabase &db, const QString &name)
{
    QSqlQuery query(db);
    query.prepare(u"select value from demo_info where name = ?"_s);
    query.addBindValue(name);
    if (query.exec() && query.next())
        return query.value(0).toString();
    return QString();
}

QString fixed(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

void printTable(QTextStream &out, const Setup &setup, const Samples &s, int runs, long peakKiB)
{
    const auto line = [&](const QString &label, const QString &median, const QString &min,
                          const QString &note = QString()) {
        out << u"  "_s << label.leftJustified(50) << median.rightJustified(10) << min.rightJustified(10);
        if (!note.isEmpty())
            out << u"  "_s << note;
        out << u'\n';
    };
    const auto row = [&](const QString &label, const QString &key, const QString &note = QString()) {
        line(label, fixed(s.median(key), 2), fixed(s.min(key), 2), note);
    };
    const ForecastFilter &f = setup.filter;
    out << u"Forecast search, large demo hotel, %1 to %2 (%3 days), %4 runs; thread CPU milliseconds,\n"_s
               .arg(f.begin.toString(Qt::ISODate), f.end.toString(Qt::ISODate))
               .arg(f.begin.daysTo(f.end) + 1)
               .arg(runs)
        << u"each run's figure the median of its tries, then the median and least of the runs\n"_s;
    line(QString(), u"median"_s, u"min"_s);
    out << u"Queries\n"_s;
    for (const Query &query : setup.queries) {
        row(query.label + u": database"_s, query.key + u"/database"_s, u"%1 rows"_s.arg(query.rows));
        if (s.has(query.key + u"/engine"_s))
            row(u"  of which the SQLite engine alone"_s, query.key + u"/engine"_s);
        row(u"  our row reading (RecordSet::open)"_s, query.key + u"/reading"_s);
    }
    out << u"Grid building\n"_s;
    row(u"availability: arranging the rows"_s, u"grid/grade-arrange"_s);
    row(u"availability: writeGradeGrid"_s, u"grid/grade-write"_s,
        u"%1 cells"_s.arg(qint64(s.median(u"cells/grade"_s))));
    row(u"occupancy: arranging the rows"_s, u"grid/org-arrange"_s);
    row(u"occupancy: writeOrgGrid"_s, u"grid/org-write"_s, u"%1 cells"_s.arg(qint64(s.median(u"cells/org"_s))));
    row(u"clearing both grids for the next search"_s, u"grid/clear"_s);
    out << u"Model fill (the builders' cells, replayed row by row from ready texts)\n"_s;
    row(u"availability sheet"_s, u"fill/grade"_s);
    row(u"occupancy sheet"_s, u"fill/org"_s);
    row(u"301 x 1,462 cells through the cursor"_s, u"fill/largest"_s,
        s.median(u"fill/largest"_s) < 50 ? u"target < 50 ms: met"_s : u"target < 50 ms: MISSED"_s);
    row(u"  the same column by column"_s, u"fill/largest-by-column"_s);
    out << u"Whole search\n"_s;
    row(u"runForecast, measured whole"_s, u"search/whole"_s);
    row(u"  the same by the wall clock"_s, u"search/whole-wall"_s);
    row(u"the database's own execution (six queries)"_s, u"database/total"_s);
    row(u"outside it: reading, arranging, writing, clearing"_s, u"search/outside"_s);
    const auto target = [](double share) {
        return share < 10 ? u"target < 10 %: met"_s : u"target < 10 %: MISSED"_s;
    };
    const auto percent = [&](const QString &key) {
        return std::pair{QString(fixed(s.median(key)) + u" %"_s), QString(fixed(s.min(key)) + u" %"_s)};
    };
    const double pairs = s.median(u"search/pair-share"_s);
    line(u"share outside: whole less database, by pairs"_s, fixed(pairs) + u" %"_s, u"-"_s,
         target(pairs) + u" (median of %1 pairs)"_s.arg(s.count(u"search/pair-share"_s)));
    const auto [partsMedian, partsMin] = percent(u"search/outside-share"_s);
    line(u"share outside: from the parts above"_s, partsMedian, partsMin,
         target(s.median(u"search/outside-share"_s)));
    out << u"Peak memory (ru_maxrss): %1 MiB\n"_s.arg(fixed(double(peakKiB) / 1024.0));
}

QJsonObject jsonOf(const Setup &setup, const Samples &s, int runs, long peakKiB)
{
    QJsonObject figures;
    for (const QString &name : s.names())
        figures.insert(name, QJsonObject{{u"median"_s, s.median(name)}, {u"min"_s, s.min(name)}});
    QJsonArray queries;
    for (const Query &query : setup.queries)
        queries.append(QJsonObject{{u"key"_s, query.key}, {u"sql"_s, query.sql}, {u"rows"_s, query.rows}});
    return QJsonObject{{u"begin"_s, setup.filter.begin.toString(Qt::ISODate)},
                       {u"end"_s, setup.filter.end.toString(Qt::ISODate)},
                       {u"runs"_s, runs},
                       {u"unit"_s, u"ms"_s},
                       {u"queries"_s, queries},
                       {u"figures"_s, figures},
                       {u"peakKiB"_s, qint64(peakKiB)}};
}

int fail(const QString &message, int exitCode)
{
    QTextStream(stderr) << u"tavelin-bench: "_s << message << Qt::endl;
    return exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tavelin-bench"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Times the forecast search on the large demo hotel (2,000 rooms, 40 grades, 300 organisations) "
        u"over the longest span, 730 days from the business date."_s);
    parser.addHelpOption();
    const QCommandLineOption dbOption(
        u"db"_s, u"A large demo hotel SQLite file to use; written there first if it does not exist. "
                 u"Default: a temporary one."_s,
        u"file"_s);
    const QCommandLineOption runsOption(u"runs"_s, u"Measured runs, after one to warm up; default 5."_s, u"n"_s,
                                        u"5"_s);
    const QCommandLineOption dateOption(
        u"business-date"_s, u"The business date of a generated hotel; default 2026-06-15."_s, u"yyyy-mm-dd"_s,
        u"2026-06-15"_s);
    const QCommandLineOption jsonOption(u"json"_s, u"Also write the figures as JSON to this file."_s, u"file"_s);
    QCommandLineOption generateOption(u"generate-only"_s, u"Write the hotel to the file and stop."_s, u"file"_s);
    generateOption.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption oursOnlyOption(
        u"ours-only"_s, u"Run only the code outside the database (on copies of the results) and print nothing: "
                        u"for valgrind --tool=callgrind and the like."_s);
    parser.addOptions({dbOption, runsOption, dateOption, jsonOption, oursOnlyOption, generateOption});
    if (!parser.parse(QCoreApplication::arguments()))
        return fail(parser.errorText(), 2);
    if (parser.isSet(u"help"_s)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    bool runsOk = false;
    const int runs = parser.value(runsOption).toInt(&runsOk);
    if (!runsOk || runs < 1)
        return fail(u"--runs %1 is not a positive number"_s.arg(parser.value(runsOption)), 2);
    const QDate businessDate = QDate::fromString(parser.value(dateOption), u"yyyy-MM-dd"_s);
    if (!businessDate.isValid())
        return fail(u"--business-date %1 is not a date of the form YYYY-MM-DD"_s.arg(parser.value(dateOption)), 2);

    if (parser.isSet(generateOption)) {
        const QString error = generate(parser.value(generateOption), businessDate);
        return error.isEmpty() ? 0 : fail(error, 1);
    }

    // The hotel is written by a child process, so that the peak memory
    // reported is the searches' own.
    QTemporaryDir temporary;
    QString file = parser.value(dbOption);
    if (file.isEmpty()) {
        if (!temporary.isValid())
            return fail(u"cannot make a temporary folder: "_s + temporary.errorString(), 1);
        file = temporary.filePath(u"large-hotel.sqlite"_s);
    }
    if (!QFileInfo::exists(file)) {
        QTextStream(stderr) << u"tavelin-bench: writing the large demo hotel to "_s << file << Qt::endl;
        // Under another name until complete, so that a run stopped half-way
        // leaves nothing a later one would take for the hotel.
        const QString partial = file + u".partial"_s;
        QFile::remove(partial);
        const int status = QProcess::execute(QCoreApplication::applicationFilePath(),
                                             {u"--generate-only"_s, partial, u"--business-date"_s,
                                              businessDate.toString(Qt::ISODate)});
        if (status != 0 || !QFile::rename(partial, file))
            QFile::remove(partial);
        if (!QFileInfo::exists(file))
            return fail(u"could not write the hotel to "_s + file, 1);
    }

    int status = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, Connection);
        db.setDatabaseName(file);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        QSqlDatabase copy = QSqlDatabase::addDatabase(u"QSQLITE"_s, CopyConnection);
        copy.setDatabaseName(u":memory:"_s);
        if (!db.open()) {
            status = fail(u"cannot open %1: %2"_s.arg(file, db.lastError().text()), 1);
        } else if (!copy.open()) {
            status = fail(u"cannot open an in-memory database: "_s + copy.lastError().text(), 1);
        } else {
            try {
                const QDate stored = QDate::fromString(demoInfo(db, u"business_date"_s), u"yyyy-MM-dd"_s);
                if (demoInfo(db, u"size"_s) != u"large")
                    QTextStream(stderr) << u"tavelin-bench: "_s << file
                                        << u" is not the large demo hotel; the targets are set for that one"_s
                                        << Qt::endl;
                Setup setup = prepare(stored.isValid() ? stored : businessDate);
                copyResults(copy, file, setup.queries);
                const bool oursOnly = parser.isSet(oursOnlyOption);
                Samples warmUp;
                measure(db, copy, setup, file, oursOnly, warmUp);
                Samples samples;
                for (int i = 0; i < runs; ++i)
                    measure(db, copy, setup, file, oursOnly, samples);

                if (!oursOnly) {
                    rusage usage{};
                    getrusage(RUSAGE_SELF, &usage);
                    QTextStream out(stdout);
                    printTable(out, setup, samples, runs, usage.ru_maxrss);
                    if (parser.isSet(jsonOption)) {
                        QFile json(parser.value(jsonOption));
                        if (!json.open(QIODevice::WriteOnly)
                            || json.write(QJsonDocument(jsonOf(setup, samples, runs, usage.ru_maxrss)).toJson())
                                   < 0)
                            status = fail(u"cannot write %1: %2"_s.arg(json.fileName(), json.errorString()), 1);
                    }
                }
            } catch (const DatabaseError &e) {
                status = fail(e.driverText(), 1);
            } catch (const BenchError &e) {
                status = fail(e.text(), 1);
            }
        }
        copy.close();
        db.close();
    }
    QSqlDatabase::removeDatabase(CopyConnection);
    QSqlDatabase::removeDatabase(Connection);
    return status;
}
