#pragma once
// The print settings, the POS receipt and the sales slip in the shop: "打印设置" (N39, N23) bringing
// the settings window forward, the ticket view's "POS小票打印" printing the receipt of its ticket, and
// the slip previewed from the ticket view's "销售单打印" and from the sales-detail window's
// "销售单预览", both over the sales-detail list.
#include <QObject>

class Database;
class PrintSettingsWindow;
class QWidget;
class Shop;

class ShopPrinting : public QObject {
    Q_OBJECT
  public:
    ShopPrinting(Database &database, Shop &shop);

    PrintSettingsWindow *settings() const { return m_settings; } // Tpos

    // "打印设置": the window in front, modeless.
    void openSettings();
    // The receipt of a ticket on the default printer: its lines as stored now with their total, the
    // ticket view's cash and the change for it.
    // A failure is reported; false then.
    bool printReceipt(const QString &saleNumber);
    // The ticket view's "销售单打印": the ticket listed on the sales-detail list, then its slip.
    void previewTicketSlip(const QString &saleNumber);

  private:
    // The slip of what the sales-detail list shows, in the preview.
    void previewListedSlip(const QString &saleNumber, QWidget *parent);

    Database &m_database;
    Shop &m_shop;
    PrintSettingsWindow *m_settings = nullptr;
};
