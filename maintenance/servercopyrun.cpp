#include "maintenance/servercopyrun.h"

#include "store/database.h"
#include "store/servercopy.h"

#include <QApplication>
#include <QProgressDialog>

namespace servercopyrun {

QString connectionFor(const connectionsettings::Settings &settings) {
    QString connection = connectionsettings::connectionString(settings);
    // Never kept: the password file holds it once the user keeps the connection.
    if (!settings.password.isEmpty())
        connection += QStringLiteral(" password=") + connectionsettings::quotedValue(settings.password);
    return connection;
}

Outcome copyWithProgress(const QString &localShop, const connectionsettings::Settings &settings, QWidget *parent) {
    Database server;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool connected = server.openServer(connectionFor(settings));
    QApplication::restoreOverrideCursor();
    if (!connected)
        return {false, connectionsettings::failureMessage(settings.host, server.errorText())};

    QProgressDialog progress(QStringLiteral("正在复制本机数据到服务器…"), QStringLiteral("取消"), 0, 1000, parent);
    progress.setObjectName(QStringLiteral("copyProgress"));
    progress.setWindowTitle(QStringLiteral("复制本机数据到服务器"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    const servercopy::Result result = servercopy::copyShop(localShop, server, [&progress](qint64 copied, qint64 total) {
        progress.setValue(total > 0 ? int(copied * 1000 / total) : 1000);
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    return {result.outcome == servercopy::Outcome::Copied, result.message};
}

} // namespace servercopyrun
