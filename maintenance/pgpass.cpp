#include "maintenance/pgpass.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pgpass {
namespace {
// libpq's reading of one field: the rest of the line after it when it matches `token`, nothing when not.
// "*" alone matches anything; a backslash takes the next character as it is.
std::optional<qsizetype> matchField(const QByteArray &line, qsizetype from, const QByteArray &token) {
    if (from + 1 < line.size() && line[from] == '*' && line[from + 1] == ':') return from + 2;
    qsizetype at = from;
    qsizetype matched = 0;
    while (at < line.size()) {
        bool escaped = false;
        if (line[at] == '\\') {
            ++at;
            escaped = true;
            if (at >= line.size()) return std::nullopt;
        }
        if (line[at] == ':' && !escaped && matched == token.size()) return at + 1;
        if (matched == token.size() || line[at] != token[matched]) return std::nullopt;
        ++at;
        ++matched;
    }
    return std::nullopt;
}

// The line without its line end, or nothing for a comment or an empty line (libpq skips both).
std::optional<QByteArray> content(QByteArray line) {
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty() || line.startsWith('#')) return std::nullopt;
    return line;
}

// Where the password starts when the line is one libpq would use for the key.
std::optional<qsizetype> passwordStart(const QByteArray &line, const Key &key) {
    std::optional<qsizetype> at = 0;
    for (const QString &field : {key.host, key.port, key.database, key.user}) {
        at = matchField(line, *at, field.toUtf8());
        if (!at) return std::nullopt;
    }
    return at;
}

QString unescapedPassword(const QByteArray &line, qsizetype from) {
    QByteArray password;
    for (qsizetype at = from; at < line.size() && line[at] != ':'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        password += line[at];
    }
    return QString::fromUtf8(password);
}

QByteArrayList readLines(const QString &path, bool *readable) {
    QFile file(path);
    *readable = file.open(QIODevice::ReadOnly);
    QByteArrayList lines;
    if (!*readable) return lines;
    const QByteArray all = file.readAll();
    lines = all.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Writes the bytes to a new file of mode 0600 beside `target` and renames it over `target`.
bool replaceFile(const QString &target, const QByteArray &bytes, QString *error) {
    const QString shown = QDir::toNativeSeparators(target);
    QByteArray temporary = QFile::encodeName(target + QStringLiteral(".XXXXXX"));
    const int descriptor = ::mkstemp(temporary.data()); // made 0600, exclusively
    if (descriptor < 0) {
        *error = QStringLiteral("无法在“%1”所在的文件夹中建立文件：%2").arg(shown, systemReason());
        return false;
    }
    qsizetype written = 0;
    bool ok = true;
    while (ok && written < bytes.size()) {
        const ssize_t step = ::write(descriptor, bytes.constData() + written, size_t(bytes.size() - written));
        if (step < 0 && errno == EINTR) continue;
        ok = step > 0;
        if (ok) written += step;
    }
    ok = ok && ::fchmod(descriptor, S_IRUSR | S_IWUSR) == 0 && ::fsync(descriptor) == 0;
    const QString reason = ok ? QString() : systemReason();
    ok = ::close(descriptor) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), QFile::encodeName(target).constData()) == 0;
    if (!ok) {
        *error =
            QStringLiteral("无法写入密码文件“%1”：%2").arg(shown, reason.isEmpty() ? systemReason() : reason);
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}
} // namespace

QString defaultPath() {
    const QString named = qEnvironmentVariable("PGPASSFILE");
    if (!named.isEmpty()) return named;
    return QDir::homePath() + QStringLiteral("/.pgpass");
}

QString escapedField(const QString &value) {
    if (value == QStringLiteral("*")) return QStringLiteral("\\*");
    QString text;
    for (const QChar c : value) {
        if (c == QLatin1Char(':') || c == QLatin1Char('\\')) text += QLatin1Char('\\');
        text += c;
    }
    if (text.startsWith(QLatin1Char('#'))) text.prepend(QLatin1Char('\\'));
    return text;
}

QString lineFor(const Key &key, const QString &password) {
    return escapedField(key.host) + QLatin1Char(':') + escapedField(key.port) + QLatin1Char(':') +
           escapedField(key.database) + QLatin1Char(':') + escapedField(key.user) + QLatin1Char(':') +
           escapedField(password);
}

std::optional<QString> passwordFor(const QString &path, const Key &key) {
    bool readable = false;
    for (const QByteArray &raw : readLines(path, &readable)) {
        const auto line = content(raw);
        if (!line) continue;
        if (const auto at = passwordStart(*line, key)) return unescapedPassword(*line, *at);
    }
    return std::nullopt;
}

QString refusal(const Key &key, const QString &password) {
    for (const QString &field : {key.host, key.port, key.database, key.user, password})
        if (field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')))
            return QStringLiteral("服务器、端口、数据库名、用户名和密码中不能有换行。");
    return {};
}

bool store(const QString &path, const Key &key, const QString &password, QString *error) {
    QString ignored;
    if (!error) error = &ignored;
    if (const QString why = refusal(key, password); !why.isEmpty()) {
        *error = why;
        return false;
    }
    QFileInfo info(path);
    // libpq follows a link; the file it names is the one to change, the link stays.
    const QString target = info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && !targetInfo.isFile()) {
        *error = QStringLiteral("“%1”不是一个普通文件，无法在其中保存数据库密码。")
                     .arg(QDir::toNativeSeparators(target));
        return false;
    }
    bool readable = false;
    QByteArrayList lines = readLines(target, &readable);
    if (targetInfo.exists() && !readable) {
        *error = QStringLiteral("无法读取密码文件“%1”。").arg(QDir::toNativeSeparators(target));
        return false;
    }
    const QByteArray mine = lineFor(key, password).toUtf8();
    // The first line libpq would take decides: replaced when it is this key's own, else ours goes before
    // it, since a line with "*" there would otherwise win. Later copies of this key's own line are dead.
    bool placed = false;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const auto line = content(lines[index]);
        if (!line || !passwordStart(*line, key)) continue;
        const bool own = line->startsWith(lineFor(key, QString()).toUtf8());
        if (placed) {
            if (own) lines.removeAt(index--);
        } else if (own) {
            lines[index] = mine;
            placed = true;
        } else {
            lines.insert(index++, mine);
            placed = true;
        }
    }
    if (!placed) lines.append(mine);
    return replaceFile(target, lines.join('\n') + '\n', error);
}

QString permissionProblem(const QString &path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) return {};
    const QString shown = QDir::toNativeSeparators(path);
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("“%1”不是一个普通文件，数据库程序不会从中读取密码。").arg(shown);
    if (status.st_mode & (S_IRWXG | S_IRWXO))
        return QStringLiteral("密码文件“%1”其他用户也能读写，数据库程序因此不会使用其中的密码。\n"
                              "按“确定”保存连接时，它会被改为只有您自己能读写。")
            .arg(shown);
    return {};
}

} // namespace pgpass
