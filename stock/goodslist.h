#pragma once
// The goods list of the main window: the rows of table data in the grid DBGrid1 with their totals and
// red alarm rows, and what the query box, the threshold field Edit43 and the zero-stock box CheckBox1
// make of them ("全部记录", "查询", "清空条件", the title-click sort). The grid and the query box are
// separate widgets so that the main window can place them apart.
#include "stock/goodsquery.h"
#include "stock/goodsquerybox.h"
#include "stock/stockinpanel.h"
#include "store/dataset.h"
#include "widgets/datagrid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

class Database;

class GoodsList : public QObject {
    Q_OBJECT
  public:
    // The grid and the query box become children of `parent`.
    GoodsList(Database &database, QWidget *parent);
    ~GoodsList() override;

    DataGrid *grid() const { return m_grid; }              // DBGrid1
    GoodsQueryBox *queryBox() const { return m_queryBox; } // " 快速拼音查询"
    Dataset &goods() { return m_goods; }
    const Dataset &goods() const { return m_goods; }
    GoodsQuery &query() { return m_query; }
    Database &database() const { return m_database; }

    // The stock-in panel whose drop-downs "全部记录" refills (it registers itself).
    void setStockInPanel(StockInPanel *panel) { m_stockIn = panel; }
    // The threshold field "库存报警数量：" (Edit43): its text decides the red rows and is kept in the
    // settings value "number".
    void attachThresholdField(QLineEdit *field);
    QLineEdit *thresholdField() const { return m_threshold; }
    // The checkbox "不显示零库存" (CheckBox1), kept in the settings value "n0".
    void attachZeroStockBox(QCheckBox *box);
    QCheckBox *zeroStockBox() const { return m_zeroStock; }

    // What a window does to the list after it wrote one goods row: "查询" (the first row becomes the
    // current) or "全部记录" (the drop-downs are refilled, the last row becomes the current).
    enum class Step { Query, All };

    // While one lives, "全部记录" only notes that it was asked for; it runs once as the last one goes.
    // For a chain of steps that each list every row (the login's), of which only the last is seen.
    class LoadBatch {
      public:
        explicit LoadBatch(GoodsList &list) : m_list(list) { ++m_list.m_batches; }
        ~LoadBatch();
        LoadBatch(const LoadBatch &) = delete;
        LoadBatch &operator=(const LoadBatch &) = delete;

      private:
        GoodsList &m_list;
    };

    // The statement the list was last loaded with ("全部记录" or "查询").
    const GoodsStatement &lastStatement() const { return m_lastStatement; }

    // Whether a row of the list is drawn in red at the current threshold.
    bool isAlarmRow(int row) const;
    // The ID of the list's current row; -1 when the list is empty.
    qint64 currentId() const;

  public slots:
    // "全部记录": refills the drop-downs, loads the list statement, moves to the last row.
    void showAll();
    // "查询": the base condition and every condition of the query box. False when nothing could be run.
    bool runQuery();
    // "清空条件".
    void clearConditions();
    // The login's zero-stock choice: the statements as the login writes them, the box ticked or cleared
    // (which runs its own steps when its state changes), then "全部记录".
    void applyLoginZeroStockPreference(bool hidden);
    // After the owner removed or posted rows of the dataset: the grid and its totals follow.
    void refreshGrid();
    // After goods row `id` was written or deleted: the list shows what running its statement again
    // would show (the same rows in the same order, totals, title-click order kept) by reading that one
    // row through the statement and putting it in place, taking it out, or adding it. Where the
    // engine's order cannot be repeated, the statement runs again. "全部记录" over a list that a "查询"
    // made runs in full: the list changes its statement.
    void showChangedRow(qint64 id, Step step);
    // Another till wrote or deleted goods row `id`: the list shows it as showChangedRow does, but what
    // the cashier is at stays: the current row (on its ID), the rows in view, the filter and the open
    // panels. A row that is not and will not be listed changes nothing.
    void followChangedRow(qint64 id);
    // Too many rows changed elsewhere, or changes were missed: the list's statement runs again, the
    // same things kept (and the title-click order).
    void followAll();
    // What a double click on a row does, from the keyboard: the row becomes the current and the
    // clicked one, then it is opened for a sale.
    void activateRow(int row);

  signals:
    // "全部记录", "查询" and a title click close the sale panel.
    void salePanelShouldHide();
    // A click on a row, after it filled the stock-in panel.
    void rowClicked(int row);
    // A click on another goods row than the one clicked before (the sale panel closes).
    void clickedRowChanged(int row);
    void rowDoubleClicked(int row);
    // Enter in the empty code field (Edit25): the scanning of a ticket is over.
    void emptyCodeEntered();
    // After every statement the list ran (also a failed one, which leaves it empty).
    void listLoaded();

  private:
    struct KeptView {
        qint64 currentId;
        qint64 topId; // the row at the top of the grid
        int horizontal;
    };
    KeptView keepView() const;
    void restoreView(const KeptView &kept);
    void fillDropDowns();
    void loadInto(const QString &statement, const QVariantList &binds);
    // Runs the list's statement again, as the step does.
    void reloadAs(Step step);
    void onZeroStockToggled(bool ticked);
    void onThresholdEdited(const QString &text);
    void onTitleClick(const QString &sortOrder);
    void onRowClicked(int row);
    // Enter in the code field: a code that lists exactly one goods row opens it for a sale.
    void onCodeEntered();
    void writeSetting(const QString &name, const QString &value);

    Database &m_database;
    Dataset m_goods;
    GoodsQuery m_query;
    GoodsStatement m_lastStatement;
    // Parented to the window, which may delete them first.
    QPointer<DataGrid> m_grid;
    QPointer<GoodsQueryBox> m_queryBox;
    QPointer<StockInPanel> m_stockIn;
    QPointer<QLineEdit> m_threshold;
    QPointer<QCheckBox> m_zeroStock;
    double m_thresholdValue = 5;
    qint64 m_lastClickedId = -1;
    int m_batches = 0;
    bool m_showAllPending = false;
};
