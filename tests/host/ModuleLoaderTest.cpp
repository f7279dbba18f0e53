#include "host/ModuleLoader.h"
#include "tests/host/TestPrinters.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using namespace tavelin::host;

namespace {

const QString FakeModule = QString::fromUtf8(TAVELIN_FAKE_MODULE);

QString folderOf(const QString &file)
{
    return QFileInfo(file).absolutePath();
}

} // namespace

TEST(ModuleLoader, ResolvesTheEntryPointOfAGivenFile)
{
    ModuleLoader loader(FakeModule, u"/nonexistent"_s);
    ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
    EXPECT_NE(loader.entryPoint(), nullptr);
    EXPECT_EQ(loader.fileName(), FakeModule);
}

TEST(ModuleLoader, AGivenFolderIsSearchedForLibtavelin)
{
    ModuleLoader loader(folderOf(FakeModule), u"/nonexistent"_s);
    ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
    EXPECT_NE(loader.entryPoint(), nullptr);
    EXPECT_EQ(QFileInfo(loader.fileName()).canonicalFilePath(), QFileInfo(FakeModule).canonicalFilePath());
}

TEST(ModuleLoader, TheHostsFolderComesFirst)
{
    ModuleLoader loader(QString(), folderOf(FakeModule));
    ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
    EXPECT_NE(loader.entryPoint(), nullptr);
    EXPECT_EQ(QFileInfo(loader.fileName()).canonicalFilePath(), QFileInfo(FakeModule).canonicalFilePath());
}

TEST(ModuleLoader, NeitherBesideTheHostNorOnTheSearchPathSaysWhereItLooked)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    ModuleLoader loader(QString(), empty.path());
    EXPECT_FALSE(loader.load());
    EXPECT_EQ(loader.entryPoint(), nullptr);
    EXPECT_TRUE(loader.errorString().contains(empty.path())) << loader.errorString().toStdString();
    EXPECT_TRUE(loader.errorString().contains(u"search path"_s)) << loader.errorString().toStdString();
}

TEST(ModuleLoader, AFileThatIsNoLibraryIsRefusedWithTheLoadersText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"libtavelin.so"_s);
    {
        QFile text(file);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("not an ELF file\n");
    }
    ModuleLoader loader(QString(), dir.path());
    EXPECT_FALSE(loader.load());
    EXPECT_TRUE(loader.errorString().startsWith(u"cannot load module "_s + file + u": "_s))
        << loader.errorString().toStdString();
    EXPECT_GT(loader.errorString().size(), (u"cannot load module "_s + file + u": "_s).size());
}
