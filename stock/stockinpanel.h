#pragma once
// The stock-in panel (Panel3) floating over the goods list: enters a new goods row ("新建入库"),
// changes the row loaded by "修 改" ("修改入库"), deletes the list's current row ("删 除"), and takes a
// clicked row's descriptions as a template. Its figures follow StockInFigures as the fields change.
#include "stock/stockin.h"
#include "stock/stockinfigures.h"
#include "widgets/floatingpanel.h"

#include <QPointer>
#include <array>
#include <optional>

class Database;
class DateField;
class GoodsList;
class NumberField;
class QComboBox;
class QLineEdit;
class QPushButton;

class StockInPanel : public FloatingPanel {
    Q_OBJECT
  public:
    StockInPanel(Database &database, GoodsList &goods, QWidget *parent = nullptr);

    QComboBox *name() const { return m_name; }         // ComboBox3
    QComboBox *model() const { return m_model; }       // ComboBox4
    QComboBox *code() const { return m_code; }         // ComboBox5
    QComboBox *category() const { return m_category; } // ComboBox2
    QComboBox *supplier() const { return m_supplier; } // ComboBox6
    DateField *date() const { return m_date; }         // DBDateTimeEdit1
    QLineEdit *remark() const { return m_remark; }     // Edit22
    // Edit15, Edit1, Edit9 and the hidden working fields Edit2, Edit21, Edit16, Edit17, Edit27.
    QLineEdit *field(StockInFigures::Field which) const { return m_fields[which]; }
    QPushButton *newEntryButton() const { return m_newEntry; } // Button1 "新建入库"
    QPushButton *changeButton() const { return m_change; }     // Button3 "修改入库"
    const StockInFigures &figures() const { return m_figures; }
    // The goods row that "修改入库" writes; -1 when no modification is pending.
    qint64 loadedId() const { return m_loadedId; }

  public slots:
    // "新建入库" of the tool bar and the goods-list menu.
    void openForNewEntry();
    // A click on a goods-list row: its descriptions and prices become the template of an entry.
    void fillFromRow(int row);
    // Button1.
    void newEntry();
    // "修 改": the list's current row, for "修改入库".
    void loadForModification();
    // Button3.
    void change();
    // "删 除": the list's current row, after the question.
    void deleteCurrent();
    // "清空" (Button9).
    void clear();
    // The sale panel closing, a title click: "修改入库" is disabled, the loaded row stays.
    void disableChange();
    // A click on another goods row ends the modification: disabled, and the loaded row forgotten.
    void endModification();
    // Opening the sale panel enables "修改入库" again while a loaded row is pending.
    void enableChange();

  signals:
    // The success banner's text.
    void succeeded(const QString &text);
    void salePanelShouldHide();
    void ticketViewShouldHide();

  private:
    void buildFields();
    void buildLayout();
    void setFieldText(StockInFigures::Field which, const QString &text);
    bool checkRequired();
    bool checkDate(QDate *date);
    // The row the fields describe, or nothing after the date or a figure was reported.
    std::optional<stockin::GoodsRow> makeRow(stockin::Purpose purpose);
    bool reportNotANumber(StockInFigures::Field which);
    void closedByMark();

    Database &m_database;
    GoodsList &m_goods;
    StockInFigures m_figures;
    QComboBox *m_name;
    QComboBox *m_model;
    QComboBox *m_code;
    QComboBox *m_category;
    QComboBox *m_supplier;
    DateField *m_date;
    QLineEdit *m_remark;
    std::array<QLineEdit *, StockInFigures::FieldCount> m_fields{};
    QPushButton *m_newEntry;
    QPushButton *m_change;
    qint64 m_loadedId = -1;
};
