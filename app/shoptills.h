#pragma once
// Several tills on one server: what the others write reaches this till's windows. The goods list and
// an open sale panel show another till's sale, return or stock-in within a moment, and an open
// sales-detail window's month list its new sales. Only on a server; the file has one till.
#include <QObject>

class Database;
class ServerNotifications;
class Shop;

class ShopTills : public QObject {
    Q_OBJECT
  public:
    ShopTills(Database &database, Shop &shop);
    ServerNotifications *notifications() const { return m_notifications; }

  private:
    // The open sale panel's goods row as stored now, when it is this one.
    void rereadSaleGoods(qint64 goodsId);

    Database &m_database;
    Shop &m_shop;
    ServerNotifications *m_notifications;
};
