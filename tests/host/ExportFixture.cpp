#include "tests/host/ExportFixture.h"

#include <QSqlDatabase>

using namespace Qt::StringLiterals;

namespace tavelin::test {

QStringList exportFixtureStatements()
{
    return {
        u"create table RmSection (Code char(4), chnDescp varchar(40), del int)"_s,
        u"insert into RmSection values ('A', '主楼', 0), ('C   ', '西翼', 0), ('OLD', '旧楼', 1)"_s,
        u"create table Exposure (Code varchar(10), ChnDescp varchar(40), del int)"_s,
        u"insert into Exposure values ('SEA', '海景', 0), ('GONE', '停用', 1)"_s,
        u"create table rmtype (code varchar(6), ChnDescp varchar(40))"_s,
        u"insert into rmtype values ('DK', '大床房'), ('ST', '标准间, \"豪华\"')"_s,
        u"create table Org (code varchar(10), Descp varchar(40))"_s,
        u"insert into Org values ('FIT', '散客'), ('TA', '旅行社')"_s,
        u"create table Tavelin_1 (date date, type varchar(3), type2 varchar(6), type3 varchar(6), "
        u"exposure varchar(60), rooms int, rooms_ED int)"_s,
        u"insert into Tavelin_1 values (NULL, 'OCC', 'A', 'DK', '', 10, 10), (NULL, 'OCC', 'A', 'ST', '', 5, 5), "
        u"('2026-06-15', 'OCC', 'C', 'ST', '', 3, 2), ('2026-06-16', 'OCC', 'A', 'DK', 'SEA', 12, 11), "
        u"('2026-06-17', 'OOI', 'A', 'DK', '', 1, 1), ('2026-06-18', 'OOO', 'A', 'ST', '', 2, 2)"_s,
        u"create table Tavelin_2 (date date, type varchar(3), type1 varchar(6), type2 varchar(6), "
        u"type3 varchar(10), rooms int, rooms_ED int)"_s,
        u"insert into Tavelin_2 values ('2026-06-15', 'OCC', 'DK', 'A', 'FIT', 4, 3), "
        u"('2026-06-15', 'OCC', 'ST', 'A', 'TA', 1, 1), ('2026-06-16', 'OCC', 'DK', 'A', 'FIT', 2, 2), "
        u"(NULL, 'OCC', 'DK', 'A', 'FIT', 99, 99), ('2026-06-15', 'OOO', 'DK', 'A', 'TA', 7, 7)"_s,
    };
}

void writeSqliteFile(const QString &path, const QStringList &statements)
{
    QSqlDatabase registered = QSqlDatabase::addDatabase(u"QSQLITE"_s, uniqueConnectionName(u"fixture"_s));
    registered.setDatabaseName(path);
    ScopedConnection connection = openScoped(std::move(registered), u"the fixture file "_s + path);
    ASSERT_TRUE(execAll(*connection, statements));
}

} // namespace tavelin::test
