// The login and the user windows of the shop.
#include "app/shop.h"

#include "app/mainwindow.h"
#include "sales/salepanel.h"
#include "stock/goodslist.h"
#include "store/settingsstore.h"
#include "users/loginwindow.h"
#include "users/passwordchangewindow.h"
#include "users/restrictions.h"
#include "users/useradminwindow.h"
#include "users/zerostockpreference.h"
#include "widgets/windowopener.h"

#include <QTimer>

void Shop::buildLogin() {
    m_login = new LoginWindow(m_database, &m_window);
    connect(m_login, &LoginWindow::loggedIn, this, &Shop::onLoggedIn);
    connect(m_login, &LoginWindow::closedWithoutLogin, this, [this] {
        m_goods->showAll();
        m_window.close();
    });
    // Asked after the activation has been handled: a modal loop inside the event would hold it up.
    connect(&m_window, &MainWindow::activated, this, [this] {
        if (m_window.loginLogId() == 0 && !m_loginShowing) QTimer::singleShot(0, this, &Shop::askForLogin);
    });
}

void Shop::askForLogin() {
    if (!m_login || m_loginShowing || m_window.loginLogId() != 0 || !m_window.isVisible()) return;
    m_loginShowing = true;
    m_login->exec();
    m_loginShowing = false;
}

QString Shop::currentUser() const {
    return m_login ? m_login->userName() : QString();
}

bool Shop::isRestricted() const {
    return m_window.loginLogId() != 0 && restrictions::appliesTo(currentUser());
}

void Shop::onLoggedIn(const QString &userName, qint64 logId) {
    // The steps of a login, in the order the user sees them: the zero-stock choice, the saved layout,
    // the list reloaded as the window closes, the operator, the restrictions, the log row. Each of the
    // first three lists every goods row; the list is read once, as the last of them asks.
    {
        const GoodsList::LoadBatch once(*m_goods);
        if (const auto hidden = zeroStockHiddenPreference(SettingsStore::instance()))
            m_goods->applyLoginZeroStockPreference(*hidden);
        m_window.command(QStringLiteral("N17"))->trigger();
        m_goods->showAll();
    }
    m_window.activateWindow();
    m_window.setOperatorName(userName);
    if (restrictions::appliesTo(userName))
        restrictions::apply(&m_window, QString::fromLatin1(restrictions::MainWindow));
    m_window.setLoginLogId(logId);
    m_sale->refillCustomers();
    restFocus();
}

void Shop::wireUserWindows() {
    m_window.wireCommand(QStringLiteral("N13"), this, [this] {
        showOrCreateWindowWith<UserAdminWindow>(
            [this] { return new UserAdminWindow(m_database, &m_window); });
    });
    m_window.wireCommand(QStringLiteral("N15"), this, [this] {
        showOrCreateWindowWith<PasswordChangeWindow>(
            [this] { return new PasswordChangeWindow(m_database, &m_window); });
    });
}
