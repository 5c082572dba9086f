#include "users/desktoplauncher.h"

#include "widgets/shell.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QStandardPaths>

namespace desktoplauncher {

namespace {
// The escapes of a string value: backslash, and the control characters that would end the line.
QString escapeValue(const QString &value) {
    QString out;
    out.reserve(value.size());
    for (const QChar ch : value) {
        switch (ch.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            out += ch;
        }
    }
    return out;
}

// One argument of Exec: always quoted, with the characters that are special inside quotes escaped, and
// "%" doubled so that it is not taken for a field code. The string escapes come on top of that.
QString execArgument(const QString &argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar ch : argument) {
        if (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\') quoted += u'\\';
        if (ch == u'%') quoted += u'%';
        quoted += ch;
    }
    quoted += u'"';
    return escapeValue(quoted);
}

QString title() {
    return QString::fromUtf8("嘉穗进销存");
}
} // namespace

QString fileName() {
    return title() + QStringLiteral(".desktop");
}

QString desktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QByteArray content(const Launcher &launcher) {
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Version=1.0\n"
                                  "Type=Application\n");
    text += QStringLiteral("Name=") + escapeValue(title()) + u'\n';
    text += QStringLiteral("Comment=") + escapeValue(title()) + u'\n';
    text += QStringLiteral("Exec=") + execArgument(launcher.program) + u'\n';
    text += QStringLiteral("Path=") + escapeValue(launcher.workingDirectory) + u'\n';
    text += QStringLiteral("Icon=") + escapeValue(launcher.icon) + u'\n';
    text += QStringLiteral("Terminal=false\n"
                           "Categories=Office;\n");
    return text.toUtf8();
}

Launcher forThisProgram(Shell &shell, const QString &dataFolder) {
    Launcher launcher;
    launcher.program = QCoreApplication::applicationFilePath();
    const QDir folder = QFileInfo(launcher.program).absoluteDir();
    launcher.workingDirectory = QDir::toNativeSeparators(QDir(dataFolder).absolutePath() + u'/');

    const QString shipped = folder.filePath(QStringLiteral("jsjxc.png"));
    if (QFileInfo::exists(shipped)) {
        launcher.icon = shipped;
        return launcher;
    }
    launcher.icon = QStringLiteral("applications-office");
    const QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull()) return launcher;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!icon.pixmap(256, 256).save(&buffer, "PNG")) return launcher;
    const QString saved =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/jsjxc.png");
    if (shell.writeFile(saved, png)) launcher.icon = saved;
    return launcher;
}

bool write(Shell &shell, const QString &folder, const Launcher &launcher) {
    // A missing desktop folder is not made: this user has no desktop to put a launcher on.
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    const QString path = QDir(folder).filePath(fileName());
    if (!shell.writeFile(path, content(launcher))) return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser |
                                    QFile::ExeGroup | QFile::ExeOther);
    return true;
}

bool refresh(Shell &shell, const QString &dataFolder) {
    return write(shell, desktopFolder(), forThisProgram(shell, dataFolder));
}

} // namespace desktoplauncher
