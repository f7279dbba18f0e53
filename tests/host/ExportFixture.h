#pragma once

// A small hotel for the export tests, business date Monday 2026-06-15:
//   grades DK(大床房) 10 rooms and ST(标准间, "豪华") 5 rooms, section A;
//   2026-06-15 ST 3 taken (2 without due-outs, section C), 2026-06-16 DK 12
//   taken (11 without due-outs, feature SEA), 2026-06-17 one OOI room,
//   2026-06-18 two OOO rooms; guest sources FIT(散客) and TA(旅行社) with 4
//   and 1 rooms on the 15th, FIT 2 on the 16th.
// Sections: A, "C   " (padded), OLD (deleted). Features: SEA, GONE (deleted).

#include "tests/support/TestDatabases.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace tavelin::test {

inline const QDate FixtureBusinessDate(2026, 6, 15);

QStringList exportFixtureStatements();

// The fixture in a new SQLite file; statements replace the default ones.
void writeSqliteFile(const QString &path, const QStringList &statements = exportFixtureStatements());

} // namespace tavelin::test
