#include "widgets/shell.h"

#include "widgets/dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>
#include <fcntl.h>
#include <unistd.h>

namespace {
Shell *&installed() {
    static Shell *shell = nullptr;
    return shell;
}
} // namespace

// A rename is durable only once the folder that holds the name is on disk as well.
void syncFolderToDisk(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool copyFileDurably(const QString &source, const QString &target, QString *error) {
    const auto fail = [error](const QString &why) {
        if (error) *error = why;
        return false;
    };
    if (target.trimmed().isEmpty()) return fail(QStringLiteral("没有指定目标文件"));
    if (!QFileInfo(source).isFile()) return fail(QStringLiteral("文件“%1”不存在").arg(source));
    if (QFileInfo(target).isDir()) return fail(QStringLiteral("“%1”是一个文件夹").arg(target));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return fail(in.errorString());
    QSaveFile out(target);
    // Never fall back to writing over the target in place.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) return fail(out.errorString());
    // An uncommitted QSaveFile removes its temporary file: every early return leaves the target alone.
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (chunk.isEmpty()) {
            if (in.error() != QFileDevice::NoError) return fail(in.errorString());
            break;
        }
        if (out.write(chunk) != chunk.size()) return fail(out.errorString());
    }
    // The whole copy is on disk before its name replaces the target.
    if (!out.flush() || ::fsync(out.handle()) != 0) return fail(out.errorString());
    if (!out.commit()) return fail(out.errorString());
    syncFolderToDisk(QFileInfo(target).absolutePath());
    return true;
}

Shell &Shell::instance() {
    static SystemShell system;
    Shell *shell = installed();
    return shell ? *shell : system;
}

void Shell::install(Shell *shell) {
    installed() = shell;
}

bool SystemShell::openUrl(const QString &url) {
    return QDesktopServices::openUrl(QUrl(url));
}

bool SystemShell::openFile(const QString &path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool SystemShell::startProgram(const QString &program, const QStringList &arguments) {
    return QProcess::startDetached(program, arguments);
}

bool SystemShell::writeFile(const QString &path, const QByteArray &content) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(content);
    return file.commit();
}

Shell::CopyResult SystemShell::copyFile(QWidget *parent, const QString &source, const QString &target) {
    // A folder under the target's name is no file to replace: the copy below fails on it.
    const QFileInfo existing(target);
    if (existing.exists() && !existing.isDir() &&
        !Dialogs::instance().ask(
            parent, QStringLiteral("文件“%1”已经存在，要替换它吗？").arg(QDir::toNativeSeparators(target))))
        return CopyResult::Declined;
    return copyFileDurably(source, target) ? CopyResult::Copied : CopyResult::Failed;
}
