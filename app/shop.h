#pragma once
// The program's windows put together: the goods list, the stock-in panel, the sale panel, the ticket
// view, the view preferences, the login and the user windows placed into the main window, its commands wired
// to them, and the signals of one window led to the others (a login restricts the windows, a saved sale
// refreshes the lists).
#include <QObject>

class Database;
class GoodsList;
class GoodsViewPreferences;
class LoginWindow;
class MainWindow;
class SalePanel;
class ShopExport;
class ShopMaintenance;
class ShopPrinting;
class ShopReports;
class ShopUpgrade;
class StockInPanel;
class TicketView;

class Shop : public QObject {
    Q_OBJECT
  public:
    Shop(Database &database, MainWindow &window);
    ~Shop() override;

    MainWindow &mainWindow() const { return m_window; }
    Database &database() const { return m_database; }
    GoodsList *goods() const { return m_goods; }
    StockInPanel *stockIn() const { return m_stockIn; }
    GoodsViewPreferences *viewPreferences() const { return m_view; }
    SalePanel *salePanel() const { return m_sale; }
    TicketView *ticketView() const { return m_ticket; }
    LoginWindow *login() const { return m_login; }
    ShopMaintenance *maintenance() const { return m_maintenance; }
    ShopReports *reports() const { return m_reports; }
    ShopPrinting *printing() const { return m_printing; }
    ShopUpgrade *upgrade() const { return m_upgrade; }
    // The user who logged in, as typed into the login window; empty before the login.
    QString currentUser() const;
    // Whether the user who logged in has the reduced rights.
    bool isRestricted() const;

    // What the main window's activation does while nobody has logged in: the login, modally.
    void askForLogin();

  private:
    void buildGoods();
    void wireGoodsCommands();
    void wireViewPreferences();
    void wireSkins();
    void buildSales();
    void buildLogin();
    void wireUserWindows();
    void onLoggedIn(const QString &userName, qint64 logId);
    void wireKeyboard();
    // Where the focus rests between actions: the code field of the query box, ready for the scanner.
    void restFocus();

    Database &m_database;
    MainWindow &m_window;
    GoodsList *m_goods = nullptr;
    StockInPanel *m_stockIn = nullptr;
    GoodsViewPreferences *m_view = nullptr;
    SalePanel *m_sale = nullptr;
    TicketView *m_ticket = nullptr;
    bool m_ticketPlaced = false;
    LoginWindow *m_login = nullptr;
    bool m_loginShowing = false;
    ShopMaintenance *m_maintenance = nullptr;
    ShopReports *m_reports = nullptr;
    ShopPrinting *m_printing = nullptr;
    ShopUpgrade *m_upgrade = nullptr;
    ShopExport *m_export = nullptr;
};
