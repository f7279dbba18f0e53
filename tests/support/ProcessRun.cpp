#include "tests/support/ProcessRun.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

namespace tavelin::test {

ProcessRun runProgram(const QString &program, const QStringList &arguments,
                      const QMap<QString, QString> &environment)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("TAVELIN_DEMO_DB"));
    for (auto it = environment.begin(); it != environment.end(); ++it) {
        if (it.value().isEmpty())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    ProcessRun result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << program.toStdString() << " did not finish normally: " << process.errorString().toStdString();
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.milliseconds = timer.elapsed();
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace tavelin::test
