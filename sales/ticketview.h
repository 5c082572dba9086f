#pragma once
// The ticket view (Panel5) floating over the main window: the lines of the current sale number with
// their sums, the cash paid and the change, and the two prints that end a ticket and move to the next.
// The sale panel drives it through refresh() and setCash(); it asks for the next or previous ticket and
// for the prints through signals.
#include "sales/ticket.h"
#include "store/dataset.h"
#include "widgets/floatingpanel.h"

#include <functional>

class DataGrid;
class Database;
class EnterChain;
class NumberField;
class QLabel;
class QLineEdit;
class QPushButton;

class TicketView : public FloatingPanel {
    Q_OBJECT
  public:
    explicit TicketView(Database &database, QWidget *parent = nullptr);

    // The sale number and customer of the last refresh, as given.
    QString saleNumber() const { return m_saleNumber; }
    QString customerName() const { return m_customerName; }
    const Dataset &lines() const { return m_lines; }

    DataGrid *grid() const { return m_grid; }                  // DBGrid2
    QLabel *customerLine() const { return m_customerLine; }    // Label65
    QLineEdit *total() const { return m_total; }               // Edit48 "合计："
    NumberField *cash() const { return m_cash; }               // Edit49 "现金："
    QLineEdit *change() const { return m_change; }             // Edit50 "找零："
    QPushButton *receiptButton() const { return m_receipt; }   // BitBtn5 "POS小票打印"
    QPushButton *slipButton() const { return m_slip; }         // BitBtn4 "销售单打印"
    QPushButton *previousButton() const { return m_previous; } // Button21 "上一单"
    QPushButton *nextButton() const { return m_next; }         // Button22 "下一单"

    // What prints the receipt of a sale number: false when it could not (it says why), and the ticket
    // then stays to be printed again. Without one the request is only signalled.
    void setReceiptPrinter(std::function<bool(const QString &saleNumber)> printer) {
        m_receiptPrinter = std::move(printer);
    }

  public slots:
    // Lists the ticket of a sale number (the sale panel's number and customer name), whether the view
    // is shown or not.
    void refresh(const QString &saleNumber, const QString &customerName);
    // Lists the same ticket again: its sales records were corrected or deleted elsewhere, and a total
    // left standing would take the wrong cash and print the wrong change.
    void reread();
    // The sale panel's "+" and "-" set the cash to "0"; the change follows.
    void setCash(const QString &text);
    // "预览", the tool button "单据打印" and the menu item "销售单(小票)打印".
    void toggle();
    // "POS小票打印": the checks, the receipt, the next ticket.
    void printReceipt();
    // "销售单打印": the slip unless the ticket is empty, then the next ticket in any case.
    void printSlip();

  signals:
    void nextTicketRequested();     // "下一单"
    void previousTicketRequested(); // "上一单"
    void receiptPrintRequested(const QString &saleNumber);
    void slipPreviewRequested(const QString &saleNumber);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void buildControls();
    void buildLayout();
    void showLines();
    // Typing and a new total leave a half-typed cash (a lone ".") alone; leaving the field reports it.
    void recomputeChange(bool reportBadCash);
    // Shows why the ticket cannot be printed; false when nothing stands in the way.
    bool refused(ticket::Refusal refusal);

    Database &m_database;
    std::function<bool(const QString &)> m_receiptPrinter;
    Dataset m_lines;
    QString m_saleNumber;
    QString m_customerName;

    DataGrid *m_grid = nullptr;
    QLabel *m_customerLine = nullptr;
    QLineEdit *m_total = nullptr;
    NumberField *m_cash = nullptr;
    QLineEdit *m_change = nullptr;
    QPushButton *m_receipt = nullptr;
    QPushButton *m_slip = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    EnterChain *m_cashChain = nullptr;
};
