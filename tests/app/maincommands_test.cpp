// The tool bar and the menus of the main window: names, captions, separators and what works already.
#include "app/maincommands.h"
#include "app/mainwindow.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "widgets/shell.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
struct Entry {
    const char *name; // nullptr: a separator
    const char *caption;
};
using Layout = std::vector<Entry>;
constexpr Entry Separator{nullptr, nullptr};

// "name caption" per entry, "-" for a separator, in the order shown.
QStringList describe(const QList<QAction *> &actions) {
    QStringList lines;
    for (const QAction *action : actions)
        lines << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + u' ' + action->text());
    return lines;
}

QStringList describe(const Layout &layout) {
    QStringList lines;
    for (const Entry &entry : layout)
        lines << (entry.name ? QString::fromUtf8(entry.name) + u' ' + QString::fromUtf8(entry.caption)
                             : QStringLiteral("-"));
    return lines;
}

const Layout ToolBar = {{"ToolButton7", "新建入库"},  {"ToolButton19", "销售明细"},
                        {"ToolButton2", "单据打印"},  {"ToolButton22", "汇总统计"},
                        {"ToolButton17", "数据备份"}, {"ToolButton18", "设 置"},
                        {"ToolButton1", "技术支持"}};
const Layout SettingsMenu = {{"N39", "打印设置"}, {"N15", "修改密码"}, {"N13", "用户管理"},
                             {"databaseConnection", "数据库连接…"}, Separator,
                             {"N38", "界面换肤"}, {"N33", "计算器"},   {"N29", "记事本"}};
const Layout SkinMenu = {{"N19", "黑色经典(皮肤)"},
                         {"N26", "蓝色幻想(皮肤)"},
                         {"N32", "梦幻天空(皮肤)"},
                         {"N42", "黑色遐想(皮肤)"},
                         {"N52", "梦想成真(皮肤)"}};
const Layout SupportMenu = {
    {"N34", "使用帮助"}, {"N28", "软件升级"}, {"N21", "官方网站"}, {"N30", "关于..."}};
const Layout GoodsListMenu = {{"N20", "新建入库"},
                              {"N2", "修 改"},
                              {"N3", "删 除"},
                              {"N8", "全部记录"},
                              Separator,
                              {"EXCEL1", "导出Excel"},
                              {"N16", "打 印"},
                              {"N27", "销售明细"},
                              {"N11", "汇总统计"},
                              Separator,
                              {"N18", "隐藏列"},
                              {"N17", "读取列宽"},
                              {"N37", "保存当前列宽"},
                              Separator,
                              {"N22", "销售单(小票)打印"},
                              {"N23", "打印设置"}};
const Layout ColumnMenu = {{"N5", "隐藏进货单价"}, {"N31", "隐藏销售单价"}, {"N6", "隐藏金额"},
                           {"N9", "隐藏日期"},     {"N10", "隐藏供货商"},   {"N7", "隐藏备注信息"}};

class MainCommandsTest : public ::testing::Test {
  protected:
    TestEnv env;
    MainWindow window{env.database()};
    MainCommands &commands = window.commands();

    QAction *command(const char *name) const { return window.command(QString::fromUtf8(name)); }
};

TEST_F(MainCommandsTest, EveryCommandHasItsNameCaptionAndPlace) {
    const struct {
        const char *what;
        QList<QAction *> actions;
        const Layout &expected;
    } menus[] = {
        {"tool bar", commands.toolBar()->actions(), ToolBar},
        {"设 置", commands.settingsMenu()->actions(), SettingsMenu},
        {"界面换肤", commands.skinMenu()->actions(), SkinMenu},
        {"技术支持", commands.supportMenu()->actions(), SupportMenu},
        {"goods list", commands.goodsListMenu()->actions(), GoodsListMenu},
        {"隐藏列", commands.columnMenu()->actions(), ColumnMenu},
    };
    for (const auto &menu : menus)
        EXPECT_EQ(describe(menu.actions), describe(menu.expected)) << menu.what;

    EXPECT_EQ(command("N38")->menu(), commands.skinMenu());
    EXPECT_EQ(command("N18")->menu(), commands.columnMenu());
    EXPECT_EQ(command("ToolButton18")->menu(), commands.settingsMenu());
    EXPECT_EQ(command("ToolButton1")->menu(), commands.supportMenu());
    EXPECT_FALSE(command("N17")->isVisible()) << "run by the login only";
    for (const Entry &item : ColumnMenu)
        EXPECT_TRUE(window.command(QString::fromUtf8(item.name))->isCheckable()) << item.name;
}

TEST_F(MainCommandsTest, ToolButtonsCarryTheirNames) {
    for (const Entry &entry : ToolBar) {
        const QString name = QString::fromUtf8(entry.name);
        auto *button = window.findChild<QToolButton *>(name);
        ASSERT_NE(button, nullptr) << entry.name;
        EXPECT_EQ(button->defaultAction(), window.command(name));
        EXPECT_EQ(button->text(), QString::fromUtf8(entry.caption));
    }
    EXPECT_EQ(window.findChild<QToolButton *>(QStringLiteral("ToolButton18"))->popupMode(),
              QToolButton::InstantPopup);
}

TEST_F(MainCommandsTest, OnlyWhatWorksIsEnabled) {
    const QStringList working = {QStringLiteral("ToolButton18"), QStringLiteral("ToolButton1"),
                                 QStringLiteral("N21"), QStringLiteral("N33"), QStringLiteral("N29")};
    for (const QString &name : commands.names())
        EXPECT_EQ(window.command(name)->isEnabled(), working.contains(name)) << name.toStdString();
}

TEST_F(MainCommandsTest, WiringACommandEnablesItAndItsSubmenu) {
    int runs = 0;
    window.wireCommand(QStringLiteral("N52"), &window, [&] { ++runs; });
    EXPECT_TRUE(command("N52")->isEnabled());
    EXPECT_TRUE(command("N38")->isEnabled());
    EXPECT_FALSE(command("N19")->isEnabled());
    command("N52")->trigger();
    EXPECT_EQ(runs, 1);

    window.wireCommand(QStringLiteral("ToolButton7"), &window, [&] { runs += 10; });
    EXPECT_TRUE(window.findChild<QToolButton *>(QStringLiteral("ToolButton7"))->isEnabled());
    QTest::mouseClick(window.findChild<QToolButton *>(QStringLiteral("ToolButton7")), Qt::LeftButton);
    EXPECT_EQ(runs, 11);
}

TEST_F(MainCommandsTest, OfficialSiteOpensTheAddressShownInTheStatusBar) {
    RecordingShell shell;
    command("N21")->trigger();
    EXPECT_EQ(shell.urls, QStringList{QStringLiteral("http://www.jiasuisoft.cn")});
}

// The calculator and the editor are the first of the desktop's programs on the PATH; without any, a
// message says so and nothing starts.
TEST_F(MainCommandsTest, CalculatorAndEditorStartTheFirstProgramFound) {
    RecordingShell shell;
    const QByteArray oldPath = qgetenv("PATH");
    const QString bin = env.file(QStringLiteral("bin"));
    QDir().mkpath(bin);
    for (const char *name : {"kcalc", "xcalc", "mousepad"}) {
        QFile program(bin + QLatin1Char('/') + QString::fromLatin1(name));
        ASSERT_TRUE(program.open(QIODevice::WriteOnly));
        program.write("#!/bin/sh\n");
        program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("PATH", bin.toLocal8Bit());
    command("N33")->trigger();
    command("N29")->trigger();
    EXPECT_EQ(shell.programs,
              QStringList({bin + QStringLiteral("/kcalc"), bin + QStringLiteral("/mousepad")}));

    qputenv("PATH", env.dir().toLocal8Bit());
    command("N33")->trigger();
    qputenv("PATH", oldPath);
    EXPECT_EQ(shell.programs.size(), 2);
    ASSERT_EQ(env.dialogs().shown().size(), 1u);
    EXPECT_EQ(env.dialogs().shown().front().text, QString::fromUtf8("没有找到可以启动的计算器程序。"));
}

TEST_F(MainCommandsTest, TheGoodsListOpensTheGoodsListMenu) {
    auto *list = new QTableView;
    window.setGoodsList(list);
    window.show();
    EXPECT_TRUE(window.goodsListArea()->isAncestorOf(list));
    emit list->customContextMenuRequested(QPoint(10, 10));
    EXPECT_TRUE(commands.goodsListMenu()->isVisible());
    commands.goodsListMenu()->close();
}
} // namespace
