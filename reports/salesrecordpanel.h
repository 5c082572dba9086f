#pragma once
// The edit/delete panel (Panel1) of the sales-detail window: the selected record read-only, its debt
// and customer data editable, and exactly one of "删 除" and "修 改" shown, as it was opened. It keeps
// the record's ID, so that what is changed or deleted is the record it shows.
#include "widgets/floatingpanel.h"

class Dataset;
class NumberField;
class QLabel;
class QLineEdit;
class QPushButton;

class SalesRecordPanel : public FloatingPanel {
    Q_OBJECT
  public:
    enum class Mode { Change, Deletion };

    explicit SalesRecordPanel(QWidget *parent = nullptr);

    // Copies the listed record at `row` into the panel and shows it with the mode's button.
    void openFor(Mode mode, const Dataset &sales, int row);
    Mode mode() const { return m_mode; }
    qint64 recordId() const { return m_recordId; }

    NumberField *debt() const { return m_debt; }           // Edit8
    QLineEdit *saleNumber() const { return m_number; }     // Edit13
    QLineEdit *customer() const { return m_customer; }     // Edit9
    QLineEdit *address() const { return m_address; }       // Edit10
    QLineEdit *contact() const { return m_contact; }       // Edit11
    QLineEdit *remark() const { return m_remark; }         // Edit12
    QPushButton *deleteButton() const { return m_delete; } // Button6
    QPushButton *changeButton() const { return m_change; } // Button12
    QPushButton *clearButton() const { return m_clear; }   // Button7 "清空"
    QLabel *label(const char *name) const;                 // Label19, Label24, ... by name

  public slots:
    // "清空": the labels and the text fields but the debt; the record is forgotten.
    void clear();

  signals:
    void changeRequested();
    void deleteRequested();

  private:
    QLabel *addLabel(const char *name);

    Mode m_mode = Mode::Change;
    qint64 m_recordId = -1;
    QLabel *m_name, *m_model, *m_code, *m_category, *m_date, *m_price, *m_quantity, *m_amount;
    QLabel *m_purchasePrice, *m_stockInDate; // Label34, Label30: unseen
    NumberField *m_debt;
    QLineEdit *m_number, *m_customer, *m_address, *m_contact, *m_remark;
    QPushButton *m_delete, *m_change, *m_clear;
};
