#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavelin {

class RecordSet;

// The picker's lines, one per room grade: the code left-aligned in ten GBK
// columns, the description right-aligned in thirty, sorted by their text as
// the sorted check list keeps them.
QStringList readRoomGradeLines(RecordSet &recordSet);

// The room grade list of the checked lines, in list order: each code is the
// first six characters of its line without trailing blanks, quoted with ',
// joined by commas without blanks; empty when nothing is checked.
QString roomGradeList(const QStringList &lines, const QList<bool> &checked);

} // namespace tavelin
