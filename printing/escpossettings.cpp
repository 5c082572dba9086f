#include "printing/escpossettings.h"

#include "store/settingsstore.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace {
constexpr std::array<const char *, 4> KindNames = {"system", "device", "network", "serial"};

QString name(const char *suffix) {
    return QStringLiteral("escpos_") + QLatin1String(suffix);
}

QString flag(bool on) {
    return on ? QStringLiteral("yes") : QStringLiteral("no");
}

int wholeOr(const SettingsStore &store, const char *suffix, int fallback, bool (*allowed)(int)) {
    const auto value = store.readWholeNumber(name(suffix));
    if (!value || *value < INT_MIN || *value > INT_MAX || !allowed(static_cast<int>(*value))) return fallback;
    return static_cast<int>(*value);
}

bool flagOr(const SettingsStore &store, const char *suffix, bool fallback) {
    const QString value = store.read(name(suffix)).trimmed();
    if (value == QLatin1String("yes")) return true;
    if (value == QLatin1String("no")) return false;
    return fallback;
}

bool validPort(int port) {
    return port >= 1 && port <= 65535;
}
bool validBaud(int baud) {
    return std::ranges::find(EscposSettings::Bauds, baud) != EscposSettings::Bauds.end();
}
bool validPaper(int millimetres) {
    return millimetres == 58 || millimetres == 80;
}
bool validPin(int pin) {
    return pin == 2 || pin == 5;
}
bool validCopies(int copies) {
    return copies >= 1 && copies <= 3;
}
} // namespace

escpos::Link EscposSettings::link() const {
    escpos::Link link;
    link.kind = kind == Kind::Network  ? escpos::LinkKind::Network
                : kind == Kind::Serial ? escpos::LinkKind::Serial
                                       : escpos::LinkKind::Device;
    link.path = kind == Kind::Serial ? serialDevice.trimmed() : device.trimmed();
    link.host = host.trimmed();
    link.port = port;
    link.baud = baud;
    return link;
}

escpos::Options EscposSettings::options(bool openDrawer) const {
    return {paper, cut, openDrawer && drawerOnCashSale ? drawerPin : 0, copies};
}

namespace escpossettings {

QString problem(const EscposSettings &settings) {
    using Kind = EscposSettings::Kind;
    if (settings.kind == Kind::Device && settings.device.trimmed().isEmpty())
        return QStringLiteral("请填写USB打印机的设备文件，例如 /dev/usb/lp0。");
    if (settings.kind == Kind::Network && settings.host.trimmed().isEmpty())
        return QStringLiteral("请填写网络打印机的地址。");
    if (settings.kind == Kind::Network && !validPort(settings.port))
        return QStringLiteral("网络打印机的端口应在 1 到 65535 之间（一般为 9100）。");
    if (settings.kind == Kind::Serial && settings.serialDevice.trimmed().isEmpty())
        return QStringLiteral("请填写串口打印机的串口，例如 /dev/ttyS0。");
    if (settings.kind == Kind::Serial && !validBaud(settings.baud))
        return QStringLiteral("串口波特率只能是 9600、19200、38400 或 115200。");
    if (!validPin(settings.drawerPin)) return QStringLiteral("钱箱只能接在 2 脚或 5 脚。");
    if (!validCopies(settings.copies)) return QStringLiteral("小票份数应为 1 到 3 份。");
    return {};
}

EscposSettings load(const SettingsStore &store) {
    EscposSettings settings;
    const QString kind = store.read(name("kind")).trimmed();
    for (std::size_t i = 0; i < KindNames.size(); ++i)
        if (kind == QLatin1String(KindNames[i])) settings.kind = static_cast<EscposSettings::Kind>(i);
    if (const QString device = store.read(name("device")).trimmed(); !device.isEmpty())
        settings.device = device;
    settings.host = store.read(name("host")).trimmed();
    settings.port = wholeOr(store, "port", settings.port, validPort);
    if (const QString serial = store.read(name("serial")).trimmed(); !serial.isEmpty())
        settings.serialDevice = serial;
    settings.baud = wholeOr(store, "baud", settings.baud, validBaud);
    settings.paper =
        wholeOr(store, "paper", 58, validPaper) == 80 ? escpos::Paper::Mm80 : escpos::Paper::Mm58;
    settings.cut = flagOr(store, "cut", settings.cut);
    settings.drawerPin = wholeOr(store, "drawer_pin", settings.drawerPin, validPin);
    settings.drawerOnCashSale = flagOr(store, "drawer_cash", settings.drawerOnCashSale);
    settings.copies = wholeOr(store, "copies", settings.copies, validCopies);
    return settings;
}

bool save(SettingsStore &store, const EscposSettings &settings, QString *error) {
    if (const QString wrong = problem(settings); !wrong.isEmpty()) {
        if (error) *error = wrong;
        return false;
    }
    const std::vector<std::pair<const char *, QString>> values = {
        {"kind", QLatin1String(KindNames[static_cast<std::size_t>(settings.kind)])},
        {"device", settings.device.trimmed()},
        {"host", settings.host.trimmed()},
        {"port", QString::number(settings.port)},
        {"serial", settings.serialDevice.trimmed()},
        {"baud", QString::number(settings.baud)},
        {"paper", settings.paper == escpos::Paper::Mm80 ? QStringLiteral("80") : QStringLiteral("58")},
        {"cut", flag(settings.cut)},
        {"drawer_pin", QString::number(settings.drawerPin)},
        {"drawer_cash", flag(settings.drawerOnCashSale)},
        {"copies", QString::number(settings.copies)},
    };
    for (const auto &[suffix, value] : values)
        if (!store.write(name(suffix), value, error)) return false;
    return true;
}

} // namespace escpossettings
