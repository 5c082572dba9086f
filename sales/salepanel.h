#pragma once
// The sale panel (Panel1) floating over the goods list: sells one goods row (or takes a return) with
// price or discount, quantity, debt, date, sale number and customer, and moves the ticket counter.
// The arithmetic, look-ups and the write live in salefigures, customer and salerecord; this window
// holds the fields and the order of the steps.
#include "sales/salefigures.h"
#include "sales/salegoods.h"
#include "sales/salenumber.h"
#include "sales/ticketclaims.h"
#include "widgets/floatingpanel.h"

#include <array>
#include <optional>

class Database;
class DateField;
class NumberField;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStringListModel;
class QToolButton;
struct SessionState;

class SalePanel : public FloatingPanel {
    Q_OBJECT
  public:
    // The session's ticket counter and last-exit date belong to the main window; the panel reads and
    // moves the counter.
    SalePanel(Database &database, SessionState &session, QWidget *parent = nullptr);

    QString saleNumber() const;                     // Edit34
    QString customerName() const;                   // ComboBox7
    DateField *dateField() const { return m_date; } // DBDateTimeEdit2, kept filled by the main window
    // The customer the sales-detail window keeps for the next sale.
    QString rememberedCustomer() const { return m_rememberedCustomer; }
    // The goods row the panel was opened for; -1 before the first opening.
    qint64 goodsId() const { return m_goods.id; }

  public slots:
    // A double click on a goods row. A row without a name opens nothing (an open panel only takes the
    // focus into its price field).
    void open(const SaleGoods &goods);
    // The confirm image (Image3).
    void confirmSale();
    // The close mark, or a click on another goods row: hidden and cleared.
    void close();
    // "+" and "-".
    void nextTicket();
    void previousTicket();
    // The sales-detail window's customer field.
    void setRememberedCustomer(const QString &name);
    // The customer drop-down from the names of the sales records (empties the customer name). The
    // login is the place for the first one; "+" runs it.
    void refillCustomers();
    // Sales records were changed elsewhere (corrected or deleted in the sales-detail window, a
    // restore): the drop-down lists the names of the records as they are now (a customer whose last
    // record went is gone from it); a name being typed stays. When they cannot be read, the next sale
    // reads them instead of adding its own.
    void rereadCustomers();

    // The goods row the open panel sells from was written by another till: its figures as stored now
    // (the stock shown); what the cashier typed stays. Any other row, or a hidden panel: nothing.
    void showStoredGoods(const SaleGoods &goods);

  signals:
    // The ticket view must show this sale number's lines and this customer.
    void ticketChanged(const QString &saleNumber, const QString &customerName);
    // "+" and "-" set the ticket view's cash to "0".
    void cashShouldReset();
    // "预览" (BitBtn1).
    void previewToggled();
    // After a sale the goods list shows the sold goods row as its "查询" would.
    void goodsRowChanged(qint64 goodsId);
    // A sale was stored: the sales-detail window takes the customer and the sale number.
    void saleSaved(const QString &customer, const QString &saleNumber);
    void goodsSummaryShouldRefresh();
    void salesMonthShouldShow();
    // The success banner's text.
    void succeeded(const QString &text);
    // The panel opened for a goods row with this remark / was closed.
    void opened(const QString &goodsRemark);
    void closed();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Tab runs round the panel's fields and 销售确认 and never leaves for the window's other controls.
    bool focusNextPrevChild(bool next) override;

  private:
    void buildFields();
    void buildLayout();
    void connectFields();
    void showGoods(const SaleGoods &goods);
    // "计算": false after a field that is not a number was reported.
    bool compute(bool report);
    void clear();
    void buildSaleNumber();
    // Makes the shown counter one this till holds on the database (claiming it when it does not).
    void takeOwnTicket();
    // Keeps this till's claims of the day in its settings, for the next start.
    void keepClaims();
    void onSaleNumberEdited();
    void loadTicketCustomer();
    void onCustomerEdited(const QString &text);
    void onCustomerLeft();
    void setCustomerFields(const QString &name, const QString &address, const QString &contact,
                           const QString &remark);
    void setCustomerName(const QString &name);
    // After a sale: the drop-down as a refill would give it, by adding the stored name to the listed
    // ones (a refill reads every sales record and takes about half a second at a million of them).
    void listSavedCustomer(const QString &name);
    void toggleReturn();
    void applyDiscount();
    void showSaleAmount();
    void showCounter();
    // Confirm step 10: also ends the confirms refused for quantity or stock.
    void finishConfirm();
    // The goods row was deleted while the panel was open.
    void refuseVanishedGoods();
    // The number in a field; nothing after the message about it was shown.
    std::optional<double> numberOf(QLineEdit *field, sale::Field which);
    void reportNotANumber(sale::Field which);
    QLineEdit *fieldOf(sale::Field which) const;

    // Unseen values: copies of the goods row and the computed figures.
    enum Hidden {
        GoodsName,      // Edit7
        Model,          // Edit18
        Code,           // Edit4
        Category,       // Edit6
        PurchasePrice,  // Edit41
        Sold,           // Edit26
        SalesAmount,    // Edit20
        StockAmount,    // Edit33
        StockInDate,    // Edit44
        NewSold,        // Edit19
        NewSalesAmount, // Edit39
        NewStock,       // Edit36
        NewStockAmount, // Edit40
        Profit,         // Edit42
        HiddenCount
    };

    Database &m_database;
    SessionState &m_session;
    salenumber::DailyRestart m_dailyRestart;
    TicketClaims m_claims;
    bool m_claimsRestored = false;
    // Until a claim succeeded the counter is only what the settings said: tried again at each opening.
    bool m_holdsTicket = false;
    SaleGoods m_goods;
    QString m_rememberedCustomer;
    // Set while the panel itself writes the customer or the sale number: no look-up then.
    bool m_settingCustomer = false;
    bool m_settingNumber = false;
    QStringListModel *m_customerNames = nullptr;
    bool m_customerNamesLoaded = false;

    NumberField *m_price = nullptr;    // Edit5
    NumberField *m_discount = nullptr; // Edit10
    NumberField *m_quantity = nullptr; // Edit35
    NumberField *m_debt = nullptr;     // Edit12
    DateField *m_date = nullptr;       // DBDateTimeEdit2
    QLineEdit *m_number = nullptr;     // Edit34
    QComboBox *m_customer = nullptr;   // ComboBox7
    QLineEdit *m_address = nullptr;    // Edit13
    QLineEdit *m_contact = nullptr;    // Edit14
    QLineEdit *m_remark = nullptr;     // Edit45
    QLabel *m_nameLabel = nullptr;     // Label42
    QLabel *m_modelLabel = nullptr;    // Label43
    QLabel *m_codeLabel = nullptr;     // Label44
    QLabel *m_categoryLabel = nullptr; // Label45
    QLabel *m_suggested = nullptr;     // Label46
    QLineEdit *m_stock = nullptr;      // Edit24
    QLineEdit *m_saleAmount = nullptr; // Edit38
    QLabel *m_counter = nullptr;       // Label59
    QLabel *m_lastExit = nullptr;      // Label66
    std::array<QLineEdit *, HiddenCount> m_hidden{};
    QPushButton *m_plus = nullptr;    // Button18
    QPushButton *m_minus = nullptr;   // Button20
    QPushButton *m_return = nullptr;  // Button19
    QToolButton *m_confirm = nullptr; // Image3
    QPushButton *m_preview = nullptr; // BitBtn1
};
