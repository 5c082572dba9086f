#pragma once
// The sales-detail window (Txstj, "销售明细"): the sales records with their totals under the filters,
// "本 月", "当 天", "全部记录" and the returns, the edit/delete panel, the column items and the grid
// print on its first tab, the charts on its second. Statements and writes live in salesqueries and
// salesrecordwrite; this window holds the controls and the order of the steps.
#include "reports/salescategories.h"
#include "reports/salesqueries.h"
#include "reports/salesrecordpanel.h"
#include "store/dataset.h"

#include <QDialog>
#include <functional>
#include <optional>

class Database;
class DataGrid;
class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class SalesChartsTab;
class SalesFilterBox;
class SalesViewPreferences;

class SalesDetailWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr auto PrintTitle = "销 售 统 计 报 表";
    // The settings value that keeps the window's size between runs.
    static constexpr auto SizeSetting = "xiaoshoumingxi_size";

    explicit SalesDetailWindow(Database &database, QWidget *parent = nullptr);
    ~SalesDetailWindow() override;

    DataGrid *grid() const { return m_grid; } // DBGrid1
    Dataset &sales() { return m_sales; }      // the list's rows
    SalesFilterBox *filterBox() const { return m_filters; }
    SalesRecordPanel *panel() const { return m_panel; } // Panel1
    SalesChartsTab *charts() const { return m_charts; }
    SalesViewPreferences *viewPreferences() const { return m_view; }
    QTabWidget *tabs() const { return m_tabs; } // PageControl1
    QMenu *popupMenu() const { return m_menu; } // PopupMenu1
    // An item of the popup menu by name ("N7", "N2", "Excel1", "N4", "N19", "N5", ..., "N3").
    QAction *item(const QString &name) const;
    QLineEdit *slipSaleNumber() const { return m_slipNumber; }       // Edit2 of "销售单打印"
    QPushButton *slipSearchButton() const { return m_slipSearch; }   // Button20 "查 询"
    QPushButton *slipPreviewButton() const { return m_slipPreview; } // Button5 "销售单预览"
    QLineEdit *customerField() const { return m_customer; }          // Edit17, unseen
    // The statement the list was last loaded with.
    const QString &lastStatement() const { return m_lastStatement; }
    // The logged-in user, for the grid print.
    void setUserName(std::function<QString()> userName) { m_userName = std::move(userName); }

    // Whether a listed row is drawn in red: its quantity, rounded to a whole number, is 0 or less.
    bool isReturnRow(int row) const;

  public slots:
    void showMonth();       // "本 月"
    void showAllRecords();  // "全部记录"
    void showAllReturns();  // "全部退货"
    bool search();          // "查 询"
    bool searchReturns();   // "查 询" of "退货"
    void showToday();       // "当 天"
    void clearConditions(); // "清空条件"
    void openForChange();   // "修 改 " and a double click
    void openForDeletion(); // "删 除"
    void changeRecord();    // "修 改" on the panel
    void deleteRecord();    // "删 除" on the panel
    void print();           // "打 印"
    // "查 询" of "销售单打印": the records of one ticket on the list (the slip prints what it lists).
    bool listTicket(const QString &saleNumber);
    // "销售单预览": the ticket of Edit2 listed, then its slip asked for; an empty Edit2 is refused.
    void previewSlip();
    // After a sale: its customer into the unseen customer field, its number into the slip's field.
    void takeSale(const QString &customer, const QString &saleNumber);
    // Another till wrote or deleted this sales record: the month list of the open window puts it in
    // place or takes it out, as "本 月" run again would list it; the current row, the rows in view and
    // an open panel stay. Other lists (a search the user ran) are his and stay as they are.
    void followSalesRecord(qint64 id);
    // Many records, or missed ones: the open window's month list is read again, the same things kept.
    void followSalesRecords();
    // The sales records were replaced (a restored database): the categories are read again.
    void invalidateCategories() { m_categories.invalidate(); }

  signals:
    // A deletion gave its quantity back to this goods row.
    void goodsRowChanged(qint64 goodsId);
    // Sales records were corrected or deleted.
    void salesRecordsChanged();
    // The unseen customer field changed (the sale panel keeps it for the next sale).
    void rememberedCustomerChanged(const QString &name);
    // The ticket of this sale number (as typed) is listed: its slip is to be previewed.
    void slipPreviewRequested(const QString &saleNumber);
    // The window was closed (hidden).
    void windowClosed();

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void buildLayout();
    void buildMenu();
    void wireControls();
    void refillCategories();
    void showWhole(const QString &statement, const QVariantList &binds);
    bool runSearch(salesqueries::Kind kind);
    enum class Reading { Whole, InSteps };
    bool load(const QString &statement, const QVariantList &binds, Reading reading = Reading::Whole);
    // The statement of "本 月" when the open window lists it now.
    std::optional<SalesStatement> followedMonth() const;
    void onRowClicked(int row);
    void onTitleClick(const QString &order);
    // Whether the logged-in user may change (or delete) sales records.
    bool userMay(SalesRecordPanel::Mode mode) const;
    void openPanel(SalesRecordPanel::Mode mode);
    void whenClosed();

    Database &m_database;
    Dataset m_sales;
    SalesCategories m_categories;
    QString m_lastStatement;
    QVariantList m_lastBinds;
    std::function<QString()> m_userName;
    QTabWidget *m_tabs = nullptr;
    DataGrid *m_grid = nullptr;
    SalesFilterBox *m_filters = nullptr;
    SalesRecordPanel *m_panel = nullptr;
    SalesChartsTab *m_charts = nullptr;
    SalesViewPreferences *m_view = nullptr;
    QMenu *m_menu = nullptr;
    QLineEdit *m_slipNumber = nullptr; // Edit2
    QPushButton *m_slipSearch = nullptr;
    QPushButton *m_slipPreview = nullptr;
    QLineEdit *m_customer = nullptr;   // Edit17
    QLineEdit *m_clickedRow = nullptr; // Edit16
    bool m_closing = false;
};
