#pragma once
// The program, or a helper of the tests, run as a process: its exit status
// and what it wrote.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace quillet::test {

struct ProgramRun {
    int status = -1; // the exit status; -2 when it crashed or had to be stopped
    QString out;
    QString err;
    // The toolkit may warn before the program speaks; the program's message
    // is the last line of the error output.
    QString Message() const
    {
        const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return lines.isEmpty() ? QString() : lines.last().trimmed();
    }
};

// Runs program with arguments in env and waits for it, three minutes at most.
// prefix: a program that runs it with its arguments after its own (setpriv,
// prlimit), or none; folder: the folder it runs in, or the tests' own;
// inChild: run in the child before the program starts (setrlimit).
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
    const QProcessEnvironment& env, const QStringList& prefix = {}, const QString& folder = {},
    const std::function<void()>& inChild = {})
{
    // The user's own print settings never steer a test run.
    QTemporaryDir config;
    QProcessEnvironment runEnv = env;
    if (!runEnv.contains(QStringLiteral("XDG_CONFIG_HOME")))
        runEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    QProcess process;
    process.setProcessEnvironment(runEnv);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    if (inChild)
        process.setChildProcessModifier(inChild);
    if (prefix.isEmpty())
        process.start(program, arguments);
    else
        process.start(prefix.first(), prefix.mid(1) + QStringList { program } + arguments);
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
    }
    ProgramRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace quillet::test
