#pragma once
// The per-user settings key: string values, "yes"/"no" flags, absent and empty read alike.
// Kept in an INI file under the user's configuration folder; the grid layout file sits beside it.
#include <QString>
#include <optional>

class SettingsStore {
  public:
    // The store of this user: <config>/tuomei/vov.ini, layout file <config>/tuomei/jsjxc.ini.
    static SettingsStore &instance();
    // Tests (and the smoke test through XDG_CONFIG_HOME) point the store elsewhere.
    static void setInstancePath(const QString &iniPath);
    static QString defaultPath();

    explicit SettingsStore(QString iniPath);

    // Whether the key exists at all: a reader of a missing key reads nothing and keeps every default.
    bool exists() const;
    // A missing value reads as empty text. Never creates the key.
    QString read(const QString &name) const;
    // Creates the key when needed. False (with the reason in *error) when the file cannot be written.
    bool write(const QString &name, const QString &value, QString *error = nullptr);
    // A value that must be a whole number; anything else counts as absent.
    std::optional<qlonglong> readWholeNumber(const QString &name) const;

    QString path() const { return m_path; }
    // "jsjxc.ini" beside the settings file.
    QString layoutPath() const;

  private:
    QString m_path;
};
