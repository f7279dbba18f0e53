#include "demo/DemoHotel.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <array>
#include <random>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace tavelin::demo {

DemoError::DemoError(const QString &text)
    : std::runtime_error(text.toStdString())
    , m_text(text)
{
}

std::optional<HotelSize> hotelSizeFromName(QStringView name)
{
    if (name == u"standard")
        return HotelSize::Standard;
    if (name == u"large")
        return HotelSize::Large;
    return std::nullopt;
}

QString hotelSizeName(HotelSize size)
{
    return size == HotelSize::Large ? u"large"_s : u"standard"_s;
}

namespace {

// The engine's sequence is fixed by the C++ standard; the mappings to reals and
// ranges are our own, so a seed gives the same hotel with any standard library.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_engine(seed)
    {
    }

    double real() { return double(m_engine() >> 11) * 0x1.0p-53; } // [0, 1)
    int below(int n) { return std::min(n - 1, int(real() * n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return real() < p; }

private:
    std::mt19937_64 m_engine;
};

class WeightedPick
{
public:
    WeightedPick() = default;
    explicit WeightedPick(const std::vector<double> &weights)
    {
        double sum = 0;
        for (double w : weights) {
            sum += std::max(w, 0.0);
            m_cumulative.push_back(sum);
        }
    }

    int pick(Random &random) const
    {
        const double x = random.real() * m_cumulative.back();
        const auto it = std::upper_bound(m_cumulative.begin(), m_cumulative.end(), x);
        return int(std::min(it - m_cumulative.begin(), std::ptrdiff_t(m_cumulative.size()) - 1));
    }

private:
    std::vector<double> m_cumulative;
};

// Largest-remainder split of total in proportion to weights; ties go to the
// earlier entry.
std::vector<int> apportion(int total, const std::vector<double> &weights)
{
    double sum = 0;
    for (double w : weights)
        sum += w;
    std::vector<int> counts(weights.size(), 0);
    std::vector<std::pair<double, std::size_t>> remainders;
    int given = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) {
        const double exact = sum > 0 ? total * weights[i] / sum : 0.0;
        counts[i] = int(exact);
        given += counts[i];
        remainders.emplace_back(exact - counts[i], i);
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (std::size_t k = 0; given < total && k < remainders.size(); ++k, ++given)
        ++counts[remainders[k].second];
    return counts;
}

struct CodeDef
{
    QStringView code;
    QStringView name;
    bool deleted;
};

constexpr CodeDef sectionDefs[] = {
    {u"A", u"主楼", false},
    {u"B", u"东翼", false},
    {u"C", u"西翼", false},
    {u"D", u"旧楼", true},
};
constexpr int SectionA = 0;
constexpr int SectionB = 1;
constexpr int SectionC = 2;
constexpr int LiveSections = 3;

// Order here is the order of the codes in a room's exposure text.
constexpr CodeDef featureDefs[] = {
    {u"SEA", u"海景", false},   {u"NSM", u"无烟", false},  {u"EXEC", u"行政楼层", false},
    {u"CONN", u"连通房", false}, {u"ACC", u"无障碍", false}, {u"QUIET", u"安静", false},
    {u"SMK", u"吸烟楼层", true},
};
enum Feature { Sea, NonSmoking, Executive, Connecting, Accessible, Quiet, LiveFeatures };

struct GradeFamily
{
    QStringView code;
    QStringView name;
    double share; // rooms per 300
    std::array<double, LiveSections> sectionWeights;
    double demand;
};

constexpr GradeFamily gradeFamilies[] = {
    {u"ST", u"标准间", 90, {0.4, 0.3, 0.3}, 1.0},  {u"SK", u"大床房", 80, {0.5, 0.3, 0.2}, 1.05},
    {u"DT", u"双床房", 50, {0.4, 0.4, 0.2}, 1.0},  {u"DK", u"豪华间", 35, {0.6, 0.4, 0.0}, 0.9},
    {u"FA", u"家庭房", 20, {0.0, 0.5, 0.5}, 0.8},  {u"ES", u"行政套房", 12, {1.0, 0.0, 0.0}, 0.7},
    {u"BS", u"商务套房", 10, {0.6, 0.4, 0.0}, 0.7}, {u"PS", u"总统套房", 3, {1.0, 0.0, 0.0}, 0.4},
};
constexpr int FamilyST = 0;
constexpr int FamilySK = 1;
constexpr int FamilyDT = 2;
constexpr int FamilyDK = 3;
constexpr int FamilyFA = 4;
constexpr int FamilyES = 5;

struct GradeVariant
{
    QStringView suffix;
    QStringView prefix;
    double share;
};

constexpr GradeVariant gradeVariants[] = {
    {u"", u"", 0.4}, {u"H", u"高层", 0.2}, {u"G", u"花园", 0.15}, {u"R", u"精装", 0.15}, {u"C", u"城景", 0.1},
};

enum class OrgKind { Individual, Corporate, Agency, Group, Online, Meeting, LongStay, Government, Airline, Frequent };

struct OrgDef
{
    QStringView code;
    QStringView name;
    OrgKind kind;
    double weekday;
    double weekend;
};

constexpr OrgDef orgDefs[] = {
    {u"FIT", u"散客", OrgKind::Individual, 14, 22},   {u"CORP", u"协议公司", OrgKind::Corporate, 26, 8},
    {u"TA", u"旅行社", OrgKind::Agency, 9, 14},        {u"GRP", u"团队", OrgKind::Group, 6, 9},
    {u"OTA", u"网络订房", OrgKind::Online, 22, 30},    {u"MICE", u"会议", OrgKind::Meeting, 6, 2},
    {u"LONG", u"长住", OrgKind::LongStay, 2, 2},       {u"GOV", u"政府", OrgKind::Government, 5, 1},
    {u"AIR", u"航空公司", OrgKind::Airline, 4, 4},     {u"VIP", u"常客", OrgKind::Frequent, 6, 8},
};

// Named accounts of the large house: 290 more organisations.
struct AccountSeries
{
    OrgKind kind;
    QStringView codePrefix;
    int count;
};

constexpr AccountSeries accountSeries[] = {
    {OrgKind::Corporate, u"C", 150}, {OrgKind::Agency, u"T", 60},  {OrgKind::Online, u"W", 20},
    {OrgKind::Group, u"G", 30},      {OrgKind::Meeting, u"M", 20}, {OrgKind::Government, u"V", 10},
};

constexpr QStringView brandWords[] = {
    u"华瑞", u"东润", u"金桥", u"新元", u"海川", u"长丰", u"鸿远", u"锦程", u"中联", u"星辰",
    u"瑞丰", u"恒通", u"天元", u"博远", u"嘉禾", u"明德", u"安泰", u"盛达", u"永信", u"卓越",
};

QString accountName(OrgKind kind, int i)
{
    constexpr int brands = int(std::size(brandWords));
    const QString brand = brandWords[i % brands].toString();
    const int round = i / brands;
    switch (kind) {
    case OrgKind::Corporate: {
        constexpr QStringView trades[] = {u"科技", u"贸易", u"制药", u"物流", u"电子",
                                          u"建设", u"能源", u"食品", u"汽车", u"咨询"};
        return brand + trades[round % std::size(trades)].toString() + u"有限公司"_s;
    }
    case OrgKind::Agency: {
        constexpr QStringView kinds[] = {u"国际旅行社", u"假日旅行社", u"商务旅行社"};
        return brand + kinds[round % std::size(kinds)].toString();
    }
    case OrgKind::Online:
        return brand + u"旅行网"_s;
    case OrgKind::Group: {
        constexpr QStringView kinds[] = {u"观光团", u"研学团"};
        return brand + kinds[round % std::size(kinds)].toString();
    }
    case OrgKind::Meeting:
        return brand + u"年会"_s;
    case OrgKind::Government: {
        constexpr QStringView districts[] = {u"东城区", u"西城区", u"南湖区", u"北山区", u"滨江区"};
        constexpr QStringView offices[] = {u"政府办", u"接待办"};
        return districts[i % std::size(districts)].toString() + offices[(i / std::size(districts)) % 2].toString();
    }
    default:
        return brand;
    }
}

struct Profile
{
    int rooms;
    bool gradeVariants;
    bool namedAccounts;
    int months;
    int roomsPerFloor;
    int outOfOrderBlocks;
    int renovations;
    int renovationRunMax;
    int staffRooms;
    int overbookedNights;
    int gradesPerOverbookedNight;
    int groupMin;
    int groupMax;
};

Profile profileFor(HotelSize size)
{
    if (size == HotelSize::Large)
        return {2000, true, true, 24, 40, 90, 8, 16, 5, 6, 2, 8, 30};
    return {300, false, false, 18, 16, 14, 2, 8, 1, 3, 1, 4, 12};
}

constexpr int HistoryDays = 14; // reservations begin this far back so the house is full on the business date
constexpr int MaxStay = 7;

struct Grade
{
    QString code;
    QString name;
    int family;
    int rooms;
    std::vector<int> roomIndexes;
};

struct Organisation
{
    QString code;
    QString name;
    OrgKind kind;
    double weekday;
    double weekend;
};

struct Room
{
    QString number;
    int section;
    int grade;
    int floor;
    int position;
    QString exposure;
};

struct Reservation
{
    int room;        // -1: not assigned, the grade is overbooked
    int profileRoom; // where section and exposure come from
    int grade;
    int org;
    int arrival; // day offsets from the business date
    int departure;
};

struct RoomBlock
{
    int room;
    bool outOfInventory;
    int firstDay;
    int lastDay; // inclusive
    QString reason;
};

class HotelBuilder
{
public:
    explicit HotelBuilder(const DemoOptions &options)
        : m_options(options)
        , m_profile(profileFor(options.size))
        , m_random(options.seed)
    {
        m_horizon = int(options.businessDate.daysTo(options.businessDate.addMonths(m_profile.months)));
        m_days = HistoryDays + m_horizon + MaxStay + 1;
        for (int i = 0; i < m_days; ++i)
            m_weekday.push_back(options.businessDate.addDays(i - HistoryDays).dayOfWeek());
    }

    void build()
    {
        defineGrades();
        defineOrganisations();
        layOutRooms();
        m_busy.assign(std::size_t(m_rooms.size()) * std::size_t(m_days), Free);
        m_nightCount.assign(std::size_t(m_days), 0);
        placeBlocks();
        chooseBusyNights();
        takeReservations();
        overbook();
    }

    QString dayText(int day) const { return m_options.businessDate.addDays(day).toString(Qt::ISODate); }

    const std::vector<Grade> &grades() const { return m_grades; }
    const std::vector<Organisation> &organisations() const { return m_organisations; }
    const std::vector<Room> &rooms() const { return m_rooms; }
    const std::vector<Reservation> &reservations() const { return m_reservations; }
    const std::vector<RoomBlock> &blocks() const { return m_blocks; }

private:
    enum Cell : unsigned char { Free, Taken, Blocked };

    unsigned char &cell(int room, int day) { return m_busy[std::size_t(room) * std::size_t(m_days) + std::size_t(day + HistoryDays)]; }
    int weekday(int day) const { return m_weekday[std::size_t(day + HistoryDays)]; }
    static bool weekendNight(int weekday) { return weekday == Qt::Friday || weekday == Qt::Saturday; }

    bool isFree(int room, int first, int end)
    {
        for (int d = first; d < end; ++d)
            if (cell(room, d) != Free)
                return false;
        return true;
    }

    int findFreeRoom(int grade, int first, int end)
    {
        const std::vector<int> &candidates = m_grades[std::size_t(grade)].roomIndexes;
        if (candidates.empty())
            return -1;
        const int n = int(candidates.size());
        const int start = m_random.below(n);
        for (int k = 0; k < n; ++k) {
            const int room = candidates[std::size_t((start + k) % n)];
            if (isFree(room, first, end))
                return room;
        }
        return -1;
    }

    void addReservation(int room, int grade, int org, int arrival, int departure)
    {
        int profileRoom = room;
        if (room >= 0) {
            for (int d = arrival; d < departure; ++d)
                cell(room, d) = Taken;
        } else {
            const std::vector<int> &candidates = m_grades[std::size_t(grade)].roomIndexes;
            profileRoom = candidates[std::size_t(m_random.below(int(candidates.size())))];
        }
        for (int d = arrival; d < departure; ++d)
            ++m_nightCount[std::size_t(d + HistoryDays)];
        m_reservations.push_back({room, profileRoom, grade, org, arrival, departure});
    }

    void defineGrades()
    {
        std::vector<double> shares;
        for (const GradeFamily &family : gradeFamilies)
            shares.push_back(family.share);
        const std::vector<int> familyRooms = apportion(m_profile.rooms, shares);
        std::vector<double> variantShares;
        for (const GradeVariant &variant : gradeVariants)
            variantShares.push_back(variant.share);

        for (int f = 0; f < int(std::size(gradeFamilies)); ++f) {
            const GradeFamily &family = gradeFamilies[f];
            if (!m_profile.gradeVariants) {
                m_grades.push_back({family.code.toString(), family.name.toString(), f, familyRooms[std::size_t(f)], {}});
                continue;
            }
            const std::vector<int> split = apportion(familyRooms[std::size_t(f)], variantShares);
            for (std::size_t v = 0; v < std::size(gradeVariants); ++v)
                m_grades.push_back({family.code.toString() + gradeVariants[v].suffix.toString(),
                                    gradeVariants[v].prefix.toString() + family.name.toString(), f, split[v], {}});
        }

        std::vector<double> demand;
        for (const Grade &grade : m_grades)
            demand.push_back(grade.rooms * gradeFamilies[grade.family].demand);
        m_gradePick = WeightedPick(demand);
    }

    void defineOrganisations()
    {
        for (const OrgDef &def : orgDefs) {
            double keep = 1.0;
            if (m_profile.namedAccounts) {
                for (const AccountSeries &series : accountSeries)
                    if (series.kind == def.kind)
                        keep = 0.4;
            }
            m_organisations.push_back(
                {def.code.toString(), def.name.toString(), def.kind, def.weekday * keep, def.weekend * keep});
        }
        if (m_profile.namedAccounts) {
            for (const AccountSeries &series : accountSeries) {
                const OrgDef *base = nullptr;
                for (const OrgDef &def : orgDefs)
                    if (def.kind == series.kind)
                        base = &def;
                // A few big accounts and a long tail of small ones.
                double harmonic = 0;
                for (int i = 0; i < series.count; ++i)
                    harmonic += 1.0 / (i + 1);
                for (int i = 0; i < series.count; ++i) {
                    const double share = 0.6 / (i + 1) / harmonic;
                    m_organisations.push_back({u"%1%2"_s.arg(series.codePrefix).arg(i + 1, 3, 10, QChar(u'0')),
                                               accountName(series.kind, i), series.kind, base->weekday * share,
                                               base->weekend * share});
                }
            }
        }
        std::vector<double> weekday;
        std::vector<double> weekend;
        for (const Organisation &org : m_organisations) {
            weekday.push_back(org.weekday);
            weekend.push_back(org.weekend);
        }
        m_weekdayOrgPick = WeightedPick(weekday);
        m_weekendOrgPick = WeightedPick(weekend);
    }

    void layOutRooms()
    {
        // Grades come in family order, so each wing fills from standard rooms on
        // the low floors to suites at the top.
        std::array<std::vector<int>, LiveSections> sectionGrades;
        for (int g = 0; g < int(m_grades.size()); ++g) {
            const GradeFamily &family = gradeFamilies[m_grades[std::size_t(g)].family];
            const std::vector<double> weights(family.sectionWeights.begin(), family.sectionWeights.end());
            const std::vector<int> split = apportion(m_grades[std::size_t(g)].rooms, weights);
            for (int s = 0; s < LiveSections; ++s)
                sectionGrades[std::size_t(s)].insert(sectionGrades[std::size_t(s)].end(), std::size_t(split[std::size_t(s)]), g);
        }
        const int perFloor = m_profile.roomsPerFloor;
        std::array<int, LiveSections> topFloor{};
        for (int s = 0; s < LiveSections; ++s) {
            int floor = 2;
            int position = 1;
            for (int g : sectionGrades[std::size_t(s)]) {
                const QString number =
                    sectionDefs[s].code.toString() + QString::number(floor) + u"%1"_s.arg(position, 2, 10, QChar(u'0'));
                m_grades[std::size_t(g)].roomIndexes.push_back(int(m_rooms.size()));
                m_rooms.push_back({number, s, g, floor, position, QString()});
                topFloor[std::size_t(s)] = floor;
                if (++position > perFloor) {
                    position = 1;
                    ++floor;
                }
            }
        }

        std::vector<std::array<bool, LiveFeatures>> features(m_rooms.size());
        for (std::size_t i = 0; i < m_rooms.size(); ++i) {
            const Room &room = m_rooms[i];
            const int family = m_grades[std::size_t(room.grade)].family;
            auto &f = features[i];
            f[Sea] = room.section != SectionC && room.floor >= 3 && room.position % 2 == 1;
            f[NonSmoking] = m_random.chance(0.65);
            f[Executive] = family >= FamilyES || (room.section == SectionA && room.floor >= topFloor[SectionA] - 1);
            f[Accessible] = room.floor == 2 && room.position <= std::max(2, perFloor / 8);
            f[Quiet] = (room.section == SectionC && room.position > perFloor / 3 && m_random.chance(0.7))
                || (room.section == SectionB && room.floor == topFloor[SectionB]);
        }
        // Connecting doors join neighbours of the same kind of room.
        for (std::size_t i = 0; i + 1 < m_rooms.size(); ++i) {
            const Room &a = m_rooms[i];
            const Room &b = m_rooms[i + 1];
            const int family = m_grades[std::size_t(a.grade)].family;
            if (a.section != b.section || a.floor != b.floor || family != m_grades[std::size_t(b.grade)].family)
                continue;
            if (family != FamilyST && family != FamilyDT && family != FamilyFA)
                continue;
            if (m_random.chance(family == FamilyFA ? 0.5 : 0.08)) {
                features[i][Connecting] = features[i + 1][Connecting] = true;
                ++i;
            }
        }
        for (std::size_t i = 0; i < m_rooms.size(); ++i) {
            QStringList codes;
            for (int f = 0; f < LiveFeatures; ++f)
                if (features[i][std::size_t(f)])
                    codes.append(featureDefs[f].code.toString());
            m_rooms[i].exposure = codes.isEmpty() ? u""_s : codes.join(u','); // '', not NULL
        }
    }

    bool tryBlock(int room, bool outOfInventory, int first, int last, const QString &reason)
    {
        first = std::max(first, -HistoryDays);
        last = std::min(last, m_horizon + MaxStay - 1);
        if (last < first)
            return false;
        for (int d = first; d <= last; ++d)
            if (cell(room, d) != Free)
                return false;
        for (int d = first; d <= last; ++d)
            cell(room, d) = Blocked;
        m_blocks.push_back({room, outOfInventory, first, last, reason});
        return true;
    }

    void placeBlocks()
    {
        constexpr QStringView repairs[] = {u"空调维修", u"卫生间漏水", u"更换地毯", u"电视故障", u"门锁故障", u"墙面修补"};
        const int roomCount = int(m_rooms.size());
        for (int k = 0; k < m_profile.outOfOrderBlocks; ++k) {
            for (int attempt = 0; attempt < 10; ++attempt) {
                const int room = m_random.below(roomCount);
                int first = 0;
                int last = 0;
                if (k < 3) { // under repair on the business date
                    first = m_random.between(-6, 0);
                    last = m_random.between(0, 6);
                } else {
                    first = m_random.between(-3, 150);
                    last = first + m_random.between(0, 9);
                }
                const QString reason = repairs[m_random.below(int(std::size(repairs)))].toString();
                if (tryBlock(room, false, first, last, reason))
                    break;
            }
        }

        // Renovation of a run of neighbouring rooms; the first one is under way.
        for (int k = 0; k < m_profile.renovations; ++k) {
            for (int attempt = 0; attempt < 10; ++attempt) {
                const int start = m_random.below(roomCount);
                const int length = m_random.between(4, m_profile.renovationRunMax);
                const int first = k == 0 ? m_random.between(-20, -1) : m_random.between(14, 180);
                const int last = std::max(first + m_random.between(13, 59), k == 0 ? 5 : 0);
                std::vector<int> stretch;
                for (int r = start; r < std::min(roomCount, start + length); ++r) {
                    if (m_rooms[std::size_t(r)].section != m_rooms[std::size_t(start)].section
                        || m_rooms[std::size_t(r)].floor != m_rooms[std::size_t(start)].floor)
                        break;
                    if (!isFree(r, first, last + 1))
                        break;
                    stretch.push_back(r);
                }
                if (stretch.size() < 2)
                    continue;
                for (int r : stretch)
                    tryBlock(r, true, first, last, u"楼层翻新"_s);
                break;
            }
        }

        for (int k = 0; k < m_profile.staffRooms; ++k) {
            for (int attempt = 0; attempt < 10; ++attempt) {
                if (tryBlock(m_random.below(roomCount), true, -30, 150, u"员工用房"_s))
                    break;
            }
        }
    }

    void chooseBusyNights()
    {
        std::vector<int> candidates;
        for (int d = 3; d < std::min(60, m_horizon); ++d)
            if (weekendNight(weekday(d)))
                candidates.push_back(d);
        m_busyNight.assign(std::size_t(m_days), false);
        for (int k = 0; k < m_profile.overbookedNights && !candidates.empty(); ++k) {
            const std::size_t i = std::size_t(m_random.below(int(candidates.size())));
            m_busyNights.push_back(candidates[i]);
            m_busyNight[std::size_t(candidates[i] + HistoryDays)] = true;
            candidates.erase(candidates.begin() + std::ptrdiff_t(i));
        }
        std::sort(m_busyNights.begin(), m_busyNights.end());
    }

    // Share of the house on the books for a night: full near the business date,
    // thinning out with lead time, busier at weekends and in summer and autumn.
    double occupancyTarget(int day)
    {
        const double noise = 0.97 + 0.06 * m_random.real();
        // The opening view counts due-outs as taken too, so a house at 70 % on
        // the books already looks nearly full there.
        if (m_busyNight[std::size_t(day + HistoryDays)])
            return 0.9;
        const double lead = std::max(day, 0);
        const double x = lead / 50.0;
        double level = 0.05 + 0.68 / (1.0 + lead / 120.0 + x * x);
        constexpr double monthFactor[12] = {0.95, 0.94, 0.98, 1.0, 1.04, 1.0, 1.05, 1.06, 1.02, 1.05, 0.99, 0.96};
        level *= monthFactor[m_options.businessDate.addDays(day).month() - 1];
        switch (weekday(day)) {
        case Qt::Friday:
        case Qt::Saturday:
            level *= 1.09;
            break;
        case Qt::Sunday:
            level *= 0.9;
            break;
        default:
            level *= 0.99;
        }
        return std::min(level * noise, 0.85);
    }

    int stayLength(OrgKind kind, int arrivalWeekday)
    {
        static const WeightedPick individual(std::vector<double>{30, 28, 18, 10, 6, 4, 4});
        static const WeightedPick online(std::vector<double>{34, 30, 16, 9, 5, 3, 3});
        static const WeightedPick business(std::vector<double>{36, 30, 18, 9, 4, 2, 1});
        static const WeightedPick touring(std::vector<double>{10, 30, 30, 15, 8, 4, 3});
        static const WeightedPick longStay(std::vector<double>{0, 0, 0, 10, 20, 30, 40});
        const bool leisure = kind == OrgKind::Individual || kind == OrgKind::Online || kind == OrgKind::Agency
            || kind == OrgKind::Frequent;
        if (leisure && arrivalWeekday == Qt::Friday && m_random.chance(0.45))
            return 2; // the weekend
        switch (kind) {
        case OrgKind::Corporate:
        case OrgKind::Government:
        case OrgKind::Airline:
            return 1 + business.pick(m_random);
        case OrgKind::Online:
            return 1 + online.pick(m_random);
        case OrgKind::Agency:
        case OrgKind::Group:
        case OrgKind::Meeting:
            return 1 + touring.pick(m_random);
        case OrgKind::LongStay:
            return 1 + longStay.pick(m_random);
        default:
            return 1 + individual.pick(m_random);
        }
    }

    int pickOrganisation(int day)
    {
        return weekendNight(weekday(day)) ? m_weekendOrgPick.pick(m_random) : m_weekdayOrgPick.pick(m_random);
    }

    // Groups take a block of standard rooms for a few nights.
    int bookGroup(int org, int day)
    {
        const int size = m_random.between(m_profile.groupMin, m_profile.groupMax);
        const int nights = m_random.between(2, 4);
        std::vector<int> groupGrades;
        for (int g = 0; g < int(m_grades.size()); ++g) {
            const int family = m_grades[std::size_t(g)].family;
            if (family == FamilyST || family == FamilyDT || family == FamilySK)
                groupGrades.push_back(g);
        }
        int booked = 0;
        for (int member = 0; member < size; ++member) {
            int room = -1;
            int grade = -1;
            const int start = m_random.below(int(groupGrades.size()));
            for (std::size_t k = 0; k < groupGrades.size() && room < 0; ++k) {
                grade = groupGrades[(std::size_t(start) + k) % groupGrades.size()];
                room = findFreeRoom(grade, day, day + nights);
            }
            if (room < 0)
                break;
            addReservation(room, grade, org, day, day + nights);
            ++booked;
        }
        return booked;
    }

    void takeReservations()
    {
        const int roomCount = int(m_rooms.size());
        for (int day = -HistoryDays; day < m_horizon; ++day) {
            const int target = int(roomCount * occupancyTarget(day) + 0.5);
            int &onBooks = m_nightCount[std::size_t(day + HistoryDays)];
            for (int failures = 0; onBooks < target && failures < 40;) {
                const int org = pickOrganisation(day);
                const OrgKind kind = m_organisations[std::size_t(org)].kind;
                if ((kind == OrgKind::Group || kind == OrgKind::Meeting) && m_random.chance(0.15)) {
                    if (bookGroup(org, day) == 0)
                        ++failures;
                    continue;
                }
                const int grade = m_gradePick.pick(m_random);
                int nights = stayLength(kind, weekday(day));
                int room = findFreeRoom(grade, day, day + nights);
                if (room < 0 && nights > 1) {
                    nights = 1;
                    room = findFreeRoom(grade, day, day + 1);
                }
                if (room < 0) {
                    ++failures;
                    continue;
                }
                addReservation(room, grade, org, day, day + nights);
            }
        }
    }

    // On the busy nights a few grades take more bookings than they have rooms;
    // what finds no free room stays unassigned.
    void overbook()
    {
        std::vector<int> candidates;
        for (int g = 0; g < int(m_grades.size()); ++g)
            if (m_grades[std::size_t(g)].rooms >= 4 && m_grades[std::size_t(g)].family <= FamilyDK)
                candidates.push_back(g);
        for (int day : m_busyNights) {
            std::vector<int> pool = candidates;
            for (int k = 0; k < m_profile.gradesPerOverbookedNight && !pool.empty(); ++k) {
                const std::size_t i = std::size_t(m_random.below(int(pool.size())));
                const int grade = pool[i];
                pool.erase(pool.begin() + std::ptrdiff_t(i));
                int inHouse = 0;
                for (const Reservation &r : m_reservations)
                    if (r.grade == grade && r.arrival <= day && day < r.departure)
                        ++inHouse;
                const int extra = m_grades[std::size_t(grade)].rooms - inHouse + m_random.between(1, 3);
                for (int e = 0; e < extra; ++e) {
                    const int nights = m_random.between(1, 2);
                    addReservation(findFreeRoom(grade, day, day + nights), grade, pickOrganisation(day), day,
                                   day + nights);
                }
            }
        }
    }

    const DemoOptions m_options;
    const Profile m_profile;
    Random m_random;
    int m_horizon = 0; // days from the business date with arrivals
    int m_days = 0;    // length of the per-day arrays
    std::vector<int> m_weekday;
    std::vector<Grade> m_grades;
    std::vector<Organisation> m_organisations;
    std::vector<Room> m_rooms;
    std::vector<Reservation> m_reservations;
    std::vector<RoomBlock> m_blocks;
    std::vector<unsigned char> m_busy; // room-major, one cell per night
    std::vector<int> m_nightCount;
    std::vector<bool> m_busyNight;
    std::vector<int> m_busyNights;
    WeightedPick m_gradePick;
    WeightedPick m_weekdayOrgPick;
    WeightedPick m_weekendOrgPick;
};

QString statementHead(const QString &sql)
{
    const QString simplified = sql.simplified();
    return simplified.size() > 60 ? simplified.left(60) + u"…"_s : simplified;
}

void run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        throw DemoError(statementHead(sql) + u": "_s + query.lastError().text());
}

int countRows(QSqlDatabase &db, const QString &table)
{
    QSqlQuery query(db);
    if (!query.exec(u"SELECT count(*) FROM "_s + table) || !query.next())
        throw DemoError(table + u": "_s + query.lastError().text());
    return query.value(0).toInt();
}

// One prepared statement, run once per row.
class Insert
{
public:
    Insert(QSqlDatabase &db, const QString &sql)
        : m_query(db)
        , m_sql(sql)
    {
        if (!m_query.prepare(sql))
            throw DemoError(statementHead(sql) + u": "_s + m_query.lastError().text());
    }

    void row(std::initializer_list<QVariant> values)
    {
        int i = 0;
        for (const QVariant &value : values)
            m_query.bindValue(i++, value);
        if (!m_query.exec())
            throw DemoError(statementHead(m_sql) + u": "_s + m_query.lastError().text());
    }

private:
    QSqlQuery m_query;
    QString m_sql;
};

void createSchema(QSqlDatabase &db)
{
    const QString statements[] = {
        u"CREATE TABLE RmSection (Code varchar(6), chnDescp varchar(40), del int)"_s,
        u"CREATE TABLE Exposure (Code varchar(10), ChnDescp varchar(40), del int)"_s,
        u"CREATE TABLE rmtype (code varchar(6) PRIMARY KEY, ChnDescp varchar(40))"_s,
        u"CREATE TABLE Org (code varchar(10), Descp varchar(40))"_s,
        u"CREATE TABLE Tavelin_1 (date date, type varchar(3), type2 varchar(6), type3 varchar(6), "
        u"exposure varchar(60), rooms int, rooms_ED int)"_s,
        u"CREATE TABLE Tavelin_2 (date date, type varchar(3), type1 varchar(6), type2 varchar(6), "
        u"type3 varchar(10), rooms int, rooms_ED int)"_s,
        u"CREATE INDEX Tavelin_1_date ON Tavelin_1 (date, type)"_s,
        u"CREATE INDEX Tavelin_2_date ON Tavelin_2 (date, type)"_s,

        u"CREATE TABLE demo_info (name varchar(20) PRIMARY KEY, value varchar(40))"_s,
        u"CREATE TABLE demo_room (roomno varchar(8) PRIMARY KEY, rmtype varchar(6) NOT NULL, "
        u"section varchar(6) NOT NULL, floor int NOT NULL, exposure varchar(60) NOT NULL)"_s,
        // roomno is NULL for a booking that no room could take (overbooked grade);
        // section and exposure then say what the guest was promised.
        u"CREATE TABLE demo_reservation (id integer PRIMARY KEY, roomno varchar(8), rmtype varchar(6) NOT NULL, "
        u"section varchar(6) NOT NULL, exposure varchar(60) NOT NULL, org varchar(10) NOT NULL, "
        u"arrival date NOT NULL, departure date NOT NULL, status char(1) NOT NULL)"_s,
        u"CREATE INDEX demo_reservation_room ON demo_reservation (roomno)"_s,
        u"CREATE INDEX demo_reservation_arrival ON demo_reservation (arrival)"_s,
        // OOO: out of order, OOI: out of inventory; both from first_day to last_day inclusive.
        u"CREATE TABLE demo_roomblock (id integer PRIMARY KEY, roomno varchar(8) NOT NULL, type varchar(3) NOT NULL, "
        u"first_day date NOT NULL, last_day date NOT NULL, reason varchar(40))"_s,
    };
    for (const QString &sql : statements)
        run(db, sql);
}

void writeHotel(QSqlDatabase &db, const HotelBuilder &hotel, const DemoOptions &options)
{
    {
        Insert info(db, u"INSERT INTO demo_info (name, value) VALUES (?, ?)"_s);
        info.row({u"business_date"_s, options.businessDate.toString(Qt::ISODate)});
        info.row({u"seed"_s, QString::number(options.seed)});
        info.row({u"size"_s, hotelSizeName(options.size)});
    }
    {
        Insert section(db, u"INSERT INTO RmSection (Code, chnDescp, del) VALUES (?, ?, ?)"_s);
        for (const CodeDef &def : sectionDefs)
            section.row({def.code.toString(), def.name.toString(), def.deleted ? 1 : 0});
        Insert feature(db, u"INSERT INTO Exposure (Code, ChnDescp, del) VALUES (?, ?, ?)"_s);
        for (const CodeDef &def : featureDefs)
            feature.row({def.code.toString(), def.name.toString(), def.deleted ? 1 : 0});
    }
    {
        Insert grade(db, u"INSERT INTO rmtype (code, ChnDescp) VALUES (?, ?)"_s);
        for (const Grade &g : hotel.grades())
            grade.row({g.code, g.name});
        Insert org(db, u"INSERT INTO Org (code, Descp) VALUES (?, ?)"_s);
        for (const Organisation &o : hotel.organisations())
            org.row({o.code, o.name});
    }
    const auto &rooms = hotel.rooms();
    const auto &grades = hotel.grades();
    {
        Insert room(db, u"INSERT INTO demo_room (roomno, rmtype, section, floor, exposure) VALUES (?, ?, ?, ?, ?)"_s);
        for (const Room &r : rooms)
            room.row({r.number, grades[std::size_t(r.grade)].code, sectionDefs[r.section].code.toString(), r.floor,
                      r.exposure});
    }
    {
        Insert block(db, u"INSERT INTO demo_roomblock (roomno, type, first_day, last_day, reason) "
                         u"VALUES (?, ?, ?, ?, ?)"_s);
        for (const RoomBlock &b : hotel.blocks())
            block.row({rooms[std::size_t(b.room)].number, b.outOfInventory ? u"OOI"_s : u"OOO"_s,
                       hotel.dayText(b.firstDay), hotel.dayText(b.lastDay), b.reason});
    }
    {
        Insert reservation(db, u"INSERT INTO demo_reservation "
                               u"(roomno, rmtype, section, exposure, org, arrival, departure, status) "
                               u"VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s);
        const QVariant noRoom(QMetaType::fromType<QString>());
        const auto &orgs = hotel.organisations();
        for (const Reservation &r : hotel.reservations()) {
            if (r.departure < 0)
                continue; // left before the business date
            const Room &profile = rooms[std::size_t(r.profileRoom)];
            reservation.row({r.room >= 0 ? QVariant(rooms[std::size_t(r.room)].number) : noRoom,
                             grades[std::size_t(r.grade)].code, sectionDefs[profile.section].code.toString(),
                             profile.exposure, orgs[std::size_t(r.org)].code, hotel.dayText(r.arrival),
                             hotel.dayText(r.departure), r.arrival < 0 ? u"I"_s : u"R"_s});
        }
    }
}

} // namespace

void prepareForecastTables(QSqlDatabase &db, QDate businessDate)
{
    run(db, u"DELETE FROM Tavelin_1"_s);
    run(db, u"DELETE FROM Tavelin_2"_s);

    QSqlQuery last(db);
    if (!last.exec(u"SELECT max(day) FROM (SELECT max(departure) AS day FROM demo_reservation "
                   u"UNION ALL SELECT max(last_day) FROM demo_roomblock)"_s)
        || !last.next())
        throw DemoError(u"demo_reservation: "_s + last.lastError().text());
    const QDate lastDay = QDate::fromString(last.value(0).toString(), Qt::ISODate);
    last.finish(); // an open read would keep SQLite from dropping the calendar below

    // A calendar to spread each stay over its days; the joins below walk its
    // primary key once per stay.
    run(db, u"DROP TABLE IF EXISTS temp.demo_day"_s);
    run(db, u"CREATE TEMP TABLE demo_day (day date PRIMARY KEY)"_s);
    {
        Insert day(db, u"INSERT INTO temp.demo_day (day) VALUES (?)"_s);
        for (QDate d = businessDate; lastDay.isValid() && d <= lastDay; d = d.addDays(1))
            day.row({d.toString(Qt::ISODate)});
    }

    // rooms counts the departure day (due-outs), rooms_ED does not.
    run(db, uR"(INSERT INTO Tavelin_1 (date, type, type2, type3, exposure, rooms, rooms_ED)
        SELECT d.day, 'OCC', r.section, r.rmtype, r.exposure, count(*), sum(d.day < r.departure)
        FROM demo_reservation AS r CROSS JOIN temp.demo_day AS d
        WHERE d.day BETWEEN r.arrival AND r.departure
        GROUP BY d.day, r.section, r.rmtype, r.exposure)"_s);
    run(db, uR"(INSERT INTO Tavelin_1 (date, type, type2, type3, exposure, rooms, rooms_ED)
        SELECT d.day, b.type, m.section, m.rmtype, m.exposure, count(*), count(*)
        FROM demo_roomblock AS b JOIN demo_room AS m ON m.roomno = b.roomno CROSS JOIN temp.demo_day AS d
        WHERE d.day BETWEEN b.first_day AND b.last_day
        GROUP BY d.day, b.type, m.section, m.rmtype, m.exposure)"_s);
    // The undated rows hold the house itself, split as finely as the filters go.
    run(db, uR"(INSERT INTO Tavelin_1 (date, type, type2, type3, exposure, rooms, rooms_ED)
        SELECT NULL, 'RMS', section, rmtype, exposure, count(*), count(*)
        FROM demo_room GROUP BY section, rmtype, exposure)"_s);

    run(db, uR"(INSERT INTO Tavelin_2 (date, type, type1, type2, type3, rooms, rooms_ED)
        SELECT d.day, 'OCC', r.rmtype, r.section, r.org, count(*), sum(d.day < r.departure)
        FROM demo_reservation AS r CROSS JOIN temp.demo_day AS d
        WHERE d.day BETWEEN r.arrival AND r.departure
        GROUP BY d.day, r.rmtype, r.section, r.org)"_s);
    // Readers of Tavelin_2 must skip undated rows; keep a few so they do.
    run(db, uR"(INSERT INTO Tavelin_2 (date, type, type1, type2, type3, rooms, rooms_ED)
        SELECT NULL, 'RMS', rmtype, section, '', count(*), count(*)
        FROM demo_room GROUP BY rmtype, section)"_s);

    run(db, u"DROP TABLE temp.demo_day"_s);
}

DemoSummary generateDemoHotel(QSqlDatabase &db, const DemoOptions &options)
{
    if (!options.businessDate.isValid())
        throw DemoError(u"the business date is not a valid date"_s);
    if (!db.isOpen())
        throw DemoError(u"the database is not open"_s);

    HotelBuilder hotel(options);
    hotel.build();

    if (!db.transaction())
        throw DemoError(u"cannot begin a transaction: "_s + db.lastError().text());
    try {
        createSchema(db);
        writeHotel(db, hotel, options);
        prepareForecastTables(db, options.businessDate);
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit())
        throw DemoError(u"cannot commit: "_s + db.lastError().text());

    DemoSummary summary;
    summary.sections = LiveSections;
    summary.grades = int(hotel.grades().size());
    summary.organisations = int(hotel.organisations().size());
    summary.rooms = int(hotel.rooms().size());
    summary.reservations = countRows(db, u"demo_reservation"_s);
    summary.roomBlocks = countRows(db, u"demo_roomblock"_s);
    summary.gradeForecastRows = countRows(db, u"Tavelin_1"_s);
    summary.organisationForecastRows = countRows(db, u"Tavelin_2"_s);
    return summary;
}

} // namespace tavelin::demo
