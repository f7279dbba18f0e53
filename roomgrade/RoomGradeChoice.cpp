#include "roomgrade/RoomGradeChoice.h"

#include "data/RecordSet.h"
#include "data/TextFormat.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tavelin {

namespace {

QStringView withoutTrailingBlanks(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.first(end);
}

} // namespace

QStringList readRoomGradeLines(RecordSet &recordSet)
{
    QStringList lines;
    recordSet.open(u"select code,ChnDescp from rmtype order by code"_s);
    if (recordSet.recordCount() > 0) {
        recordSet.moveFirst();
        lines.reserve(recordSet.recordCount());
        while (!recordSet.isEOF()) {
            lines.append(padRight(recordSet.fieldValue(u"code"_s), 10)
                         + padLeft(recordSet.fieldValue(u"ChnDescp"_s), 30));
            recordSet.moveNext();
        }
    }
    recordSet.close();
    // The list orders its lines regardless of letter case; equal ones keep
    // a fixed order.
    std::stable_sort(lines.begin(), lines.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return lines;
}

QString roomGradeList(const QStringList &lines, const QList<bool> &checked)
{
    QString list;
    const qsizetype count = std::min(lines.size(), checked.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (!checked[i])
            continue;
        if (!list.isEmpty())
            list += u',';
        list += u'\'' + withoutTrailingBlanks(QStringView(lines[i]).left(6)) + u'\'';
    }
    return list;
}

} // namespace tavelin
