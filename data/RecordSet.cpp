#include "data/RecordSet.h"

#include "data/DatabaseError.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>
#include <QVariant>

#include <climits>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace tavelin {

// Counts make up a quarter of the values of the big queries and most grid
// cells, and nearly all are small; shared texts spare an allocation (and a
// free) for each of them.
QString numberText(qlonglong value)
{
    constexpr int First = -1024;
    constexpr int Last = 4095;
    static const std::vector<QString> texts = [] {
        std::vector<QString> made;
        made.reserve(Last - First + 1);
        for (int i = First; i <= Last; ++i)
            made.push_back(QString::number(i));
        return made;
    }();
    if (value >= First && value <= Last)
        return texts[std::size_t(value - First)];
    return QString::number(value);
}

namespace {

QString errorText(const QSqlError &error, const QString &fallback)
{
    QString text = error.text().trimmed();
    return text.isEmpty() ? fallback : text;
}

// Shortest round-trip digits in fixed notation: 3.0 reads "3", 1e-7 reads "0.0000001".
QString decimalText(double value)
{
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

// QDate::toString() costs about a microsecond, as much as the rest of a row;
// the worst search reads a date on each of 220,000 rows.
QString dayText(QDate day)
{
    if (!day.isValid())
        return QString();
    int year = 0;
    int month = 0;
    int dayOfMonth = 0;
    day.getDate(&year, &month, &dayOfMonth);
    if (year < 0 || year > 9999)
        return day.toString(u"yyyy-MM-dd");
    const auto digit = [](int value) { return QChar(char16_t(u'0' + value)); };
    const QChar text[10] = {digit(year / 1000), digit(year / 100 % 10), digit(year / 10 % 10),
                            digit(year % 10),   u'-',
                            digit(month / 10),  digit(month % 10),      u'-',
                            digit(dayOfMonth / 10), digit(dayOfMonth % 10)};
    return QString(text, 10);
}


// The one text form of a value, whichever driver delivered it. Drivers differ in
// the integer width they pick (SQLite always qlonglong, PostgreSQL sometimes
// unsigned), so every integer kind takes the same path. value<T>() on the exact
// stored type is a plain copy, which keeps the hot loop free of QVariant's
// generic conversion.
QString valueText(QVariant &&value)
{
    if (value.isNull())
        return QString();

    switch (value.typeId()) {
    case QMetaType::QString:
        // Taken out of the driver's copy rather than shared with it.
        return std::move(*static_cast<QString *>(value.data()));
    case QMetaType::Int:
        return numberText(value.value<int>());
    case QMetaType::LongLong:
        return numberText(value.value<qlonglong>());
    case QMetaType::UInt:
        return numberText(value.value<uint>());
    case QMetaType::ULongLong:
        return QString::number(value.value<qulonglong>());
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::Char:
    case QMetaType::SChar:
        return QString::number(value.toLongLong());
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    case QMetaType::Double:
        return decimalText(value.value<double>());
    case QMetaType::Bool:
        return value.value<bool>() ? u"1"_s : u"0"_s;
    case QMetaType::QDate:
        return dayText(value.value<QDate>());
    case QMetaType::QDateTime: {
        // Wall-clock time as the driver read it, without any offset suffix.
        const QDateTime stamp = value.value<QDateTime>();
        return dayText(stamp.date()) + u' ' + stamp.time().toString(Qt::ISODate);
    }
    case QMetaType::QTime:
        return value.value<QTime>().toString(Qt::ISODate);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.value<QByteArray>());
    default:
        return value.toString();
    }
}

// Whether the driver reports a column as fixed-width text (CHAR(n)), whose
// values the server pads with blanks that are no part of them: PostgreSQL
// pads, SQLite never does, so a code read with its padding would match
// neither the same code of a varchar column nor that of SQLite.
bool isPaddedText(const QString &driverName, int sqlType)
{
    constexpr int PostgresBpchar = 1042;   // pg_type oid of character(n)
    constexpr int OdbcChar = 1, OdbcWchar = -8; // SQL_CHAR, SQL_WCHAR
    if (driverName == u"QPSQL")
        return sqlType == PostgresBpchar;
    if (driverName == u"QODBC")
        return sqlType == OdbcChar || sqlType == OdbcWchar;
    return false;
}

void dropPadding(QString &text)
{
    qsizetype size = text.size();
    while (size > 0 && text.at(size - 1) == u' ')
        --size;
    if (size < text.size())
        text.truncate(size);
}

} // namespace

RecordSet::RecordSet(QSqlDatabase *database)
    : m_database(database)
{
}

void RecordSet::open(const QString &sql)
{
    close();

    if (!m_database)
        throw DatabaseError(u"No database connection was given to the record set."_s);
    if (!m_database->isOpen()) {
        const QString reason = m_database->lastError().text().trimmed();
        throw DatabaseError(reason.isEmpty() ? u"The database connection is not open."_s
                                             : u"The database connection is not open: "_s + reason);
    }

    QStringList columns;
    std::vector<QString> values;
    qsizetype rows = 0;
    {
        // Scoped so that the driver's statement is released before the caller
        // walks the rows or opens another record set on the same connection.
        QSqlQuery query(*m_database);
        query.setForwardOnly(true);
        // Keeps decimals as doubles on every driver; with HighPrecision the
        // PostgreSQL and ODBC drivers would hand back their own differing text.
        query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
        if (!query.exec(sql))
            throw DatabaseError(errorText(query.lastError(), u"The query could not be run."_s));

        const QSqlRecord record = query.record();
        const int count = record.count();
        const QString driverName = m_database->driverName();
        columns.reserve(count);
        std::vector<char> padded(std::size_t(count), 0);
        for (int i = 0; i < count; ++i) {
            columns.append(record.fieldName(i));
            padded[std::size_t(i)] = isPaddedText(driverName, record.field(i).typeID());
        }

        if (query.size() > 0)
            values.reserve(size_t(query.size()) * size_t(count));
        // Grouped results repeat a column's text from row to row (the date,
        // the row type); sharing the previous row's text lets the driver's
        // copy go at once instead of holding thousands of equal strings.
        while (query.next()) {
            const std::size_t previous = values.size() - std::size_t(count);
            for (int i = 0; i < count; ++i) {
                QString text = valueText(query.value(i));
                if (padded[std::size_t(i)])
                    dropPadding(text);
                if (rows > 0 && !text.isEmpty() && text == values[previous + std::size_t(i)])
                    values.push_back(values[previous + std::size_t(i)]);
                else
                    values.push_back(std::move(text));
            }
            ++rows;
        }
        // next() returning false is also how a failed fetch ends the loop.
        if (query.lastError().type() != QSqlError::NoError)
            throw DatabaseError(
                errorText(query.lastError(), u"The query result could not be read."_s));
    }

    m_columns = std::move(columns);
    m_values = std::move(values);
    m_rows = rows;
    m_position = 0;
    m_open = true;
}

void RecordSet::close()
{
    m_columns.clear();
    m_values = std::vector<QString>(); // give the memory back, not just the size
    m_rows = 0;
    m_position = 0;
    m_open = false;
}

int RecordSet::recordCount() const noexcept
{
    return m_rows > INT_MAX ? INT_MAX : int(m_rows);
}

void RecordSet::moveFirst() noexcept
{
    m_position = 0;
}

void RecordSet::moveNext() noexcept
{
    if (m_position < m_rows)
        ++m_position;
}

bool RecordSet::isEOF() const noexcept
{
    return m_position >= m_rows;
}

QString RecordSet::fieldValue(const QString &columnName) const
{
    if (!m_open)
        throw DatabaseError(u"No record set is open to read the field \""_s + columnName
                            + u"\" from."_s);
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(columnName, Qt::CaseInsensitive) == 0)
            return cell(int(i));
    }
    throw DatabaseError(u"The query result has no field named \""_s + columnName
                        + u"\" (fields: "_s + m_columns.join(u", "_s) + u")."_s);
}

QString RecordSet::fieldValue(int columnIndex) const
{
    return cell(columnIndex);
}

const QString &RecordSet::cell(int columnIndex) const
{
    if (!m_open)
        throw DatabaseError(u"No record set is open to read field "_s
                            + QString::number(columnIndex) + u" from."_s);
    if (columnIndex < 0 || columnIndex >= columnCount())
        throw DatabaseError(u"Field index "_s + QString::number(columnIndex)
                            + u" is outside the select list of "_s
                            + QString::number(columnCount()) + u" fields."_s);
    if (m_position >= m_rows)
        throw DatabaseError(u"There is no current record: the record set is past its last row."_s);
    return m_values[size_t(m_position) * m_columns.size() + size_t(columnIndex)];
}

int leadingInt(QStringView text) noexcept
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    const auto isBlank = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
    };
    while (i < size && isBlank(text[i].unicode()))
        ++i;

    bool negative = false;
    if (i < size && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // The magnitude limit differs by sign so that INT_MIN itself is reachable.
    const qint64 limit = negative ? -qint64(INT_MIN) : qint64(INT_MAX);
    qint64 magnitude = 0;
    for (; i < size; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude >= limit) {
            magnitude = limit;
            break;
        }
    }
    return int(negative ? -magnitude : magnitude);
}

} // namespace tavelin
