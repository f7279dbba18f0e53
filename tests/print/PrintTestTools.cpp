#include "tests/print/PrintTestTools.h"

#include "controls/SheetModel.h"
#include "data/RecordSet.h"
#include "forecast/ForecastSearch.h"
#include "tests/fixtures/SmallHotel.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace tavelin::test {

namespace {

QByteArray runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

} // namespace

void searchSmallHotel(SheetModel &gradeSheet, SheetModel &orgSheet, QDate end)
{
    MemoryDatabase database;
    database.exec(smallHotelStatements());
    RecordSet records(&database.db());
    SearchCriteria criteria;
    criteria.begin = PrintBusinessDate;
    criteria.end = end;
    criteria.businessDate = PrintBusinessDate;
    clearForecast(gradeSheet, orgSheet);
    const auto refused = checkCriteria(criteria);
    ASSERT_FALSE(refused) << refused->message.toStdString();
    runForecast(criteria, records, gradeSheet, orgSheet);
    records.close();
}

void writeSmallHotelFile(const QString &path)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        for (const QString &sql : smallHotelStatements()) {
            QSqlQuery query(db);
            ASSERT_TRUE(query.exec(sql)) << sql.toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString missingPopplerTools()
{
    QStringList missing;
    for (const QString &tool : {u"pdftotext"_s, u"pdfinfo"_s, u"pdffonts"_s, u"pdftoppm"_s}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    }
    return missing.join(u", "_s);
}

QStringList pdfPageTexts(const QString &pdf)
{
    QStringList pages = QString::fromUtf8(runTool(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s}))
                            .split(u'\f');
    if (!pages.isEmpty() && pages.constLast().trimmed().isEmpty())
        pages.removeLast(); // after the last page's form feed
    return pages;
}

QString pdfInfo(const QString &pdf)
{
    return QString::fromUtf8(runTool(u"pdfinfo"_s, {pdf}));
}

QString pdfFonts(const QString &pdf)
{
    return QString::fromUtf8(runTool(u"pdffonts"_s, {pdf}));
}

int pdfPageCount(const QString &pdf)
{
    static const QRegularExpression pages(u"^Pages:\\s+(\\d+)$"_s, QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(pdfInfo(pdf));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool printed(const QString &pageText, const QString &wanted)
{
    const auto squeezed = [](QString text) {
        text.removeIf([](QChar c) { return c.isSpace(); });
        return text;
    };
    return squeezed(pageText).contains(squeezed(wanted));
}

QImage pdfPageImage(const QString &pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(u"page"_s);
    runTool(u"pdftoppm"_s, {u"-png"_s, u"-singlefile"_s, u"-r"_s, QString::number(dpi), u"-f"_s,
                            QString::number(page), u"-l"_s, QString::number(page), pdf, base});
    return QImage(base + u".png"_s);
}

} // namespace tavelin::test
