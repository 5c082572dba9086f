#include "tests/support/throwawayserver.h"

#include "store/serverconnection.h"

#include <QDir>
#include <QProcess>
#include <algorithm>
#include <unistd.h>

namespace {
QString script() {
    return QStringLiteral(JSJXC_TESTSERVER_SCRIPT);
}

// The newest installed server's programs.
QString serverPrograms() {
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    return versions.isEmpty()
               ? QString()
               : QStringLiteral("/usr/lib/postgresql/") + versions.last() + QStringLiteral("/bin");
}

bool runProgram(const QString &program, const QStringList &arguments, QString *output, QString *error) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                 QString::fromLocal8Bit(process.readAllStandardError() + process.readAllStandardOutput());
        return false;
    }
    if (output) *output = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    return true;
}
} // namespace

ThrowAwayServer::ThrowAwayServer() {
    // The script's folder name is made (and removed) by the script itself.
    m_folder = QDir::tempPath() +
               QStringLiteral("/jsjxc-ownserver-%1-%2").arg(::getpid()).arg(quintptr(this), 0, 16);
    QString connection;
    if (!runProgram(QStringLiteral("bash"), {script(), QStringLiteral("start"), m_folder}, &connection,
                    &m_error))
        return;
    m_port = serverconnection::valueOf(connection, "port");
    m_connection = connection;
}

ThrowAwayServer::~ThrowAwayServer() {
    QString ignored;
    runProgram(QStringLiteral("bash"), {script(), QStringLiteral("stop"), m_folder}, nullptr, &ignored);
}

bool ThrowAwayServer::pgCtl(const QStringList &arguments) {
    const QString pgCtl = serverPrograms() + QStringLiteral("/pg_ctl");
    const QStringList all = QStringList{QStringLiteral("-D"), m_folder + QStringLiteral("/data"),
                                        QStringLiteral("-w"), QStringLiteral("-s")} +
                            arguments;
    // As the script runs the server: the package's postgres user when the tests run as root.
    if (::geteuid() == 0)
        return runProgram(
            QStringLiteral("runuser"),
            QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"), pgCtl} + all,
            nullptr, &m_error);
    return runProgram(pgCtl, all, nullptr, &m_error);
}

bool ThrowAwayServer::stop() {
    return pgCtl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
}

bool ThrowAwayServer::start() {
    return pgCtl(
        {QStringLiteral("-l"), m_folder + QStringLiteral("/server.log"), QStringLiteral("-o"),
         QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(m_port, m_folder),
         QStringLiteral("start")});
}
