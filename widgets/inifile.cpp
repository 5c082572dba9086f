#include "widgets/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

IniFile::Line IniFile::parse(const QByteArray &bytes) {
    Line line;
    line.bytes = bytes;
    const QByteArray trimmed = bytes.trimmed();
    if (trimmed.startsWith('[')) {
        const qsizetype close = trimmed.indexOf(']');
        if (close > 0) line.section = trimmed.mid(1, close - 1).trimmed().toLower();
        return line;
    }
    if (trimmed.startsWith(';') || trimmed.startsWith('#')) return line;
    const qsizetype equals = trimmed.indexOf('=');
    if (equals > 0) line.key = trimmed.left(equals).trimmed().toLower();
    return line;
}

bool IniFile::load(const QString &path) {
    m_lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QByteArray content = file.readAll();
    m_byteOrderMark = content.startsWith("\xEF\xBB\xBF");
    if (m_byteOrderMark) content.remove(0, 3);
    if (content.contains("\r\n")) m_newline = "\r\n";
    m_finalNewline = content.isEmpty() || content.endsWith('\n');
    QList<QByteArray> lines = content.split('\n');
    if (m_finalNewline && !lines.isEmpty()) lines.removeLast();
    for (QByteArray &bytes : lines) {
        if (bytes.endsWith('\r')) bytes.chop(1);
        m_lines.push_back(parse(bytes));
    }
    return true;
}

int IniFile::findSection(const QByteArray &section) const {
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].section.isEmpty() && m_lines[i].section == section) return static_cast<int>(i);
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const {
    int end = sectionLine + 1;
    while (end < static_cast<int>(m_lines.size()) && m_lines[static_cast<std::size_t>(end)].section.isEmpty())
        ++end;
    return end;
}

bool IniFile::hasSection(const QString &section) const {
    return findSection(section.trimmed().toUtf8().toLower()) >= 0;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const {
    const int start = findSection(section.trimmed().toUtf8().toLower());
    if (start < 0) return std::nullopt;
    const QByteArray wanted = key.trimmed().toUtf8().toLower();
    const int end = sectionEnd(start);
    for (int i = start + 1; i < end; ++i) {
        const Line &line = m_lines[static_cast<std::size_t>(i)];
        if (line.key == wanted) {
            const QByteArray &bytes = line.bytes;
            return QString::fromUtf8(bytes.mid(bytes.indexOf('=') + 1).trimmed());
        }
    }
    return std::nullopt;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value) {
    const QByteArray written = key.trimmed().toUtf8() + '=' + value.toUtf8();
    const QByteArray wanted = key.trimmed().toUtf8().toLower();
    int start = findSection(section.trimmed().toUtf8().toLower());
    if (start < 0) {
        m_lines.push_back(parse('[' + section.trimmed().toUtf8() + ']'));
        m_lines.push_back(parse(written));
        return;
    }
    const int end = sectionEnd(start);
    int lastContent = start;
    for (int i = start + 1; i < end; ++i) {
        Line &line = m_lines[static_cast<std::size_t>(i)];
        if (line.key == wanted) {
            line = parse(written);
            return;
        }
        if (!line.key.isEmpty()) lastContent = i;
    }
    // After the section's last key: blank lines and comments before the next section stay with it.
    m_lines.insert(m_lines.begin() + lastContent + 1, parse(written));
}

bool IniFile::save(const QString &path, QString *error) const {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("无法创建文件夹：") + QDir::toNativeSeparators(info.absolutePath());
        return false;
    }
    QByteArray content = m_byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        content += m_lines[i].bytes;
        if (i + 1 < m_lines.size() || m_finalNewline) content += m_newline;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        if (error) *error = QStringLiteral("无法写入文件：") + QDir::toNativeSeparators(path);
        return false;
    }
    return true;
}
