#include "maintenance/serverbackup.h"

#include "store/database.h"
#include "widgets/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVersionNumber>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace serverbackup {

namespace {
// The name the program's own connections carry (store/serverconnection.cpp).
const auto tillApplicationName = QStringLiteral("jsjxc");

struct ToolRun {
    bool ok = false;
    QByteArray output;
    QString error;
};

// What a tool wrote to its error channel, short enough for a message box: its first lines, which name
// the failure (the later ones repeat or count them).
QString shortened(const QByteArray &stderrBytes) {
    QStringList lines = QString::fromUtf8(stderrBytes).trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype total = lines.size();
    if (lines.size() > 6) lines = lines.mid(0, 6);
    for (QString &line : lines) {
        line = line.trimmed();
        if (line.size() > 200) line = line.left(200) + QStringLiteral("…");
    }
    QString text = lines.join(QLatin1Char('\n'));
    if (total > lines.size()) text += QStringLiteral("\n…（共 %1 行）").arg(total);
    return text;
}

ToolRun runTool(const QString &name, const QStringList &arguments, int timeoutMs) {
    const QString program = toolPath(name);
    if (program.isEmpty())
        return {false,
                {},
                QStringLiteral("找不到 PostgreSQL 的 %1 程序。请安装 postgresql-client"
                               "（sudo apt-get install postgresql-client）后再试。")
                    .arg(name)};
    QProcess process;
    // Never a question for a password on a terminal: libpq reads ~/.pgpass or fails.
    process.setStandardInputFile(QProcess::nullDevice());
    // An unreachable server is reported after a while, as the program's own connection is, rather than
    // when the time limit of a whole dump runs out.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environment.contains(QStringLiteral("PGCONNECT_TIMEOUT")))
        environment.insert(QStringLiteral("PGCONNECT_TIMEOUT"), QStringLiteral("10"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(30000))
        return {false, {}, QStringLiteral("无法启动 %1：%2").arg(program, process.errorString())};
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(10000);
        return {
            false,
            {},
            QStringLiteral("%1 在 %2 分钟内没有完成，已被停止。").arg(name).arg((timeoutMs + 59999) / 60000)};
    }
    ToolRun run;
    run.output = process.readAllStandardOutput();
    const QByteArray errors = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = shortened(errors);
        run.error = said.isEmpty()
                        ? QStringLiteral("%1 意外结束（退出码 %2）。").arg(name).arg(process.exitCode())
                        : QStringLiteral("%1 报告：\n%2").arg(name, said);
        return run;
    }
    run.ok = true;
    return run;
}

// Reads every block of the archive: a dump cut short still has its whole table of contents at the
// front, so only reading its data shows what is missing.
ToolRun readWholeArchive(const QString &file, const Limits &limits) {
    ToolRun listed = runTool(QStringLiteral("pg_restore"),
                             {QStringLiteral("--list"), QStringLiteral("--"), file}, limits.check);
    if (!listed.ok) return listed;
    ToolRun read = runTool(QStringLiteral("pg_restore"),
                           {QStringLiteral("--file=") + QProcess::nullDevice(), QStringLiteral("--"), file},
                           limits.check);
    if (!read.ok) return read;
    return listed;
}

bool fileToDisk(const QString &path, QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || ::fsync(file.handle()) != 0) {
        *error = file.errorString();
        return false;
    }
    return true;
}

// The values of the version table in the archive: its data as pg_restore writes it out ("COPY
// <table> (<columns>) FROM stdin;", then one tab-separated line).
QHash<QString, QString> versionRow(const QByteArray &script) {
    QHash<QString, QString> row;
    const QStringList lines = QString::fromUtf8(script).split(QLatin1Char('\n'));
    static const QRegularExpression copy(QStringLiteral("^COPY \\S*jsjxc_schema \\(([^)]*)\\) FROM stdin;"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const auto match = copy.match(lines[i]);
        if (!match.hasMatch()) continue;
        const QStringList columns = match.captured(1).split(QStringLiteral(", "));
        const QStringList values = lines[i + 1].split(QLatin1Char('\t'));
        if (values.size() != columns.size()) return {};
        for (qsizetype c = 0; c < columns.size(); ++c)
            row.insert(columns[c].trimmed(), values[c]);
        return row;
    }
    return row;
}
} // namespace

QString toolPath(const QString &name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    if (!onPath.isEmpty()) return onPath;
    // Without postgresql-client-common Debian puts the tools only in their version's own folder.
    QString newest;
    QVersionNumber newestVersion;
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    for (const QString &version : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString candidate = versions.filePath(version + QStringLiteral("/bin/") + name);
        const QVersionNumber number = QVersionNumber::fromString(version);
        if (QFileInfo(candidate).isExecutable() && (newest.isEmpty() || number > newestVersion)) {
            newest = candidate;
            newestVersion = number;
        }
    }
    return newest;
}

bool writeVerifiedDump(const QString &connection, const QString &target, QString *error,
                       const Limits &limits) {
    if (target.trimmed().isEmpty()) {
        *error = QStringLiteral("没有指定备份文件");
        return false;
    }
    if (QFileInfo(target).isDir()) {
        *error = QStringLiteral("“%1”是一个文件夹").arg(QDir::toNativeSeparators(target));
        return false;
    }
    // A name of this process's own beside the target: the rename stays on one file system, and two
    // programs never write into each other's dump.
    const QString partial =
        target + QStringLiteral(".part-") + QString::number(QCoreApplication::applicationPid());
    QFile::remove(partial);
    const ToolRun dumped =
        runTool(QStringLiteral("pg_dump"),
                {QStringLiteral("--format=custom"), QStringLiteral("--no-password"),
                 QStringLiteral("--file=") + partial, QStringLiteral("--dbname=") + connection},
                limits.dump);
    ToolRun verified;
    if (dumped.ok) verified = readWholeArchive(partial, limits);
    bool ok = dumped.ok && verified.ok;
    if (!ok) *error = dumped.ok ? QStringLiteral("新的备份没有通过检查：") + verified.error : dumped.error;
    ok = ok && fileToDisk(partial, error);
    if (ok &&
        std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        QFile::remove(partial);
        return false;
    }
    syncFolderToDisk(QFileInfo(target).absolutePath());
    return true;
}

bool checkDump(const QString &file, QString *error, const Limits &limits) {
    const QString shown = QDir::toNativeSeparators(file);
    if (!QFileInfo(file).isFile()) {
        *error = QStringLiteral("备份文件“%1”不存在。").arg(shown);
        return false;
    }
    const ToolRun whole = readWholeArchive(file, limits);
    if (!whole.ok) {
        *error = QStringLiteral("“%1”不是完整的数据库备份文件（.dump）。\n%2").arg(shown, whole.error);
        return false;
    }
    // The table of contents: "<id>; <oid> <oid> TABLE <schema> <name> <owner>".
    const QString contents = QString::fromUtf8(whole.output);
    const auto has = [&contents](const char *kind, const char *table) {
        const QRegularExpression line(
            QStringLiteral("^\\d+; \\d+ \\d+ %1 \\S+ %2 ").arg(QLatin1String(kind), QLatin1String(table)),
            QRegularExpression::MultilineOption);
        return line.match(contents).hasMatch();
    };
    const QString foreign = QStringLiteral("“%1”不是本程序数据库的备份，不能用来恢复。").arg(shown);
    if (!has("TABLE", "data") || !has("TABLE", "data1") || !has("TABLE DATA", "jsjxc_schema")) {
        *error = foreign;
        return false;
    }
    const ToolRun versionData =
        runTool(QStringLiteral("pg_restore"),
                {QStringLiteral("--data-only"), QStringLiteral("--table=jsjxc_schema"),
                 QStringLiteral("--file=-"), QStringLiteral("--"), file},
                limits.check);
    if (!versionData.ok) {
        *error = QStringLiteral("无法读出“%1”的数据版本。\n%2").arg(shown, versionData.error);
        return false;
    }
    const QHash<QString, QString> row = versionRow(versionData.output);
    if (row.value(QStringLiteral("application_id")).toLongLong() != Database::ApplicationId) {
        *error = foreign;
        return false;
    }
    const int version = row.value(QStringLiteral("version")).toInt();
    if (version > Database::SchemaVersion) {
        *error = QStringLiteral("“%1”来自更新版本的程序（数据版本 %2，本程序支持到 %3），请先升级程序。")
                     .arg(shown)
                     .arg(version)
                     .arg(Database::SchemaVersion);
        return false;
    }
    return true;
}

int otherTills(Database &database, QString *error) {
    const QVariant count = database.scalar(
        QStringLiteral("select count(*) from pg_stat_activity where datname = current_database() and "
                       "application_name = ? and pid <> pg_backend_pid()"),
        {tillApplicationName});
    if (!count.isValid()) {
        *error = QStringLiteral("无法查看连接着数据库服务器的收银机：") + database.errorText();
        return -1;
    }
    return count.toInt();
}

QString tillsConnectedText(int count) {
    return QStringLiteral(
               "还有 %1 "
               "台其他收银机（本程序）正连接着这个数据库，现在不能恢复：恢复会替换它们正在使用的数据。\n"
               "请先在其他收银机上退出本程序，再试一次。")
        .arg(count);
}

RestoreOutcome restore(Database &database, const QString &file, QString *error, const Limits &limits) {
    if (database.engine() != Database::Engine::Server || database.serverConnection().isEmpty()) {
        *error = QStringLiteral("本店的数据不在数据库服务器上。");
        return RestoreOutcome::Refused;
    }
    const QString connection = database.serverConnection();
    if (!checkDump(file, error, limits)) return RestoreOutcome::Refused;
    const int others = otherTills(database, error);
    if (others < 0) return RestoreOutcome::Refused;
    if (others > 0) {
        *error = tillsConnectedText(others);
        return RestoreOutcome::Refused;
    }
    // The program's own connection holds nothing while the tables are dropped and made again, and the
    // new one reads the restored tables from scratch.
    database.close();
    const ToolRun restored =
        runTool(QStringLiteral("pg_restore"),
                {QStringLiteral("--single-transaction"), QStringLiteral("--clean"),
                 QStringLiteral("--if-exists"), QStringLiteral("--no-owner"), QStringLiteral("--no-password"),
                 QStringLiteral("--dbname=") + connection, QStringLiteral("--"), file},
                limits.restore);
    // Also after a failure: the connection was closed for the restore. The schema check runs here.
    const bool reopened = database.openServer(connection);
    if (!restored.ok) {
        *error = restored.error + QStringLiteral("\n恢复在一个事务中进行，已全部撤销。");
        if (!reopened) *error += QLatin1Char('\n') + database.errorText();
        return RestoreOutcome::Failed;
    }
    if (!reopened) {
        *error = database.errorText();
        return RestoreOutcome::Reopened;
    }
    return RestoreOutcome::Restored;
}

} // namespace serverbackup
