// Which folder holds the shop's data.mdb: the command line's --shop-folder, the default shop folder of
// the menu's start under XDG_DATA_HOME, or the working folder, and a clear message for a folder that
// cannot be used.
#include "accessories/aboutbox.h"
#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/shop.h"
#include "app/shopmaintenance.h"
#include "app/startup.h"
#include "tests/support/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {
// Sets (or, with nullptr, removes) an environment variable while it lives.
class EnvironmentValue {
  public:
    EnvironmentValue(const char *name, const QString *value)
        : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
        if (value)
            qputenv(name, value->toUtf8());
        else
            qunsetenv(name);
    }
    ~EnvironmentValue() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

  private:
    const char *m_name;
    QByteArray m_old;
    bool m_had;
};

// Works in a folder of the test's own while it lives.
class WorkingFolder {
  public:
    explicit WorkingFolder(const QString &path) : m_old(QDir::currentPath()) { QDir::setCurrent(path); }
    ~WorkingFolder() { QDir::setCurrent(m_old); }

  private:
    QString m_old;
};

TEST(CommandLine, TheShopFolderOptionWithAndWithoutAFolder) {
    const struct {
        QStringList arguments;
        std::optional<QString> folder;
        bool error;
    } cases[] = {
        {{}, std::nullopt, false},
        {{QStringLiteral("/afterupgrade0"), QStringLiteral("jsjxc_4.4_amd64.deb")}, std::nullopt, false},
        {{QStringLiteral("--shop-folder")}, QString(), false},
        {{QStringLiteral("--shop-folder=/srv/店")}, QStringLiteral("/srv/店"), false},
        {{QStringLiteral("--shop-folder=a b")}, QStringLiteral("a b"), false},
        {{QStringLiteral("--shop-folder=")}, std::nullopt, true},
        {{QStringLiteral("--shop-folderx=/a")}, std::nullopt, false},
        {{QStringLiteral("--shop-folder=/a"), QStringLiteral("--shop-folder=/b")},
         QStringLiteral("/b"),
         false},
    };
    for (const auto &c : cases) {
        const CommandLine line = parseCommandLine(c.arguments);
        const std::string shown = c.arguments.join(u' ').toStdString();
        EXPECT_EQ(line.shopFolder, c.folder) << shown;
        EXPECT_EQ(!line.error.isEmpty(), c.error) << shown;
    }
}

TEST(ShopFolder, ChosenByTheOptionAndXdgDataHome) {
    TestEnv env;
    const QString home = env.file(QStringLiteral("home"));
    const QString work = env.file(QStringLiteral("work"));
    const QString xdg = env.file(QStringLiteral("xdg data"));
    const QString named = env.file(QStringLiteral("named"));
    const QString closed = env.file(QStringLiteral("closed"));
    for (const QString &folder : {home, work, xdg, named, closed})
        ASSERT_TRUE(QDir().mkpath(folder));
    QFile::setPermissions(closed, QFile::ReadOwner | QFile::ExeOwner);
    QFile plain(env.file(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString relative = QStringLiteral("relative/data");
    const QString missing = env.file(QStringLiteral("missing"));
    const QString blockedXdg = env.file(QStringLiteral("plain/below"));

    const struct {
        std::optional<QString> option;
        const QString *xdgDataHome; // nullptr: not set
        QString folder;             // empty: refused with a message naming `named`
        const char *message;
    } cases[] = {
        {std::nullopt, &xdg, work, nullptr},                        // no option: the working folder
        {std::nullopt, nullptr, work, nullptr},                     //
        {QString(), &xdg, xdg + QStringLiteral("/jsjxc"), nullptr}, // the menu's start: made when missing
        {QString(), nullptr, home + QStringLiteral("/.local/share/jsjxc"), nullptr},
        {QString(), &relative, home + QStringLiteral("/.local/share/jsjxc"), nullptr}, // relative: ignored
        {named, &xdg, named, nullptr},
        {QStringLiteral("../named"), nullptr, named, nullptr}, // from the working folder
        {missing, nullptr, QString(), "不存在"},               // never made: a typing mistake
        {env.file(QStringLiteral("plain")), nullptr, QString(), "不是一个文件夹"},
        {closed, nullptr, QString(), "不能在数据文件夹"},
        {QString(), &blockedXdg, QString(), "无法建立数据文件夹"},
    };
    EnvironmentValue homeValue("HOME", &home);
    WorkingFolder inWork(work);
    for (const auto &c : cases) {
        EnvironmentValue xdgValue("XDG_DATA_HOME", c.xdgDataHome);
        const std::string shown =
            (c.option ? (c.option->isEmpty() ? QStringLiteral("--shop-folder") : *c.option)
                      : QStringLiteral("(none)"))
                .toStdString() +
            " XDG_DATA_HOME=" + (c.xdgDataHome ? c.xdgDataHome->toStdString() : "(unset)");
        QString error;
        const QString folder = chooseShopFolder(c.option, &error);
        EXPECT_EQ(folder, c.folder) << shown;
        if (c.message) {
            EXPECT_TRUE(error.contains(QString::fromUtf8(c.message))) << shown << ": " << error.toStdString();
            EXPECT_TRUE(error.endsWith(QStringLiteral("程序不能启动。")) ||
                        error.contains(QStringLiteral("程序不能启动。\n")))
                << error.toStdString();
        } else {
            EXPECT_TRUE(error.isEmpty()) << shown << ": " << error.toStdString();
            EXPECT_TRUE(QFileInfo(folder).isDir()) << shown;
        }
    }
    EXPECT_FALSE(QFileInfo::exists(missing)) << "a folder named by hand is never made";
    QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(ShopFolder, TheAboutBoxShowsTheShopFolderAndTheDatabaseWholeInsideItsFixedSize) {
    TestEnv env;
    MainWindow window(env.database());
    Shop *shop = new Shop(env.database(), window);
    AboutBox *about = shop->maintenance()->about();
    const QString folder =
        env.file(QStringLiteral("一个很长的数据文件夹名字/还有一层/再一层/还有更深的一层"));
    about->setShopPlaces(folder, folder + QStringLiteral("/data.mdb"));
    about->show();
    // Every line of the box keeps the height it needs: a fixed box that is too small squeezes them.
    for (QWidget *child : about->findChildren<QWidget *>()) {
        if (!child->isVisible()) continue;
        EXPECT_TRUE(about->rect().contains(child->geometry())) << child->objectName().toStdString();
        EXPECT_GE(child->height(), child->minimumSizeHint().height()) << child->objectName().toStdString();
    }
    EXPECT_EQ(about->shopFolderField()->text(), folder) << "the whole path, scrolled in its field";
    EXPECT_EQ(about->databaseField()->text(), folder + QStringLiteral("/data.mdb"));
    about->hide();
}
} // namespace
