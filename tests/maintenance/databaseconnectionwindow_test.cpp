// "数据库连接": filled from the setting and the password file, "测试连接" on a connection of its own,
// "确定" writing the two places or nothing.
#include "maintenance/databaseconnectionwindow.h"
#include "store/settingsstore.h"
#include "tests/maintenance/ownserver.h"
#include "tests/support/testenv.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
QString u(const char *utf8) {
    return QString::fromUtf8(utf8);
}

class DatabaseConnectionWindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<DatabaseConnectionWindow>
    open(DatabaseConnectionWindow::Use use = DatabaseConnectionWindow::Use::Settings) {
        auto window = std::make_unique<DatabaseConnectionWindow>(store().read(QStringLiteral("database")),
                                                                 use, nullptr, passwordFile);
        window->show();
        return window;
    }
    static QLineEdit *edit(QWidget *window, const char *name) {
        return window->findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    static void press(QWidget *window, const char *name) {
        QTest::mouseClick(window->findChild<QPushButton *>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    static void type(QWidget *window, const char *name, const QString &text) {
        QLineEdit *field = edit(window, name);
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    static SettingsStore &store() { return SettingsStore::instance(); }
    QByteArray passwordFileBytes() const {
        QFile file(passwordFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestEnv env;
    const QString passwordFile = env.file(QStringLiteral("pgpass"));
};
} // namespace

TEST_F(DatabaseConnectionWindowTest, OpeningFillsTheFieldsFromTheSettingAndThePasswordFile) {
    ASSERT_TRUE(store().write(QStringLiteral("database"),
                              u("host=shop-server port=6543 dbname='嘉穗 门店' user=kasse")));
    ASSERT_TRUE(pgpass::store(passwordFile, {u("shop-server"), u("6543"), u("嘉穗 门店"), u("kasse")},
                              u("s:e"), nullptr));
    auto window = open();
    EXPECT_EQ(window->objectName(), QStringLiteral("databaseConnectionWindow"));
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("kindBox"))->currentText(), u("数据库服务器"));
    EXPECT_EQ(edit(window.get(), "hostEdit")->text(), u("shop-server"));
    EXPECT_EQ(edit(window.get(), "portEdit")->text(), u("6543"));
    EXPECT_EQ(edit(window.get(), "databaseEdit")->text(), u("嘉穗 门店"));
    EXPECT_EQ(edit(window.get(), "userEdit")->text(), u("kasse"));
    EXPECT_EQ(edit(window.get(), "passwordEdit")->text(), u("s:e"));
    EXPECT_EQ(edit(window.get(), "passwordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(window->findChild<QLabel *>(QStringLiteral("noticeLabel"))->isVisible());

    // data.mdb: the server's fields are closed, the port offers the usual one.
    ASSERT_TRUE(store().write(QStringLiteral("database"), QString()));
    window = open();
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("kindBox"))->currentIndex(), 0);
    EXPECT_FALSE(edit(window.get(), "hostEdit")->isEnabled());
    EXPECT_FALSE(window->findChild<QPushButton *>(QStringLiteral("testButton"))->isEnabled());
    EXPECT_EQ(edit(window.get(), "portEdit")->text(), u("5432"));
}

TEST_F(DatabaseConnectionWindowTest, AnUnreadableSettingAndAnOpenPasswordFileAreShown) {
    ASSERT_TRUE(store().write(QStringLiteral("database"), u("host='shop")));
    {
        QFile file(passwordFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("other:5432:shop:kasse:pw\n");
    }
    ::chmod(QFile::encodeName(passwordFile).constData(), 0644);
    auto window = open();
    auto *notice = window->findChild<QLabel *>(QStringLiteral("noticeLabel"));
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(u("无法识别"))) << notice->text().toStdString();
    EXPECT_TRUE(notice->text().contains(u("其他用户也能读写"))) << notice->text().toStdString();
    EXPECT_EQ(store().read(QStringLiteral("database")), u("host='shop")) << "kept until replaced";
}

TEST_F(DatabaseConnectionWindowTest, OkWritesTheStringAndThePasswordApartAndTellsWhenItCounts) {
    auto window = open();
    window->findChild<QComboBox *>(QStringLiteral("kindBox"))->setCurrentIndex(1);
    type(window.get(), "hostEdit", u("192.168.1.10"));
    type(window.get(), "databaseEdit", u("my shop"));
    type(window.get(), "userEdit", u("kasse"));
    type(window.get(), "passwordEdit", u("geheim"));
    press(window.get(), "okButton");

    EXPECT_EQ(store().read(QStringLiteral("database")),
              u("host=192.168.1.10 port=5432 dbname='my shop' user=kasse"));
    EXPECT_EQ(passwordFileBytes(), QByteArray("192.168.1.10:5432:my shop:kasse:geheim\n"));
    EXPECT_EQ(env.dialogs().texts(), QStringList{u("数据库连接已保存，下次启动程序时生效。")});
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(DatabaseConnectionWindowTest, FieldsThatCannotBeUsedKeepTheWindowOpenAndWriteNothing) {
    ASSERT_TRUE(store().write(QStringLiteral("database"), u("host=old dbname=shop")));
    auto window = open();
    type(window.get(), "portEdit", u("54x"));
    type(window.get(), "passwordEdit", u("geheim"));
    press(window.get(), "okButton");
    EXPECT_EQ(env.dialogs().texts(), QStringList{u("端口必须是 1 到 65535 之间的整数！")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(store().read(QStringLiteral("database")), u("host=old dbname=shop"));
    EXPECT_FALSE(QFile::exists(passwordFile));

    press(window.get(), "cancelButton");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(store().read(QStringLiteral("database")), u("host=old dbname=shop"));
}

TEST_F(DatabaseConnectionWindowTest, TestConnectionSaysWhyItFailedAndWritesNothing) {
    // Port 1 on this computer: refused at once.
    ASSERT_TRUE(store().write(QStringLiteral("database"), u("host=127.0.0.1 port=1 dbname=shop user=kasse")));
    auto window = open();
    press(window.get(), "testButton");
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    const auto &said = env.dialogs().shown()[0];
    EXPECT_EQ(said.kind, Dialogs::Kind::Error);
    EXPECT_TRUE(said.text.startsWith(u("无法连接数据库服务器“127.0.0.1:1/shop”。\n服务器的回答：")))
        << said.text.toStdString();
    EXPECT_FALSE(said.text.section(u("服务器的回答："), 1).trimmed().isEmpty()) << "libpq's reason";
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(QFile::exists(passwordFile));
}

TEST_F(DatabaseConnectionWindowTest, TestConnectionReachesTheServerAndNamesItsVersion) {
    QString problem;
    const QString server = reachableServer(&problem);
    if (server.isEmpty()) GTEST_SKIP() << "no server: " << problem.toStdString();
    ASSERT_TRUE(store().write(QStringLiteral("database"), server));
    auto window = open();
    press(window.get(), "testButton");
    ASSERT_EQ(env.dialogs().shown().size(), 1u) << env.dialogs().lastText().toStdString();
    const auto &said = env.dialogs().shown()[0];
    EXPECT_EQ(said.kind, Dialogs::Kind::Information);
    EXPECT_TRUE(said.text.startsWith(u("连接成功。"))) << said.text.toStdString();
    EXPECT_TRUE(said.text.contains(QRegularExpression(QStringLiteral("PostgreSQL \\d+\\.\\d+"))))
        << said.text.toStdString();
    EXPECT_EQ(store().read(QStringLiteral("database")), server) << "a test changes nothing";

    // The same server under a database it does not have: the server's own reason.
    edit(window.get(), "databaseEdit")->setText(u("jsjxc_没有这个库")); // typed through an input method
    press(window.get(), "testButton");
    EXPECT_TRUE(env.dialogs().lastText().section(u("服务器的回答："), 1).contains(u("jsjxc_没有这个库")))
        << env.dialogs().lastText().toStdString();
    EXPECT_EQ(env.dialogs().shown().back().kind, Dialogs::Kind::Error);
}
