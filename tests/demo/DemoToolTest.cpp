#include "tests/demo/TestPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(QString::fromUtf8(TAVELIN_DEMO_TOOL), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "tavelin-demo did not finish: " << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString infoValue(const QString &file, const QString &name)
{
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"demo-tool-check"_s);
        db.setDatabaseName(file);
        db.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(u"SELECT value FROM demo_info WHERE name = '%1'"_s.arg(name)) && query.next())
                value = query.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(u"demo-tool-check"_s);
    return value;
}

} // namespace

TEST(DemoTool, WritesAReadableDatabaseAndNothingElse)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"hotel.sqlite"_s);
    const ToolRun run = runTool({u"--out"_s, file, u"--business-date"_s, u"2026-03-01"_s, u"--seed"_s, u"3"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(u"300 rooms"_s)) << run.out.toStdString();
    EXPECT_EQ(infoValue(file, u"business_date"_s), u"2026-03-01"_s);
    EXPECT_EQ(infoValue(file, u"seed"_s), u"3"_s);
    EXPECT_EQ(infoValue(file, u"size"_s), u"standard"_s);
    // No partial file is left beside it, and others may read it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"hotel.sqlite"_s});
    EXPECT_TRUE(QFileInfo(file).permissions() & QFile::ReadOther);
}

TEST(DemoTool, ReplacesAnExistingFileOnlyWithForce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"hotel.sqlite"_s);
    {
        QFile existing(file);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
    }
    const ToolRun refused = runTool({u"--out"_s, file, u"--business-date"_s, u"2026-03-01"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(file)) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(u"--force"_s)) << refused.err.toStdString();
    {
        QFile existing(file);
        ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
        EXPECT_EQ(existing.readAll(), QByteArray("keep me"));
    }

    const ToolRun forced = runTool({u"--out"_s, file, u"--business-date"_s, u"2026-03-01"_s, u"--force"_s});
    ASSERT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_EQ(infoValue(file, u"business_date"_s), u"2026-03-01"_s);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST(DemoTool, FailsWithoutWritingWhenTheFolderIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"missing/hotel.sqlite"_s);
    const ToolRun run = runTool({u"--out"_s, file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(u"does not exist"_s)) << run.err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

TEST(DemoTool, AnInterruptedRunLeavesNoFileBehind)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess process;
    process.start(QString::fromUtf8(TAVELIN_DEMO_TOOL),
                  {u"--out"_s, dir.filePath(u"hotel.sqlite"_s), u"--size"_s, u"large"_s});
    ASSERT_TRUE(process.waitForStarted());
    // Interrupt once the partial file is there: the large hotel takes seconds to write.
    const QDir folder(dir.path());
    while (process.state() == QProcess::Running && folder.entryList(QDir::Files | QDir::Hidden).isEmpty())
        process.waitForFinished(10);
    if (process.state() != QProcess::Running)
        GTEST_SKIP() << "finished before it could be interrupted";
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit); // ended by the signal
    EXPECT_TRUE(folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty())
        << folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u' ').toStdString();
}

struct BadOptions
{
    const char *name;
    std::vector<const char *> arguments; // FILE stands for a file in an empty folder
};

void PrintTo(const BadOptions &options, std::ostream *os)
{
    *os << options.name;
}

class DemoToolBadOptions : public ::testing::TestWithParam<BadOptions>
{
};

TEST_P(DemoToolBadOptions, ExitWithTwoAndWriteNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList arguments;
    for (const char *argument : GetParam().arguments)
        arguments.append(QString::fromUtf8(argument).replace(u"FILE"_s, dir.filePath(u"hotel.sqlite"_s)));
    const ToolRun run = runTool(arguments);
    EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(u"tavelin-demo: "_s)) << run.err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DemoToolBadOptions,
    ::testing::Values(BadOptions{"NoOut", {}},
                      BadOptions{"NoSuchDay", {"--out", "FILE", "--business-date", "2026-02-30"}},
                      BadOptions{"DateNotIso", {"--out", "FILE", "--business-date", "1.3.2026"}},
                      BadOptions{"NegativeSeed", {"--out", "FILE", "--seed", "-1"}},
                      BadOptions{"WordSeed", {"--out", "FILE", "--seed", "twelve"}},
                      BadOptions{"UnknownSize", {"--out", "FILE", "--size", "huge"}},
                      BadOptions{"UnknownOption", {"--out", "FILE", "--rooms", "10"}},
                      BadOptions{"ExtraArgument", {"--out", "FILE", "extra"}}),
    [](const ::testing::TestParamInfo<BadOptions> &info) { return std::string(info.param.name); });
