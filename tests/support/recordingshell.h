#pragma once
// A Shell that remembers what the program wanted written, opened or started, and touches nothing
// outside the test.
#include "widgets/shell.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <vector>

class RecordingShell : public Shell {
  public:
    struct Written {
        QString path;
        QByteArray content;
    };

    RecordingShell() { Shell::install(this); }
    ~RecordingShell() override { Shell::install(nullptr); }

    bool openUrl(const QString &url) override {
        urls << url;
        return true;
    }
    bool openFile(const QString &) override { return true; }
    bool startProgram(const QString &program, const QStringList &) override {
        programs << program;
        return true;
    }
    bool writeFile(const QString &path, const QByteArray &content) override {
        if (refuseWrites) return false;
        written.push_back({path, content});
        return true;
    }

    // Copies are recorded and then made for real (tests copy inside their own folder), with the
    // replace question through the scripted dialogs; refuseCopies fails them without touching a file.
    CopyResult copyFile(QWidget *parent, const QString &source, const QString &target) override {
        copies.push_back({source, target});
        if (refuseCopies) return CopyResult::Failed;
        return SystemShell().copyFile(parent, source, target);
    }

    // Writes to this path only.
    std::vector<Written> writtenTo(const QString &path) const {
        std::vector<Written> matching;
        for (const auto &file : written)
            if (QDir::cleanPath(file.path) == QDir::cleanPath(path)) matching.push_back(file);
        return matching;
    }

    struct Copy {
        QString source;
        QString target;
    };

    bool refuseWrites = false;
    bool refuseCopies = false;
    std::vector<Written> written;
    std::vector<Copy> copies;
    QStringList urls;
    QStringList programs;
};

// Points the XDG user directories at a desktop folder inside the test's folder while it lives.
class DesktopFolder {
  public:
    explicit DesktopFolder(const QString &testDir, bool create = true)
        : m_oldConfigHome(qgetenv("XDG_CONFIG_HOME")),
          m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        const QString config = testDir + QStringLiteral("/xdg-config");
        m_path = testDir + QString::fromUtf8("/桌面");
        QDir().mkpath(config);
        if (create) QDir().mkpath(m_path);
        QFile dirs(config + QStringLiteral("/user-dirs.dirs"));
        if (dirs.open(QIODevice::WriteOnly)) dirs.write("XDG_DESKTOP_DIR=\"" + m_path.toUtf8() + "\"\n");
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
    }
    ~DesktopFolder() {
        if (m_hadConfigHome)
            qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    QString path() const { return m_path; }
    QString launcherPath() const { return m_path + QString::fromUtf8("/嘉穗进销存.desktop"); }

  private:
    QByteArray m_oldConfigHome;
    bool m_hadConfigHome;
    QString m_path;
};
