#pragma once

// Rows for the forecast row readers, put into a table of an in-memory SQLite
// database that lives for the whole run, so that they reach the readers
// through RecordSet exactly as the host's rows do.
//
// Input lines:
//   1: "<first day> <span>": the first day as days from 1 May 2006, the last
//      day as days after it (negative and over-long spans included);
//   2: the codes of the list (grades or organisations), separated by tabs;
//   3 and on: one row each, its four fields (date, type, code, rooms)
//      separated by tabs. A missing field or "\N" is NULL; "#n" binds the
//      integer n, "~x" the double x, "&t" the bytes of t; anything else is text.

#include "FuzzInput.h"

#include "forecast/CodeList.h"

#include <QDate>
#include <QSqlDatabase>
#include <QVariant>

#include <optional>
#include <vector>

namespace tavelin::fuzz {

struct FuzzRows
{
    QDate begin;
    QDate end;
    CodeList codes;
    std::vector<std::vector<QVariant>> rows; // as bound, four values each
};

// Nothing for inputs too short to say the span.
std::optional<FuzzRows> readFuzzRows(const QString &text);

// The run's database, with table t (date, type, code, rooms) holding the rows.
QSqlDatabase &databaseWith(const FuzzRows &rows);

// The select over t that the readers take, columns in the order they read them.
QString rowsSql();

// The text RecordSet must give for a bound value, where it is plain to say;
// nothing where only "no crash" can be asked.
std::optional<QString> expectedText(const QVariant &value);

} // namespace tavelin::fuzz
