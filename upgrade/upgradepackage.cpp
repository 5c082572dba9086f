// The hand-over of a downloaded Debian package: the upgrader program runs the system's installer once
// the program has ended, then starts the program again; without a program that can ask for the
// administrator's password, the user is told the command instead.
#include "upgrade/packageupgrade.h"
#include "upgrade/upgrader.h"
#include "upgrade/upgradetexts.h"
#include "upgrade/upgradewizard.h"
#include "widgets/dialogs.h"

#include <QFileInfo>
#include <QStandardPaths>

void Upgrader::installPackage() {
    const QString package = m_downloaded.value(0);
    const QString installer = QFileInfo(m_settings.installer).isAbsolute()
                                  ? m_settings.installer
                                  : QStandardPaths::findExecutable(m_settings.installer);
    if (installer.isEmpty() || !QFileInfo(installer).isExecutable()) {
        // The checked package stays where it is, for the command.
        m_mode = Mode::Idle;
        m_downloaded.clear();
        m_packageFolder.clear();
        if (m_wizard) m_wizard->closeQuietly();
        Dialogs::instance().message(
            m_window, Dialogs::Kind::Information,
            upgradeText(upgradetext::PackageByHand, {packageupgrade::commandByHand(package)}),
            upgradeText(upgradetext::Caption));
        return;
    }
    // It deletes the package once installed.
    handOverToUpgrader(packageupgrade::upgraderArguments(m_settings.programPath, m_settings.restartParameters,
                                                         m_settings.programPid, installer, package));
}
