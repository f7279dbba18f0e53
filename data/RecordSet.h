#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <vector>

namespace tavelin {

// A read-only snapshot over one SQL text on the host's connection.
//
// open() runs the query and reads the whole result at once, so recordCount()
// is exact and the connection is free again before the caller walks the rows.
// Every value is text: NULL is empty, numbers are plain decimal, dates start
// with YYYY-MM-DD, codes keep their trailing blanks, but a fixed-width (CHAR)
// column that the server pads reads without the padding. Failures throw
// DatabaseError with the driver's text.
class RecordSet
{
public:
    explicit RecordSet(QSqlDatabase *database);

    void open(const QString &sql);
    void close();
    bool isOpen() const noexcept { return m_open; }

    int recordCount() const noexcept;
    void moveFirst() noexcept;
    void moveNext() noexcept;
    bool isEOF() const noexcept;

    // Column names are matched regardless of letter case. An unknown name or an
    // index outside the select list, or reading with no current row, throws.
    QString fieldValue(const QString &columnName) const;
    QString fieldValue(int columnIndex) const;

    int columnCount() const noexcept { return int(m_columns.size()); }
    const QStringList &columnNames() const noexcept { return m_columns; }

private:
    const QString &cell(int columnIndex) const;

    QSqlDatabase *m_database;
    QStringList m_columns;
    std::vector<QString> m_values; // row-major, m_columns.size() per row
    qsizetype m_rows = 0;
    qsizetype m_position = 0;
    bool m_open = false;
};

// The standard text-to-integer reading used for every number taken from the
// database or a grid cell: leading blanks, an optional sign, decimal digits up
// to the first other character; 0 when no digit starts the text.
int leadingInt(QStringView text) noexcept;

// Plain decimal text of a whole number, the form every number is written in.
QString numberText(qlonglong value);

} // namespace tavelin
