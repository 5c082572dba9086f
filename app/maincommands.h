#pragma once
// The tool bar and the menus of the main window, every command under its fixed name. A command whose
// window is not part of the program yet stays disabled until the code that owns that window wires it.
#include <QHash>
#include <QObject>
#include <functional>

class QAction;
class QMenu;
class QToolBar;
class QWidget;

class MainCommands : public QObject {
    Q_OBJECT
  public:
    // The tool bar and menus become children of `owner`.
    explicit MainCommands(QWidget *owner);

    QToolBar *toolBar() const { return m_toolBar; }
    QMenu *settingsMenu() const { return m_settingsMenu; }   // "设 置"
    QMenu *supportMenu() const { return m_supportMenu; }     // "技术支持"
    QMenu *goodsListMenu() const { return m_goodsListMenu; } // context menu of the goods list
    QMenu *skinMenu() const { return m_skinMenu; }           // "界面换肤"
    QMenu *columnMenu() const { return m_columnMenu; }       // "隐藏列"

    // The command with that name (a tool button's or a menu item's), nullptr for an unknown name.
    QAction *command(const QString &name) const { return m_commands.value(name); }
    QStringList names() const { return m_commands.keys(); }
    // Enables the command (and the submenu holding it) and runs `handler` on each trigger while
    // `context` lives.
    void wire(const QString &name, const QObject *context, std::function<void()> handler);

  private:
    QAction *add(QWidget *owner, const char *name, const char *caption);
    QMenu *addSubmenu(QMenu *into, const char *name, const char *caption, const char *menuName);
    void fill(QMenu *menu, std::initializer_list<std::pair<const char *, const char *>> items);
    void buildToolBar(QWidget *owner);
    void buildSettingsMenu(QWidget *owner);
    void buildSupportMenu(QWidget *owner);
    void buildGoodsListMenu(QWidget *owner);

    QHash<QString, QAction *> m_commands;
    QToolBar *m_toolBar = nullptr;
    QMenu *m_settingsMenu = nullptr;
    QMenu *m_supportMenu = nullptr;
    QMenu *m_goodsListMenu = nullptr;
    QMenu *m_skinMenu = nullptr;
    QMenu *m_columnMenu = nullptr;
};
