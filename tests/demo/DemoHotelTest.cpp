#include "demo/DemoHotel.h"
#include "tests/demo/TestPrinters.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;
using namespace tavelin::demo;

namespace {

const QDate BusinessDate(2026, 6, 15); // a Monday

class MemoryHotel
{
public:
    explicit MemoryHotel(const DemoOptions &options)
        : m_name(u"demo-test-%1"_s.arg(++s_connections))
    {
        m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_name);
        m_db.setDatabaseName(u":memory:"_s);
        if (!m_db.open())
            throw DemoError(m_db.lastError().text());
        summary = generateDemoHotel(m_db, options);
    }

    ~MemoryHotel()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }

    QSqlDatabase &db() { return m_db; }

    std::vector<QVariantList> rows(const QString &sql)
    {
        QSqlQuery query(m_db);
        std::vector<QVariantList> result;
        if (!query.exec(sql)) {
            ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
            return result;
        }
        while (query.next()) {
            QVariantList row;
            for (int c = 0; c < query.record().count(); ++c)
                row.append(query.value(c));
            result.push_back(row);
        }
        return result;
    }

    qint64 number(const QString &sql)
    {
        const auto result = rows(sql);
        return result.empty() ? -1 : result.front().value(0).toLongLong();
    }

    QByteArray checksum(const QString &table)
    {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        QStringList columns;
        for (int c = 1; c <= m_db.record(table).count(); ++c)
            columns.append(QString::number(c));
        const auto all = rows(u"SELECT * FROM %1 ORDER BY %2"_s.arg(table, columns.join(u", "_s)));
        for (const QVariantList &row : all) {
            for (const QVariant &value : row)
                hash.addData(QByteArray((value.isNull() ? u"\\N"_s : value.toString()).toUtf8() + '\x1f'));
            hash.addData("\n");
        }
        return hash.result().toHex();
    }

    DemoSummary summary;

private:
    static inline int s_connections = 0;
    QString m_name;
    QSqlDatabase m_db;
};

DemoOptions standardOptions(quint64 seed = 1)
{
    DemoOptions options;
    options.businessDate = BusinessDate;
    options.seed = seed;
    return options;
}

QString iso(QDate date)
{
    return date.toString(Qt::ISODate);
}

using Key = std::tuple<QString, QString, QString, QString, QString>; // date, type, section, grade, exposure
using Counts = std::map<Key, std::pair<qint64, qint64>>;             // rooms, rooms_ED

Counts forecastRows(MemoryHotel &hotel, const QString &where)
{
    Counts counts;
    for (const QVariantList &row : hotel.rows(u"SELECT date, type, type2, type3, exposure, rooms, rooms_ED "
                                              u"FROM Tavelin_1 WHERE "_s
                                              + where)) {
        auto &entry = counts[{row[0].toString(), row[1].toString(), row[2].toString(), row[3].toString(),
                              row[4].toString()}];
        entry.first += row[5].toLongLong();
        entry.second += row[6].toLongLong();
    }
    return counts;
}

} // namespace

// Checks of one standard hotel, for more than one seed: what holds must not be luck.
class DemoHotelTest : public ::testing::TestWithParam<quint64>
{
protected:
    void SetUp() override { hotel = std::make_unique<MemoryHotel>(standardOptions(GetParam())); }

    std::unique_ptr<MemoryHotel> hotel;
};

INSTANTIATE_TEST_SUITE_P(Seeds, DemoHotelTest, ::testing::Values(quint64(1), quint64(42)));

TEST_P(DemoHotelTest, CataloguesHaveTheStandardHotelsRowsAndFitTheirColumns)
{
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM rmtype"_s), 8);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Org"_s), 10);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM RmSection WHERE del = 0"_s), 3);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM RmSection WHERE del = 1"_s), 1);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Exposure WHERE del = 0"_s), 6);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Exposure WHERE del = 1"_s), 1);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_room"_s), 300);

    EXPECT_EQ(hotel->number(u"SELECT count(DISTINCT code) FROM Org"_s), 10);
    EXPECT_LT(hotel->number(u"SELECT max(length(Code)) FROM RmSection"_s), 6);
    EXPECT_LE(hotel->number(u"SELECT max(length(code)) FROM rmtype"_s), 6);
    EXPECT_LE(hotel->number(u"SELECT max(length(code)) FROM Org"_s), 10);
    EXPECT_LE(hotel->number(u"SELECT max(length(Code)) FROM Exposure"_s), 10);
    EXPECT_LE(hotel->number(u"SELECT max(length(exposure)) FROM demo_room"_s), 60);

    // Nothing is housed in a deleted section or carries a deleted feature.
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_room WHERE section NOT IN "
                            u"(SELECT Code FROM RmSection WHERE del = 0)"_s),
              0);
    const QVariantList liveFeatures = [&] {
        QVariantList codes;
        for (const QVariantList &row : hotel->rows(u"SELECT Code FROM Exposure WHERE del = 0"_s))
            codes.append(row[0]);
        return codes;
    }();
    int roomsWithFeatures = 0;
    for (const QVariantList &row : hotel->rows(u"SELECT exposure FROM demo_room"_s)) {
        const QString exposure = row[0].toString();
        if (exposure.isEmpty())
            continue;
        ++roomsWithFeatures;
        for (const QString &code : exposure.split(u','))
            EXPECT_TRUE(liveFeatures.contains(code)) << "room feature " << code.toStdString();
    }
    EXPECT_GT(roomsWithFeatures, 150);
    EXPECT_LT(roomsWithFeatures, 300);
}

TEST_P(DemoHotelTest, UndatedRowsHoldEachGradesRoomsPerSectionAndFeatures)
{
    for (const QVariantList &row : hotel->rows(u"SELECT code FROM rmtype"_s)) {
        const QString grade = row[0].toString();
        const qint64 rooms = hotel->number(u"SELECT count(*) FROM demo_room WHERE rmtype = '%1'"_s.arg(grade));
        EXPECT_GT(rooms, 0) << grade.toStdString();
        EXPECT_EQ(hotel->number(u"SELECT sum(rooms) FROM Tavelin_1 WHERE date IS NULL AND type3 = '%1'"_s.arg(grade)),
                  rooms)
            << grade.toStdString();
    }
    EXPECT_EQ(hotel->number(u"SELECT sum(rooms) FROM Tavelin_1 WHERE date IS NULL"_s), 300);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM (SELECT 1 FROM Tavelin_1 WHERE date IS NULL "
                            u"GROUP BY type2, type3, exposure HAVING count(*) > 1)"_s),
              0);
    // A section or feature filter must narrow the totals the same way as the
    // dated rows, so every dated combination has its undated total.
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Tavelin_1 AS t WHERE t.date IS NOT NULL AND NOT EXISTS "
                            u"(SELECT 1 FROM Tavelin_1 AS u WHERE u.date IS NULL AND u.type2 = t.type2 "
                            u"AND u.type3 = t.type3 AND u.exposure = t.exposure)"_s),
              0);
}

TEST_P(DemoHotelTest, OccupiedRowsCountEachStayFromArrivalToDepartureDay)
{
    Counts expected;
    const auto reservations =
        hotel->rows(u"SELECT section, rmtype, exposure, arrival, departure FROM demo_reservation"_s);
    ASSERT_GT(reservations.size(), 5000u);
    for (const QVariantList &r : reservations) {
        const QDate arrival = QDate::fromString(r[3].toString(), Qt::ISODate);
        const QDate departure = QDate::fromString(r[4].toString(), Qt::ISODate);
        for (QDate d = std::max(arrival, BusinessDate); d <= departure; d = d.addDays(1)) {
            auto &entry = expected[{iso(d), u"OCC"_s, r[0].toString(), r[1].toString(), r[2].toString()}];
            entry.first += 1;
            entry.second += d < departure ? 1 : 0;
        }
    }
    EXPECT_TRUE(forecastRows(*hotel, u"type = 'OCC'"_s) == expected);
}

TEST_P(DemoHotelTest, RoomsLessRoomsEdIsTheDueOutsOfTheDay)
{
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Tavelin_1 WHERE rooms < rooms_ED OR rooms_ED < 0"_s), 0);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Tavelin_2 WHERE rooms < rooms_ED OR rooms_ED < 0"_s), 0);
    for (int offset : {0, 1, 2, 5, 6, 13, 30, 91, 200, 400}) {
        const QString day = iso(BusinessDate.addDays(offset));
        const qint64 dueOuts = hotel->number(u"SELECT count(*) FROM demo_reservation WHERE departure = '%1'"_s.arg(day));
        EXPECT_EQ(hotel->number(u"SELECT sum(rooms - rooms_ED) FROM Tavelin_1 WHERE type = 'OCC' AND date = '%1'"_s.arg(day)),
                  dueOuts)
            << day.toStdString();
        EXPECT_EQ(hotel->number(u"SELECT sum(rooms - rooms_ED) FROM Tavelin_2 WHERE type = 'OCC' AND date = '%1'"_s.arg(day)),
                  dueOuts)
            << day.toStdString();
        if (offset < 30) {
            EXPECT_GT(dueOuts, 0) << day.toStdString();
        }
    }
}

TEST_P(DemoHotelTest, OrganisationRowsAddUpToTheGradeRowsEveryDay)
{
    const auto byGrade = hotel->rows(u"SELECT date, type3, type2, sum(rooms), sum(rooms_ED) FROM Tavelin_1 "
                                     u"WHERE type = 'OCC' GROUP BY 1, 2, 3 ORDER BY 1, 2, 3"_s);
    const auto byOrg = hotel->rows(u"SELECT date, type1, type2, sum(rooms), sum(rooms_ED) FROM Tavelin_2 "
                                   u"WHERE date IS NOT NULL GROUP BY 1, 2, 3 ORDER BY 1, 2, 3"_s);
    ASSERT_FALSE(byGrade.empty());
    EXPECT_TRUE(byGrade == byOrg);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM Tavelin_2 WHERE date IS NOT NULL AND (type <> 'OCC' "
                            u"OR type3 NOT IN (SELECT code FROM Org) OR type1 NOT IN (SELECT code FROM rmtype))"_s),
              0);
    // Kept so that readers are seen to skip them.
    EXPECT_GT(hotel->number(u"SELECT count(*) FROM Tavelin_2 WHERE date IS NULL"_s), 0);
    EXPECT_EQ(hotel->number(u"SELECT count(DISTINCT type3) FROM Tavelin_2 WHERE date IS NOT NULL"_s), 10);
}

TEST_P(DemoHotelTest, BlockedRoomsGiveOutOfOrderAndOutOfInventoryRows)
{
    Counts expected;
    for (const QVariantList &b : hotel->rows(u"SELECT b.type, m.section, m.rmtype, m.exposure, b.first_day, b.last_day "
                                             u"FROM demo_roomblock AS b JOIN demo_room AS m ON m.roomno = b.roomno"_s)) {
        const QDate last = QDate::fromString(b[5].toString(), Qt::ISODate);
        for (QDate d = std::max(QDate::fromString(b[4].toString(), Qt::ISODate), BusinessDate); d <= last;
             d = d.addDays(1)) {
            auto &entry = expected[{iso(d), b[0].toString(), b[1].toString(), b[2].toString(), b[3].toString()}];
            entry.first += 1;
            entry.second += 1;
        }
    }
    EXPECT_TRUE(forecastRows(*hotel, u"type IN ('OOO', 'OOI')"_s) == expected);
    // Both kinds are there from the first day on, so the window shows them at once.
    EXPECT_GT(hotel->number(u"SELECT count(*) FROM Tavelin_1 WHERE type = 'OOO' AND date = '%1'"_s.arg(iso(BusinessDate))), 0);
    EXPECT_GT(hotel->number(u"SELECT count(*) FROM Tavelin_1 WHERE type = 'OOI' AND date = '%1'"_s.arg(iso(BusinessDate))), 0);
    EXPECT_GT(hotel->number(u"SELECT count(DISTINCT date) FROM Tavelin_1 WHERE type = 'OOO'"_s), 30);
}

TEST_P(DemoHotelTest, SomeGradeIsOverbookedOnABusyNightSoon)
{
    const auto overbooked = hotel->rows(
        u"SELECT o.date, o.grade FROM (SELECT date, type3 AS grade, sum(rooms_ED) AS taken FROM Tavelin_1 "
        u"WHERE type = 'OCC' GROUP BY date, type3) AS o "
        u"JOIN (SELECT type3 AS grade, sum(rooms) AS total FROM Tavelin_1 WHERE date IS NULL GROUP BY type3) AS t "
        u"ON t.grade = o.grade WHERE o.taken > t.total"_s);
    ASSERT_FALSE(overbooked.empty());
    for (const QVariantList &row : overbooked) {
        const QDate day = QDate::fromString(row[0].toString(), Qt::ISODate);
        EXPECT_LT(BusinessDate.daysTo(day), 70) << row[0].toString().toStdString();
    }
    // The bookings beyond the grade's rooms have no room, the rest all have one.
    const qint64 unassigned = hotel->number(u"SELECT count(*) FROM demo_reservation WHERE roomno IS NULL"_s);
    EXPECT_GT(unassigned, 0);
    EXPECT_LT(unassigned, 60);
}

TEST_P(DemoHotelTest, AssignedRoomsAreNeverDoubleBookedNorBlockedAndMatchTheBooking)
{
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation AS a JOIN demo_reservation AS b "
                            u"ON a.roomno = b.roomno AND a.id < b.id "
                            u"WHERE a.arrival < b.departure AND b.arrival < a.departure"_s),
              0);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation AS r JOIN demo_roomblock AS b "
                            u"ON r.roomno = b.roomno WHERE r.arrival <= b.last_day AND b.first_day < r.departure"_s),
              0);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_roomblock AS a JOIN demo_roomblock AS b "
                            u"ON a.roomno = b.roomno AND a.id < b.id "
                            u"WHERE a.first_day <= b.last_day AND b.first_day <= a.last_day"_s),
              0);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation AS r JOIN demo_room AS m ON m.roomno = r.roomno "
                            u"WHERE m.rmtype <> r.rmtype OR m.section <> r.section OR m.exposure <> r.exposure"_s),
              0);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation WHERE roomno IS NOT NULL "
                            u"AND roomno NOT IN (SELECT roomno FROM demo_room)"_s),
              0);
}

TEST_P(DemoHotelTest, StaysAreOneToSevenNightsAndSomeGuestsAreInHouse)
{
    const QString today = iso(BusinessDate);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation "
                            u"WHERE julianday(departure) - julianday(arrival) NOT BETWEEN 1 AND 7"_s),
              0);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation WHERE departure < '%1'"_s.arg(today)), 0);
    EXPECT_GT(hotel->number(u"SELECT count(*) FROM demo_reservation WHERE arrival < '%1' AND departure > '%1'"_s.arg(today)),
              50);
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation "
                            u"WHERE (status = 'I') <> (arrival < '%1')"_s.arg(today)),
              0);
    // Every length occurs, short stays most.
    const auto lengths = hotel->rows(u"SELECT julianday(departure) - julianday(arrival), count(*) FROM demo_reservation "
                                     u"GROUP BY 1 ORDER BY 1"_s);
    ASSERT_EQ(lengths.size(), 7u);
    EXPECT_GT(lengths[1][1].toLongLong(), lengths[6][1].toLongLong());
}

TEST_P(DemoHotelTest, OccupancyIsHighNearTheBusinessDateFallsWithLeadTimeAndPeaksAtWeekends)
{
    std::map<int, double> occupancy; // day offset -> share of the house
    for (const QVariantList &row : hotel->rows(u"SELECT date, sum(rooms_ED) FROM Tavelin_1 WHERE type = 'OCC' GROUP BY date"_s))
        occupancy[int(BusinessDate.daysTo(QDate::fromString(row[0].toString(), Qt::ISODate)))] =
            row[1].toDouble() / 300.0;
    const auto average = [&](int from, int to, auto &&include) {
        double sum = 0;
        int n = 0;
        for (int d = from; d < to; ++d) {
            if (include(BusinessDate.addDays(d).dayOfWeek())) {
                sum += occupancy[d];
                ++n;
            }
        }
        return sum / n;
    };
    const auto everyDay = [](int) { return true; };
    const double firstWeek = average(0, 7, everyDay);
    EXPECT_GE(firstWeek, 0.62);
    EXPECT_LE(firstWeek, 0.86);
    EXPECT_LT(average(60, 90, everyDay), firstWeek * 0.8);
    EXPECT_LT(average(330, 360, everyDay), 0.2);
    EXPECT_GT(average(330, 360, everyDay), 0.0);
    const double weekends = average(0, 120, [](int dow) { return dow == Qt::Friday || dow == Qt::Saturday; });
    const double weekdays = average(0, 120, [](int dow) { return dow <= Qt::Thursday; });
    EXPECT_GT(weekends, weekdays * 1.03);
}

TEST_P(DemoHotelTest, ForecastRunsFromTheBusinessDateForEighteenMonths)
{
    const QDate horizon = BusinessDate.addMonths(18);
    EXPECT_EQ(hotel->rows(u"SELECT min(date) FROM Tavelin_1"_s).front().value(0).toString(), iso(BusinessDate));
    EXPECT_EQ(hotel->number(u"SELECT count(DISTINCT date) FROM Tavelin_1 WHERE type = 'OCC' AND date < '%1'"_s.arg(iso(horizon))),
              BusinessDate.daysTo(horizon));
    EXPECT_EQ(hotel->number(u"SELECT count(*) FROM demo_reservation WHERE arrival >= '%1'"_s.arg(iso(horizon))), 0);
}

TEST(DemoHotel, SameSeedAndDateGiveTheSameForecastTablesAnotherSeedDoesNot)
{
    MemoryHotel first(standardOptions(7));
    MemoryHotel again(standardOptions(7));
    MemoryHotel other(standardOptions(8));
    for (const QString &table : {u"Tavelin_1"_s, u"Tavelin_2"_s}) {
        EXPECT_EQ(first.checksum(table), again.checksum(table)) << table.toStdString();
        EXPECT_NE(first.checksum(table), other.checksum(table)) << table.toStdString();
    }
    EXPECT_EQ(first.checksum(u"demo_reservation"_s), again.checksum(u"demo_reservation"_s));
    EXPECT_EQ(first.checksum(u"demo_room"_s), again.checksum(u"demo_room"_s));
}

TEST(DemoHotel, PreparingAgainReplacesTheRowsAndFollowsTheReservations)
{
    MemoryHotel hotel(standardOptions());
    const QByteArray before = hotel.checksum(u"Tavelin_1"_s);
    const qint64 rows = hotel.number(u"SELECT count(*) FROM Tavelin_1"_s);
    ASSERT_TRUE(hotel.db().transaction());
    prepareForecastTables(hotel.db(), BusinessDate);
    ASSERT_TRUE(hotel.db().commit());
    EXPECT_EQ(hotel.checksum(u"Tavelin_1"_s), before);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM Tavelin_1"_s), rows);

    // Cancelling a five-night stay takes six days off rooms and five off rooms_ED.
    const auto stay = hotel.rows(u"SELECT id, arrival FROM demo_reservation WHERE arrival > '%1' "
                                 u"AND julianday(departure) - julianday(arrival) = 5 ORDER BY id LIMIT 1"_s.arg(iso(BusinessDate)));
    ASSERT_EQ(stay.size(), 1u);
    const auto totals = [&] {
        return hotel.rows(u"SELECT sum(rooms), sum(rooms_ED) FROM Tavelin_1 WHERE type = 'OCC'"_s).front();
    };
    const QVariantList old = totals();
    hotel.rows(u"DELETE FROM demo_reservation WHERE id = %1"_s.arg(stay[0][0].toLongLong()));
    prepareForecastTables(hotel.db(), BusinessDate);
    const QVariantList now = totals();
    EXPECT_EQ(old[0].toLongLong() - now[0].toLongLong(), 6);
    EXPECT_EQ(old[1].toLongLong() - now[1].toLongLong(), 5);
}

TEST(DemoHotel, AFailedRunLeavesTheDatabaseAsItWas)
{
    MemoryHotel hotel(standardOptions());
    const QByteArray before = hotel.checksum(u"Tavelin_1"_s);
    DemoOptions other = standardOptions(9);
    EXPECT_THROW(generateDemoHotel(hotel.db(), other), DemoError); // the tables exist already
    EXPECT_EQ(hotel.checksum(u"Tavelin_1"_s), before);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM demo_info WHERE name = 'seed' AND value = '1'"_s), 1);
}

TEST(DemoHotel, RefusesAnInvalidDateAndAClosedDatabase)
{
    QSqlDatabase closed = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"demo-test-closed"_s);
    EXPECT_THROW(generateDemoHotel(closed, standardOptions()), DemoError);
    closed.setDatabaseName(u":memory:"_s);
    ASSERT_TRUE(closed.open());
    DemoOptions noDate = standardOptions();
    noDate.businessDate = QDate();
    EXPECT_THROW(generateDemoHotel(closed, noDate), DemoError);
    EXPECT_TRUE(closed.tables().isEmpty());
    closed.close();
    closed = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"demo-test-closed"_s);
}

TEST(DemoHotel, LargeHotelHasTheBenchmarksDimensions)
{
    DemoOptions options = standardOptions();
    options.size = HotelSize::Large;
    MemoryHotel hotel(options);
    EXPECT_EQ(hotel.summary.rooms, 2000);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM demo_room"_s), 2000);
    EXPECT_EQ(hotel.number(u"SELECT count(DISTINCT code) FROM rmtype"_s), 40);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM rmtype"_s), 40);
    EXPECT_EQ(hotel.number(u"SELECT count(DISTINCT code) FROM Org"_s), 300);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM Org"_s), 300);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM RmSection WHERE del = 0"_s), 3);
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM Exposure WHERE del = 0"_s), 6);
    EXPECT_LE(hotel.number(u"SELECT max(length(code)) FROM rmtype"_s), 6);
    EXPECT_LE(hotel.number(u"SELECT max(length(code)) FROM Org"_s), 10);
    EXPECT_LE(hotel.number(u"SELECT max(length(Descp)) FROM Org"_s), 40);
    EXPECT_LE(hotel.number(u"SELECT max(length(ChnDescp)) FROM rmtype"_s), 40);
    EXPECT_EQ(hotel.number(u"SELECT count(DISTINCT Descp) FROM Org"_s), 300);
    EXPECT_EQ(hotel.number(u"SELECT sum(rooms) FROM Tavelin_1 WHERE date IS NULL"_s), 2000);
    // Every grade has rooms, and every grade and organisation is booked some time.
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM rmtype WHERE code NOT IN (SELECT rmtype FROM demo_room)"_s), 0);
    EXPECT_EQ(hotel.number(u"SELECT count(DISTINCT type3) FROM Tavelin_1 WHERE type = 'OCC'"_s), 40);
    EXPECT_GT(hotel.number(u"SELECT count(DISTINCT type3) FROM Tavelin_2 WHERE date IS NOT NULL"_s), 250);
    const QDate horizon = BusinessDate.addMonths(24);
    EXPECT_EQ(hotel.number(u"SELECT count(DISTINCT date) FROM Tavelin_1 WHERE type = 'OCC' AND date < '%1'"_s.arg(iso(horizon))),
              BusinessDate.daysTo(horizon));
    EXPECT_EQ(hotel.number(u"SELECT count(*) FROM demo_reservation AS a JOIN demo_reservation AS b "
                           u"ON a.roomno = b.roomno AND a.id < b.id "
                           u"WHERE a.arrival < b.departure AND b.arrival < a.departure"_s),
              0);
}
