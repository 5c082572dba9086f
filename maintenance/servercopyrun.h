#pragma once
// The copy of the shop's data.mdb to a server, run from a window: the server connected to with the
// fields' settings (the typed password used for this connection only), the rows counted in a progress
// window that can cancel, and the outcome in one message.
#include "maintenance/connectionsettings.h"

#include <QString>

class QWidget;

namespace servercopyrun {

struct Outcome {
    bool copied = false;
    QString message; // what was copied, or why nothing was
};

// The connection string for a copy: the settings' string and, when one was typed, the password.
QString connectionFor(const connectionsettings::Settings &settings);

Outcome copyWithProgress(const QString &localShop, const connectionsettings::Settings &settings, QWidget *parent);

} // namespace servercopyrun
