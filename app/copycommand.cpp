#include "app/copycommand.h"

#include "app/commandline.h"
#include "app/startup.h"
#include "store/database.h"
#include "store/servercopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <cstdio>
#include <cstring>

namespace {
void say(std::FILE *stream, const QString &text) {
    std::fputs((text + u'\n').toUtf8().constData(), stream);
    std::fflush(stream);
}
} // namespace

bool asksForServerCopy(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--copy-to", 9) == 0 && (argv[i][9] == '\0' || argv[i][9] == '='))
            return true;
    return false;
}

int runServerCopy(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tuomei"));
    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments().mid(1));
    QString problem = commandLine.error;
    const QString shopFolder = problem.isEmpty() ? chooseShopFolder(commandLine.shopFolder, &problem) : QString();
    if (!problem.isEmpty()) {
        say(stderr, problem);
        return 2;
    }
    const QString databasePath = QDir(shopFolder).filePath(QStringLiteral("data.mdb"));
    // The same claim as the program's: no sale goes into the file while it is copied and then is missing
    // on the server.
    QLockFile claim(databasePath + QStringLiteral(".lock"));
    claim.setStaleLockTime(0);
    if (!claim.tryLock(0)) {
        say(stderr, QStringLiteral("嘉穗进销存正在使用数据文件夹“%1”，请先退出程序再复制。")
                        .arg(QDir::toNativeSeparators(shopFolder)));
        return 1;
    }
    Database server;
    if (!server.openServer(*commandLine.copyTo)) {
        say(stderr, server.errorText());
        return 1;
    }
    say(stdout, QStringLiteral("正在把“%1”复制到数据库服务器“%2”……")
                    .arg(QDir::toNativeSeparators(databasePath), server.description()));
    int shownPercent = -1;
    const servercopy::Result result =
        servercopy::copyShop(databasePath, server, [&shownPercent](qint64 copied, qint64 total) {
            const int percent = total > 0 ? int(copied * 100 / total) : 100;
            if (percent / 10 != shownPercent / 10 || (copied == total && percent != shownPercent)) {
                say(stdout, QStringLiteral("已复制 %1 / %2 行（%3%）").arg(copied).arg(total).arg(percent));
                shownPercent = percent;
            }
            return true;
        });
    const bool copied = result.outcome == servercopy::Outcome::Copied;
    say(copied ? stdout : stderr, result.message);
    return copied ? 0 : 1;
}
