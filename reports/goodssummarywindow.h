#pragma once
// The goods summary window (TForm1, "汇总统计"): the goods totalled per kind in a grid with grand
// totals, sorted by title clicks, printed from its popup menu.
#include "store/dataset.h"

#include <QDialog>
#include <functional>

class Database;
class DataGrid;
class QAction;
class QMenu;

class GoodsSummaryWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr auto PrintTitle = "商 品 进 销 存 统 计 报 表";

    explicit GoodsSummaryWindow(Database &database, QWidget *parent = nullptr);
    ~GoodsSummaryWindow() override;

    DataGrid *grid() const { return m_grid; } // DBGrid1
    const Dataset &summary() const { return m_summary; }
    QMenu *popupMenu() const { return m_menu; }
    QAction *item(const QString &name) const; // "Excel1", "N1"
    void setUserName(std::function<QString()> userName) { m_userName = std::move(userName); }

  public slots:
    // Runs the summary again, the cursor on the last row (also while the window is hidden).
    void refresh();
    void print(); // "打 印"

  protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

  private:
    void showLastRow();

    Database &m_database;
    Dataset m_summary;
    DataGrid *m_grid;
    QMenu *m_menu;
    std::function<QString()> m_userName;
    bool m_lastRowWhenRead = false;
};
