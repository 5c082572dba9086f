#include "upgrade/upgradetexts.h"

namespace {
struct Text {
    const char *chinese;
    const char *english;
};

// "\n" stands for a line break of the message table.
constexpr Text texts[] = {
    {"软件升级精灵", "Application update wizard"},
    {"文档下载中", "Downloading files..."},
    {"升级完成！", "Upgrade completed!"},
    {"当前的文档", "Current file"},
    {"全部的文档", "All files"},
    {"文档下载源", "Downloading file from"},
    {"文档大小:%.1f Kb", "File size: %.1f Kb"},
    {"传输速率:%.1f Kb/s", "Transfer rate: %.1f Kb/s"},
    {"估计剩余时间: %d:%.2d:%.2d", "Estimated time left: %d:%.2d:%.2d"},
    {"当前正在下载:%d of %d", "Downloading %d of %d"},
    {"%s 已经升级完成，\n\n请按[确定]键重新启动程序",
     "The update of %s has been successfully completed.\n\nPress the OK button to restart program."},
    {"请输入密码", "Enter password"},
    {"帐号", "User Name"},
    {"密码", "Password"},
    {"[&Y]是", "&Yes"},
    {"[&N]否", "&No"},
    {"[&O]确定", "&OK"},
    {"[&C]取消", "&Cancel"},
    {"[&N]下一个>", "&Next >"},
    {"[&L]稍等一下", "&Later"},
    {"警告", "Warning"},
    {"错误", "Error"},
    {"准备中", "Preparing. . ."},
    {"%s已经有新版本推出，\n%s\n您要升级到新版本吗？",
     "A newer version of %s was released.\n%s\nDo you want to update your version with the latest one?"},
    {"没有发现新的版本，您目前已经是最新版本。",
     "Newer version not found. You actually are\nusing most recent version of this program."},
    {"在服务器中无法找到升级的相关信息。",
     "File which contains upgrade information was not found on developer's site."},
    {"无法与服务器%s连接。\n\n请检查您的internet设定之后再进行升级操作。",
     "Host %s unreachable.\n\nPlease check your Internet connection and\ntry to upgrade this software again "
     "later."},
    {"升级操作尚未完成，\n您确定要放弃升级吗？",
     "The update is not completed.\nWould you like to abort upgrading?"},
    {"文档%s找不到或者发生错误，\n\n您要忽略这个文档并且继续升级操作吗？",
     "File %s not found or inaccessible.\n\nTry to skip this file and continue upgrade?"},
    {"远端的文档\"%s\"被密码保护，\n\n请输入您的帐号及密码[注册用户]来继续进行升级操作。",
     "Access to remote file \"%s\" is password protected.\n\nPlease enter your username and password "
     "(received "
     "after registration) to continue software upgrade."},
    {"与远端服务器的连接中断，\n\n请重新连接后再进行升级操作。",
     "Connection with remote server lost.\n\nPlease restore connection and try to\nupgrade this software "
     "again "
     "later."},
    {"服务器上的升级信息没有通过签名验证，升级已停止。",
     "The upgrade information on the server failed its signature check. The upgrade was stopped."},
    {"文档%s没有通过校验，已放弃升级。", "File %s failed its check. The upgrade was given up."},
    {"无法写入文档%s，已放弃升级。", "File %s could not be written. The upgrade was given up."},
    {"服务器上的升级信息超过了允许的大小，升级已停止。",
     "The upgrade information on the server is larger than allowed. The upgrade was stopped."},
    {"文档%s超过了升级信息给出的大小，已放弃升级。",
     "File %s is larger than the upgrade information says. The upgrade was given up."},
    {"服务器上的升级信息比已经收到过的旧，升级已停止。",
     "The upgrade information on the server is older than one already received. The upgrade was stopped."},
    {"正在检查新版本，请稍候…", "Checking for a newer version, please wait..."},
    {"文档%s要求输入帐号及密码，但它的地址没有加密(不是https)，密码不会发送。\n\n"
     "您要忽略这个文档并且继续升级操作吗？",
     "File %s asks for a user name and password, but its address is not encrypted (not https), so no "
     "password is sent.\n\nTry to skip this file and continue upgrade?"},
    {"无法保存升级信息的序号：%s\n升级已停止。",
     "The number of the upgrade information could not be saved: %s\nThe upgrade was stopped."},
    {"无法连接升级服务器，请检查网络连接后再试。\n\n服务器：%s\n原因：%s",
     "Cannot reach the upgrade server. Please check the network connection and try again.\n\nServer: "
     "%s\nReason: %s"},
    {"服务器没有回应", "the server did not answer"},
    {"在服务器中无法找到升级的相关信息（服务器回答 HTTP %s），请稍后再试。",
     "The upgrade information was not found on the server (it answered HTTP %s). Please try again later."},
    {"检查新版本时出错：%s\n请稍后再试。",
     "The check for a newer version failed: %s\nPlease try again later."},
    {"本程序是从安装包安装的，但是服务器上的升级信息没有给出新版本的安装包，升级已停止。",
     "This program was installed from a package, but the upgrade information on the server names no "
     "package of the new version. The upgrade was stopped."},
    {"新版本的安装包已经下载并通过校验，但是这台电脑上没有可以输入管理员密码的程序(pkexec)。\n\n"
     "请在终端中运行下面的命令安装新版本，然后重新启动程序：\n\n%s",
     "The package of the new version was downloaded and checked, but no program on this computer can ask "
     "for the administrator's password (pkexec).\n\nPlease install it with this command in a terminal, "
     "then start the program again:\n\n%s"},
    {"新版本没有安装：没有输入管理员密码，或者系统没有可以输入密码的窗口。\n\n"
     "请在终端中运行下面的命令安装新版本，然后重新启动程序：\n\n%s",
     "The new version was not installed: no administrator's password was given, or the system has no "
     "window to ask for it.\n\nPlease install it with this command in a terminal, then start the program "
     "again:\n\n%s"},
};

std::optional<UpgradeLanguage> &chosen() {
    static std::optional<UpgradeLanguage> language;
    return language;
}
} // namespace

UpgradeLanguage upgradeLanguageFor(const QLocale &locale) {
    return locale.language() == QLocale::Chinese ? UpgradeLanguage::ChineseSimplified
                                                 : UpgradeLanguage::English;
}

UpgradeLanguage upgradeLanguage() {
    return chosen().value_or(upgradeLanguageFor(QLocale::system()));
}

void setUpgradeLanguage(std::optional<UpgradeLanguage> language) {
    chosen() = language;
}

QString upgradeText(int number) {
    if (number < 0 || number >= int(std::size(texts))) return {};
    const Text &text = texts[number];
    return QString::fromUtf8(upgradeLanguage() == UpgradeLanguage::ChineseSimplified ? text.chinese
                                                                                     : text.english);
}

QString upgradeText(int number, const QStringList &values) {
    QString text = upgradeText(number);
    qsizetype from = 0;
    for (const QString &value : values) {
        const qsizetype at = text.indexOf(QStringLiteral("%s"), from);
        if (at < 0) break;
        text.replace(at, 2, value);
        from = at + value.size();
    }
    return text;
}
