#include <QApplication>

#include <gtest/gtest.h>

// main() of every widget test executable: an offscreen application unless the
// environment names a platform, also when gtest only lists the tests.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
