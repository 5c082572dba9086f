#pragma once
// Everything that reaches outside the program: web addresses, files opened with their program,
// other programs started, the desktop launcher, files copied. Tests install a recording one.
#include <QString>
#include <QStringList>

class QWidget;

class Shell {
  public:
    virtual ~Shell() = default;
    virtual bool openUrl(const QString &url) = 0;
    virtual bool openFile(const QString &path) = 0;
    // Starts a program detached, without waiting for it.
    virtual bool startProgram(const QString &program, const QStringList &arguments = {}) = 0;
    // Writes a text file (a desktop launcher, say), replacing it. False on failure.
    virtual bool writeFile(const QString &path, const QByteArray &content) = 0;

    enum class CopyResult { Copied, Declined, Failed };
    // Copies one file to one target name. An existing target is replaced only after the user agreed
    // (asked through Dialogs over `parent`); the copy never leaves a half-written target.
    virtual CopyResult copyFile(QWidget *parent, const QString &source, const QString &target) = 0;

    static Shell &instance();
    static void install(Shell *shell); // not owned; nullptr returns to the system one
};

class SystemShell : public Shell {
  public:
    bool openUrl(const QString &url) override;
    bool openFile(const QString &path) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    bool writeFile(const QString &path, const QByteArray &content) override;
    CopyResult copyFile(QWidget *parent, const QString &source, const QString &target) override;
};

// Copies a file through a temporary file in the target's folder, flushed to disk and then renamed over
// the target, so that the target name holds either the old file or the whole new one, even after a
// power cut. No question asked; false (with the reason in *error) when it could not.
bool copyFileDurably(const QString &source, const QString &target, QString *error = nullptr);
// Puts a folder's entries (a file just renamed into it) on disk.
void syncFolderToDisk(const QString &folder);
