#include "app/shopupgrade.h"

#include "app/mainwindow.h"
#include "app/shop.h"
#include "upgrade/upgrader.h"

ShopUpgrade::ShopUpgrade(Shop &shop) : QObject(&shop) {
    MainWindow &window = shop.mainWindow();
    m_upgrader = new Upgrader(&window);
    window.wireCommand(QStringLiteral("N28"), m_upgrader, [this] { m_upgrader->check(); });
    // Closed after the wizard's OK has been handled, not from inside it.
    connect(m_upgrader, &Upgrader::programShouldClose, &window, &QWidget::close, Qt::QueuedConnection);
}
