#include "app/maincommands.h"

#include <QAction>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {
QString text(const char *utf8) {
    return QString::fromUtf8(utf8);
}
} // namespace

MainCommands::MainCommands(QWidget *owner) : QObject(owner) {
    buildSettingsMenu(owner);
    buildSupportMenu(owner);
    buildToolBar(owner);
    buildGoodsListMenu(owner);
}

QAction *MainCommands::add(QWidget *owner, const char *name, const char *caption) {
    auto *action = new QAction(text(caption), owner);
    action->setObjectName(text(name));
    action->setEnabled(false);
    m_commands.insert(action->objectName(), action);
    return action;
}

// Items in order; a null name stands for a separator.
void MainCommands::fill(QMenu *menu, std::initializer_list<std::pair<const char *, const char *>> items) {
    for (const auto &[name, caption] : items) {
        if (name)
            menu->addAction(add(menu, name, caption));
        else
            menu->addSeparator();
    }
}

QMenu *MainCommands::addSubmenu(QMenu *into, const char *name, const char *caption, const char *menuName) {
    auto *submenu = new QMenu(text(caption), into);
    submenu->setObjectName(text(menuName));
    QAction *holder = submenu->menuAction();
    holder->setObjectName(text(name));
    holder->setEnabled(false);
    m_commands.insert(holder->objectName(), holder);
    into->addMenu(submenu);
    return submenu;
}

void MainCommands::buildSettingsMenu(QWidget *owner) {
    m_settingsMenu = new QMenu(text("设 置"), owner);
    m_settingsMenu->setObjectName(QStringLiteral("settingsMenu"));
    fill(m_settingsMenu, {{"N39", "打印设置"},
                          {"N15", "修改密码"},
                          {"N13", "用户管理"},
                          {"databaseConnection", "数据库连接…"},
                          {nullptr, nullptr}});
    m_skinMenu = addSubmenu(m_settingsMenu, "N38", "界面换肤", "skinMenu");
    fill(m_skinMenu, {{"N19", "黑色经典(皮肤)"},
                      {"N26", "蓝色幻想(皮肤)"},
                      {"N32", "梦幻天空(皮肤)"},
                      {"N42", "黑色遐想(皮肤)"},
                      {"N52", "梦想成真(皮肤)"}});
    fill(m_settingsMenu, {{"N33", "计算器"}, {"N29", "记事本"}});
}

void MainCommands::buildSupportMenu(QWidget *owner) {
    m_supportMenu = new QMenu(text("技术支持"), owner);
    m_supportMenu->setObjectName(QStringLiteral("supportMenu"));
    fill(m_supportMenu, {{"N34", "使用帮助"}, {"N28", "软件升级"}, {"N21", "官方网站"}, {"N30", "关于..."}});
}

void MainCommands::buildToolBar(QWidget *owner) {
    m_toolBar = new QToolBar(owner);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolBar->setIconSize(QSize(24, 24));
    const QStyle *style = owner->style();
    const std::initializer_list<std::tuple<const char *, const char *, QStyle::StandardPixmap>> buttons = {
        {"ToolButton7", "新建入库", QStyle::SP_FileDialogNewFolder},
        {"ToolButton19", "销售明细", QStyle::SP_FileDialogDetailedView},
        {"ToolButton2", "单据打印", QStyle::SP_FileDialogContentsView},
        {"ToolButton22", "汇总统计", QStyle::SP_FileDialogInfoView},
        {"ToolButton17", "数据备份", QStyle::SP_DriveHDIcon},
        {"ToolButton18", "设 置", QStyle::SP_ComputerIcon},
        {"ToolButton1", "技术支持", QStyle::SP_MessageBoxQuestion},
    };
    for (const auto &[name, caption, icon] : buttons) {
        QAction *action = add(owner, name, caption);
        action->setIcon(style->standardIcon(icon));
        m_toolBar->addAction(action);
        m_toolBar->widgetForAction(action)->setObjectName(action->objectName());
    }
    // The last two buttons only drop their menus down; they work from the start.
    const std::pair<const char *, QMenu *> dropDowns[] = {{"ToolButton18", m_settingsMenu},
                                                          {"ToolButton1", m_supportMenu}};
    for (const auto &[name, menu] : dropDowns) {
        QAction *action = command(text(name));
        action->setMenu(menu);
        action->setEnabled(true);
        if (auto *button = qobject_cast<QToolButton *>(m_toolBar->widgetForAction(action)))
            button->setPopupMode(QToolButton::InstantPopup);
    }
}

void MainCommands::buildGoodsListMenu(QWidget *owner) {
    m_goodsListMenu = new QMenu(owner);
    m_goodsListMenu->setObjectName(QStringLiteral("goodsListMenu"));
    fill(m_goodsListMenu, {{"N20", "新建入库"},
                           {"N2", "修 改"},
                           {"N3", "删 除"},
                           {"N8", "全部记录"},
                           {nullptr, nullptr},
                           {"EXCEL1", "导出Excel"},
                           {"N16", "打 印"},
                           {"N27", "销售明细"},
                           {"N11", "汇总统计"},
                           {nullptr, nullptr}});
    m_columnMenu = addSubmenu(m_goodsListMenu, "N18", "隐藏列", "columnMenu");
    fill(m_columnMenu, {{"N5", "隐藏进货单价"},
                        {"N31", "隐藏销售单价"},
                        {"N6", "隐藏金额"},
                        {"N9", "隐藏日期"},
                        {"N10", "隐藏供货商"},
                        {"N7", "隐藏备注信息"}});
    for (QAction *item : m_columnMenu->actions())
        item->setCheckable(true);
    fill(m_goodsListMenu, {{"N17", "读取列宽"},
                           {"N37", "保存当前列宽"},
                           {nullptr, nullptr},
                           {"N22", "销售单(小票)打印"},
                           {"N23", "打印设置"}});
    // Restoring the layout is run by the login, never chosen by the user.
    command(QStringLiteral("N17"))->setVisible(false);
}

void MainCommands::wire(const QString &name, const QObject *context, std::function<void()> handler) {
    QAction *action = command(name);
    Q_ASSERT_X(action, "MainCommands::wire", "unknown command");
    if (!action) return;
    action->setEnabled(true);
    const auto holders = action->associatedObjects();
    for (QObject *holder : holders) {
        if (auto *menu = qobject_cast<QMenu *>(holder)) menu->menuAction()->setEnabled(true);
    }
    connect(action, &QAction::triggered, context, [handler = std::move(handler)] { handler(); });
}
