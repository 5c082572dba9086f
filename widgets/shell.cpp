#include "widgets/shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

namespace {
Shell *&installed() {
    static Shell *shell = nullptr;
    return shell;
}
} // namespace

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
