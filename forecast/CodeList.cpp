#include "forecast/CodeList.h"

#include "data/RecordSet.h"
#include "forecast/ForecastDays.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tavelin {

CodeList::CodeList(std::vector<QString> codes, std::vector<QString> descriptions)
    : m_codes(std::move(codes)), m_descriptions(std::move(descriptions))
{
    m_descriptions.resize(m_codes.size());
    m_index.reserve(qsizetype(m_codes.size()));
    for (std::size_t i = 0; i < m_codes.size(); ++i) {
        if (!m_index.contains(m_codes[i]))
            m_index.insert(m_codes[i], int(i));
    }
}

QString CodeList::heading(int index) const
{
    return code(index) % u'(' % description(index) % u')';
}

CodeList readCodeList(RecordSet &recordSet, const QString &countSql, const QString &listSql)
{
    recordSet.open(countSql);
    QString countText;
    if (recordSet.recordCount() > 0) {
        recordSet.moveFirst();
        countText = recordSet.fieldValue(u"Mn"_s);
    }
    recordSet.close();
    const int places = std::max(0, leadingInt(countText));

    std::vector<QString> codes(static_cast<std::size_t>(places));
    std::vector<QString> descriptions(static_cast<std::size_t>(places));
    recordSet.open(listSql);
    if (recordSet.recordCount() > 0) {
        const int codeColumn = columnIndex(recordSet, u"code");
        recordSet.moveFirst();
        for (int i = 0; i < places && !recordSet.isEOF(); ++i) {
            codes[std::size_t(i)] = codeColumn >= 0 ? recordSet.fieldValue(codeColumn)
                                                    : recordSet.fieldValue(u"code"_s);
            descriptions[std::size_t(i)] = recordSet.fieldValue(1);
            recordSet.moveNext();
        }
    }
    recordSet.close();
    return CodeList(std::move(codes), std::move(descriptions));
}

} // namespace tavelin
