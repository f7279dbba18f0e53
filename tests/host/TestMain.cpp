#include <gtest/gtest.h>

#include <QCoreApplication>

// Qt loads SQL drivers and runs processes only with an application object.
int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
