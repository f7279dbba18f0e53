#pragma once

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/ForecastSearch.h"
#include "tests/support/TestDatabases.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <optional>

namespace tavelin::test {

// A hotel with the four tables a forecast reads, empty, on a connection of
// its own (in-memory SQLite unless a subclass hands over another), plus the
// two sheets of the window.
class ForecastFixture : public ::testing::Test
{
protected:
    ForecastFixture();
    explicit ForecastFixture(ScopedConnection database);
    ~ForecastFixture() override;

    void exec(const QString &sql);

    void addGrade(const QString &code, const QString &description);
    void addOrganisation(const QString &code, const QString &description);

    // A row of Tavelin_1: date empty for NULL; rooms_ED defaults to rooms.
    void addGradeRow(const QString &date, const QString &type, const QString &grade,
                     const QString &rooms, const QString &section = QStringLiteral("A1"),
                     const QString &exposure = QString(), std::optional<int> roomsDueOutExcluded = {});
    // A row of Tavelin_2.
    void addOrgRow(const QString &date, const QString &type, const QString &organisation,
                   int rooms, const QString &grade = QStringLiteral("DK"),
                   const QString &section = QStringLiteral("A1"),
                   std::optional<int> roomsDueOutExcluded = {});

    // A checked search from begin to end with every filter off.
    static SearchCriteria criteria(QDate begin, QDate end);

    // checkCriteria and runForecast, as the window runs them.
    void search(SearchCriteria criteria);

    QString grade(int column, int row) const { return gradeSheet.cellText(column, row); }
    QString org(int column, int row) const { return orgSheet.cellText(column, row); }

    ScopedConnection connection;
    RecordSet records{connection.get()};
    SheetModel gradeSheet;
    SheetModel orgSheet;
};

} // namespace tavelin::test
