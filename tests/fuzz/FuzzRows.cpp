#include "FuzzRows.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tavelin::fuzz {

namespace {

QVariant boundValue(const QString &field)
{
    if (field == u"\\N")
        return QVariant(QMetaType::fromType<QString>());
    if (field.startsWith(u'#')) {
        bool ok = false;
        const qlonglong value = field.sliced(1).toLongLong(&ok);
        if (ok)
            return value;
    }
    if (field.startsWith(u'~')) {
        bool ok = false;
        const double value = field.sliced(1).toDouble(&ok);
        if (ok)
            return value;
    }
    if (field.startsWith(u'&'))
        return field.sliced(1).toUtf8();
    return field;
}

} // namespace

std::optional<FuzzRows> readFuzzRows(const QString &text)
{
    const QStringList lines = fuzzParts(text, u'\n');
    if (lines.size() < 2)
        return std::nullopt;
    const QStringList span = lines[0].split(u' ', Qt::SkipEmptyParts);
    if (span.size() != 2)
        return std::nullopt;

    FuzzRows rows;
    rows.begin = QDate(2006, 5, 1).addDays(std::clamp(span[0].toInt(), -1000000, 1000000));
    rows.end = rows.begin.addDays(std::clamp(span[1].toInt(), -1000, 1000));

    std::vector<QString> codes;
    std::vector<QString> descriptions;
    if (!lines[1].isEmpty()) {
        for (const QString &code : fuzzParts(lines[1], u'\t')) {
            codes.push_back(code);
            descriptions.push_back(u"d"_s + code);
        }
    }
    rows.codes = CodeList(std::move(codes), std::move(descriptions));

    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList fields = fuzzParts(lines[i], u'\t');
        std::vector<QVariant> row;
        for (int f = 0; f < 4; ++f)
            row.push_back(f < fields.size() ? boundValue(fields[f]) : QVariant(QMetaType::fromType<QString>()));
        rows.rows.push_back(std::move(row));
    }
    return rows;
}

QSqlDatabase &databaseWith(const FuzzRows &rows)
{
    static QSqlDatabase database = [] {
        ensureApplication();
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fuzz"_s);
        db.setDatabaseName(u":memory:"_s);
        if (!db.open())
            fail("cannot open the in-memory database", db.lastError().text());
        // No declared types: each value keeps the type it was bound with.
        QSqlQuery create(db);
        if (!create.exec(u"create table t (date, type, code, rooms)"_s))
            fail("cannot create the table", create.lastError().text());
        return db;
    }();

    QSqlQuery query(database);
    check(query.exec(u"delete from t"_s), "cannot empty the table", query.lastError().text());
    database.transaction();
    check(query.prepare(u"insert into t values (?, ?, ?, ?)"_s), "cannot prepare", query.lastError().text());
    for (const std::vector<QVariant> &row : rows.rows) {
        for (const QVariant &value : row)
            query.addBindValue(value);
        check(query.exec(), "cannot insert", query.lastError().text());
    }
    database.commit();
    return database;
}

QString rowsSql()
{
    return u"select date, type, code, rooms from t order by rowid"_s;
}

std::optional<QString> expectedText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QString: {
        const QString text = value.toString();
        // SQLite stores text as UTF-8: only well-formed UTF-16 comes back as it
        // went in, its UTF-8 reading turns U+FFFE and U+FFFF into U+FFFD, and
        // it takes a leading U+FEFF for a byte-order mark and drops it.
        if (!text.isValidUtf16() || text.contains(QChar(0xFFFE)) || text.contains(QChar(0xFFFF))
            || text.startsWith(QChar(0xFEFF)))
            return std::nullopt;
        return text;
    }
    default:
        return std::nullopt;
    }
}

} // namespace tavelin::fuzz
