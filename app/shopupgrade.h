#pragma once
// The online upgrade in the shop: "软件升级" starts a check, and a completed upgrade closes the main
// window the normal way (its close steps complete the login log) before the upgrader restarts it.
#include <QObject>

class Shop;
class Upgrader;

class ShopUpgrade : public QObject {
    Q_OBJECT
  public:
    explicit ShopUpgrade(Shop &shop);

    Upgrader *upgrader() const { return m_upgrader; } // Upgrader1

  private:
    Upgrader *m_upgrader = nullptr;
};
