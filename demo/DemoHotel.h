#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>
#include <stdexcept>

class QSqlDatabase;

namespace tavelin::demo {

// Standard: a 300-room house for trying the window. Large: the benchmark
// house, 2,000 rooms, 40 grades, 300 organisations, two years on the books.
enum class HotelSize { Standard, Large };

std::optional<HotelSize> hotelSizeFromName(QStringView name);
QString hotelSizeName(HotelSize size);

struct DemoOptions
{
    QDate businessDate; // required: reservations run from here, in-house guests arrived before it
    quint64 seed = 1;
    HotelSize size = HotelSize::Standard;
};

struct DemoSummary
{
    int sections = 0; // live ones
    int grades = 0;
    int organisations = 0;
    int rooms = 0;
    int reservations = 0;
    int roomBlocks = 0;
    int gradeForecastRows = 0;        // Tavelin_1
    int organisationForecastRows = 0; // Tavelin_2
};

// A statement the generator could not run, with the driver's text.
class DemoError : public std::runtime_error
{
public:
    explicit DemoError(const QString &text);
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

// Creates the host's tables and the demo tables on an empty, open database,
// fills in a hotel and prepares the forecast tables, all in one transaction.
// The same options always give the same rows. Throws DemoError.
DemoSummary generateDemoHotel(QSqlDatabase &db, const DemoOptions &options);

// The host's nightly preparation: rebuilds Tavelin_1 and Tavelin_2 from
// demo_room, demo_reservation and demo_roomblock for businessDate onwards.
// Starts no transaction of its own; run it inside one. Throws DemoError.
void prepareForecastTables(QSqlDatabase &db, QDate businessDate);

} // namespace tavelin::demo
