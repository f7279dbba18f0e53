#include "tests/support/PgServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

// Qt loads SQL drivers and runs processes only with an application object.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    // One server for the whole executable, started by the first test that asks.
    ::testing::AddGlobalTestEnvironment(new tavelin::test::PgEnvironment);
    return RUN_ALL_TESTS();
}
