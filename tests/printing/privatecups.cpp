#include "tests/printing/privatecups.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>
#include <cstring>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const char *const DriverFiles[] = {"/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd",
                                   "/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd"};

bool writeText(const QString &path, const QString &text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(text.toUtf8()) >= 0 && file.flush();
}

// Whether something accepts connections on the Unix socket.
bool listening(const QString &path) {
    const QByteArray name = path.toLocal8Bit();
    sockaddr_un address{};
    if (name.size() >= qsizetype(sizeof(address.sun_path))) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    close(fd);
    return connected;
}

QString driverFile() {
    for (const char *path : DriverFiles)
        if (QFile::exists(QString::fromLatin1(path))) return QString::fromLatin1(path);
    return {};
}
} // namespace

PrivateCups::PrivateCups() = default;

PrivateCups::~PrivateCups() {
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000)) m_cupsd.kill();
        m_cupsd.waitForFinished(5000);
    }
    restoreEnvironment();
}

bool PrivateCups::writeConfiguration(QString *why) {
    const QString root = m_dir.path();
    for (const char *sub : {"spool/tmp", "cache", "state", "log", "ppd"})
        if (!QDir(root).mkpath(QString::fromLatin1(sub))) {
            *why = QStringLiteral("cannot make the scheduler's folders");
            return false;
        }
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        // The filters run as an unprivileged user and must reach the spooled document.
        QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                        QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                        QFile::ExeOther);
    }
    QString files = QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/spool/tmp\n"
                                   "CacheDir %1/cache\nStateDir %1/state\nErrorLog %1/log/error_log\n"
                                   "AccessLog %1/log/access_log\nPageLog %1/log/page_log\n"
                                   "Printcap %1/printcap\nFileDevice Yes\n")
                        .arg(root);
    // As root the scheduler runs its filters as "lp", or as nobody where there is no such user.
    if (asRoot && !getpwnam("lp")) files += QStringLiteral("User nobody\nGroup nogroup\n");
    const QString scheduler = QStringLiteral("Listen %1\nLogLevel info\nDefaultAuthType None\n"
                                             "PreserveJobFiles Yes\nPreserveJobHistory Yes\n"
                                             "Browsing No\nWebInterface No\n"
                                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                             "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                                             "    Allow all\n  </Limit>\n</Policy>\n")
                                  .arg(socketPath());
    const QString printers = QStringLiteral("<DefaultPrinter Receipt>\nInfo receipt printer\n"
                                            "DeviceURI file:///dev/null\nState Idle\nAccepting Yes\n"
                                            "Shared No\n</DefaultPrinter>\n");
    const QString driver = driverFile();
    if (!writeText(root + QStringLiteral("/cups-files.conf"), files) ||
        !writeText(root + QStringLiteral("/cupsd.conf"), scheduler) ||
        !writeText(root + QStringLiteral("/printers.conf"), printers) ||
        (!driver.isEmpty() && !QFile::copy(driver, root + QStringLiteral("/ppd/Receipt.ppd")))) {
        *why = QStringLiteral("cannot write the scheduler's configuration");
        return false;
    }
    return true;
}

QString PrivateCups::start() {
    if (!m_dir.isValid()) return QStringLiteral("no temporary folder");
    const QString cupsd = QStandardPaths::findExecutable(
        QStringLiteral("cupsd"),
        {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"), QStringLiteral("/sbin")});
    if (cupsd.isEmpty()) return QStringLiteral("cupsd is not installed (Debian package cups)");
    QString why;
    if (!writeConfiguration(&why)) return why;

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(cupsd,
                  {QStringLiteral("-f"), QStringLiteral("-c"), m_dir.filePath(QStringLiteral("cupsd.conf")),
                   QStringLiteral("-s"), m_dir.filePath(QStringLiteral("cups-files.conf"))});
    if (!m_cupsd.waitForStarted(10000))
        return QStringLiteral("cupsd did not start: ") + m_cupsd.errorString();
    for (int waited = 0; waited < 20000; waited += 50) {
        if (m_cupsd.state() == QProcess::NotRunning)
            return QStringLiteral("cupsd ended at once: ") + QString::fromLocal8Bit(m_cupsd.readAll()) +
                   log();
        if (listening(socketPath())) {
            // Every CUPS client of this process (Qt's printing among them) asks this scheduler, and
            // neither a user's nor the system's choice of printer gets in the way.
            const auto set = [this](const char *name, std::optional<QByteArray> value) {
                m_savedEnvironment.append({QByteArray(name), qEnvironmentVariableIsSet(name)
                                                                 ? std::optional(qgetenv(name))
                                                                 : std::nullopt});
                if (value)
                    qputenv(name, *value);
                else
                    qunsetenv(name);
            };
            set("CUPS_SERVER", socketPath().toLocal8Bit());
            set("HOME", m_dir.path().toLocal8Bit());
            set("LPDEST", std::nullopt);
            set("PRINTER", std::nullopt);
            return {};
        }
        QTest::qWait(50);
    }
    return QStringLiteral("cupsd did not listen on its socket: ") + log();
}

void PrivateCups::restoreEnvironment() {
    for (const auto &[name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
    m_savedEnvironment.clear();
}

QStringList PrivateCups::jobDocuments() const {
    const QDir spool(m_dir.filePath(QStringLiteral("spool")));
    QStringList paths;
    for (const QString &name : spool.entryList({QStringLiteral("d*")}, QDir::Files, QDir::Name))
        paths << spool.filePath(name);
    return paths;
}

int PrivateCups::jobCount() const {
    // The control files are written when the scheduler gets round to it; the log says at once.
    return static_cast<int>(log().count(QStringLiteral("] Queued on ")));
}

bool PrivateCups::waitForCompletedJobs(int jobs, int timeoutMs) const {
    for (int waited = 0; waited <= timeoutMs; waited += 100) {
        if (log().count(QStringLiteral("Job completed.")) >= jobs) return true;
        QTest::qWait(100);
    }
    return false;
}

QString PrivateCups::log() const {
    QFile file(m_dir.filePath(QStringLiteral("log/error_log")));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(file.readAll());
}
