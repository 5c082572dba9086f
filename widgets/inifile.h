#pragma once
// A small INI file editor that leaves every line it does not change byte for byte as it was: section
// and key names are matched without regard to case, keys are written literally ("(Default)",
// "DBGrid1.day1") and values unquoted, as the layout file needs.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class IniFile {
  public:
    // Reads the file; false when it does not exist or cannot be read (the editor is then empty).
    bool load(const QString &path);
    bool hasSection(const QString &section) const;
    // The value of a key, blanks around it removed; nothing when the section or key is absent.
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Replaces the key's value in place or adds the key at the end of its section (the section at
    // the end of the file).
    void setValue(const QString &section, const QString &key, const QString &value);
    // Writes the whole file at once (a failed write leaves the old file); creates its folder.
    bool save(const QString &path, QString *error = nullptr) const;

  private:
    struct Line {
        QByteArray bytes;   // without the line ending
        QByteArray section; // for a section line: its name, lower case
        QByteArray key;     // for a key line: its name, lower case
    };
    // Index of the section line, or -1.
    int findSection(const QByteArray &section) const;
    // One past the last line that belongs to the section starting at sectionLine.
    int sectionEnd(int sectionLine) const;
    static Line parse(const QByteArray &bytes);

    std::vector<Line> m_lines;
    QByteArray m_newline = "\n";
    bool m_finalNewline = true;
    bool m_byteOrderMark = false;
};
