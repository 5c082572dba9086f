// The upgrader program: started by the program after an upgrade was downloaded, it waits until the
// program has ended, puts the downloaded files in place and starts the program again.
#include "upgrade/upgraderprogram.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const auto command = parseUpgraderCommand(arguments);
    if (!command) {
        std::printf(
            "Upgrader: puts the files of a downloaded upgrade of 嘉穗进销存 in place and restarts it.\n"
            "It is started by the program itself.\n");
        return arguments.isEmpty() ? 0 : 2;
    }
    return runUpgrader(
        *command,
        [](const QString &program, const QStringList &args) {
            return QProcess::startDetached(program, args);
        },
        [](const QString &program, const QStringList &args) { return QProcess::execute(program, args); });
}
