#pragma once
// Everything that reaches outside the program: web addresses, files opened with their program,
// other programs started, the desktop launcher. Tests install a recording one.
#include <QString>
#include <QStringList>

class Shell {
  public:
    virtual ~Shell() = default;
    virtual bool openUrl(const QString &url) = 0;
    virtual bool openFile(const QString &path) = 0;
    // Starts a program detached, without waiting for it.
    virtual bool startProgram(const QString &program, const QStringList &arguments = {}) = 0;
    // Writes a text file (a desktop launcher, say), replacing it. False on failure.
    virtual bool writeFile(const QString &path, const QByteArray &content) = 0;

    static Shell &instance();
    static void install(Shell *shell); // not owned; nullptr returns to the system one
};

class SystemShell : public Shell {
  public:
    bool openUrl(const QString &url) override;
    bool openFile(const QString &path) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    bool writeFile(const QString &path, const QByteArray &content) override;
};
