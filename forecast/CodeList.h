#pragma once

#include <QHash>
#include <QString>

#include <vector>

namespace tavelin {

class RecordSet;

// Codes with their descriptions in list order (room grades or organisations),
// with a look-up from code to its first place.
class CodeList
{
public:
    CodeList() = default;
    CodeList(std::vector<QString> codes, std::vector<QString> descriptions);

    int size() const noexcept { return int(m_codes.size()); }
    const QString &code(int index) const { return m_codes[std::size_t(index)]; }
    const QString &description(int index) const { return m_descriptions[std::size_t(index)]; }

    // "code(description)", the row heading of both grids.
    QString heading(int index) const;

    // Place of the first code equal to the given one (exact, case-sensitive), or -1.
    int indexOf(const QString &code) const { return m_index.value(code, -1); }

private:
    std::vector<QString> m_codes;
    std::vector<QString> m_descriptions;
    QHash<QString, int> m_index;
};

// Runs the count query (column Mn of its first row) and then the list query
// (column code by name, the description at position 1). The list has exactly
// as many places as the count: rows beyond it are dropped, places without a
// row keep an empty code and description.
CodeList readCodeList(RecordSet &recordSet, const QString &countSql, const QString &listSql);

} // namespace tavelin
