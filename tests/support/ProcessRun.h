#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace tavelin::test {

struct ProcessRun
{
    int exitCode = -1; // -1 when the program did not finish normally (a test failure is added)
    QByteArray out;
    QString err;
    qint64 milliseconds = 0;
};

// Runs a program to its end, within a minute. environment: changes to the
// test's own, an empty value removing the variable; TAVELIN_DEMO_DB is always
// removed, so that no host finds a demo database by accident.
ProcessRun runProgram(const QString &program, const QStringList &arguments,
                      const QMap<QString, QString> &environment = {});

} // namespace tavelin::test
