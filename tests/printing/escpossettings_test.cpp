// The raw receipt printer's settings in the settings store: written and read back whole, a stored
// value that is not allowed read as its default, settings with a problem refused before anything is
// written, and the link and receipt options they stand for.
#include "printing/escpossettings.h"
#include "store/settingsstore.h"
#include "tests/support/typing.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using Kind = EscposSettings::Kind;

class EscposSettingsTest : public ::testing::Test {
  protected:
    QTemporaryDir m_dir;
    SettingsStore m_store{m_dir.filePath(QStringLiteral("tuomei/vov.ini"))};
};

TEST_F(EscposSettingsTest, WhatIsSavedIsReadBack) {
    EscposSettings network;
    network.kind = Kind::Network;
    network.host = u("192.168.1.50");
    network.port = 9101;
    network.paper = escpos::Paper::Mm80;
    network.cut = false;
    network.drawerPin = 5;
    network.drawerOnCashSale = true;
    network.copies = 3;
    EscposSettings serial;
    serial.kind = Kind::Serial;
    serial.serialDevice = u("/dev/ttyUSB0");
    serial.baud = 115200;
    EscposSettings usb;
    usb.kind = Kind::Device;
    usb.device = u("/dev/usb/lp1");
    for (const EscposSettings &settings : {network, serial, usb, EscposSettings{}}) {
        QString error;
        ASSERT_TRUE(escpossettings::save(m_store, settings, &error)) << error.toStdString();
        EXPECT_EQ(escpossettings::load(m_store), settings);
    }
    // Other values of the key are left alone.
    m_store.write(u("pos1"), u("小票"));
    escpossettings::save(m_store, network);
    EXPECT_EQ(m_store.read(u("pos1")), u("小票"));
}

TEST_F(EscposSettingsTest, AValueThatIsNotAllowedReadsAsItsDefault) {
    EXPECT_EQ(escpossettings::load(m_store), EscposSettings{}) << "no key at all";
    const struct {
        const char *name, *value;
    } stored[] = {
        {"escpos_kind", "bluetooth"}, {"escpos_port", "70000"},    {"escpos_baud", "4800"},
        {"escpos_paper", "76"},       {"escpos_cut", "maybe"},     {"escpos_drawer_pin", "3"},
        {"escpos_copies", "0"},       {"escpos_drawer_cash", "1"}, {"escpos_device", "  "},
    };
    for (const auto &s : stored)
        m_store.write(QLatin1String(s.name), QLatin1String(s.value));
    EXPECT_EQ(escpossettings::load(m_store), EscposSettings{});
    m_store.write(u("escpos_copies"), u("4"));
    m_store.write(u("escpos_port"), u("abc"));
    EXPECT_EQ(escpossettings::load(m_store), EscposSettings{});
}

TEST_F(EscposSettingsTest, SettingsWithAProblemAreRefusedAndNothingIsWritten) {
    const auto with = [](auto change) {
        EscposSettings settings;
        change(settings);
        return settings;
    };
    const struct {
        EscposSettings settings;
        const char *problem;
    } cases[] = {
        {with([](auto &s) { s.kind = Kind::Device, s.device = u(" "); }),
         "请填写USB打印机的设备文件，例如 /dev/usb/lp0。"},
        {with([](auto &s) { s.kind = Kind::Network; }), "请填写网络打印机的地址。"},
        {with([](auto &s) { s.kind = Kind::Network, s.host = u("p"), s.port = 0; }),
         "网络打印机的端口应在 1 到 65535 之间（一般为 9100）。"},
        {with([](auto &s) { s.kind = Kind::Serial, s.serialDevice = QString(); }),
         "请填写串口打印机的串口，例如 /dev/ttyS0。"},
        {with([](auto &s) { s.kind = Kind::Serial, s.baud = 4800; }),
         "串口波特率只能是 9600、19200、38400 或 115200。"},
        {with([](auto &s) { s.drawerPin = 1; }), "钱箱只能接在 2 脚或 5 脚。"},
        {with([](auto &s) { s.copies = 4; }), "小票份数应为 1 到 3 份。"},
        {with([](auto &s) { s.copies = 0; }), "小票份数应为 1 到 3 份。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.problem);
        EXPECT_EQ(escpossettings::problem(c.settings), u(c.problem));
        QString error;
        EXPECT_FALSE(escpossettings::save(m_store, c.settings, &error));
        EXPECT_EQ(error, u(c.problem));
        EXPECT_FALSE(QFile::exists(m_store.path())) << "written although refused";
    }
    // The fields of another kind need not be filled in.
    EXPECT_TRUE(escpossettings::problem(with([](auto &s) {
                    s.kind = Kind::System, s.host = QString(), s.port = 0;
                })).isEmpty());
}

TEST_F(EscposSettingsTest, AStoreThatCannotBeWrittenIsReported) {
    // The settings folder's place is taken by a file.
    QFile(m_dir.filePath(u("tuomei"))).open(QIODevice::WriteOnly);
    QString error;
    EXPECT_FALSE(escpossettings::save(m_store, EscposSettings{}, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(EscposSettingsUse, TheLinkAndTheOptionsFollowTheSettings) {
    EscposSettings settings;
    settings.kind = Kind::Serial;
    settings.serialDevice = u(" /dev/ttyS1 ");
    settings.baud = 38400;
    settings.drawerPin = 5;
    settings.drawerOnCashSale = true;
    settings.copies = 2;
    settings.paper = escpos::Paper::Mm80;
    const escpos::Link serial = settings.link();
    EXPECT_EQ(serial.kind, escpos::LinkKind::Serial);
    EXPECT_EQ(serial.path, u("/dev/ttyS1"));
    EXPECT_EQ(serial.baud, 38400);
    settings.kind = Kind::Network;
    settings.host = u("10.0.0.9");
    settings.port = 9101;
    const escpos::Link network = settings.link();
    EXPECT_EQ(network.kind, escpos::LinkKind::Network);
    EXPECT_EQ(escpos::describe(network), u("网络打印机 10.0.0.9:9101"));
    settings.kind = Kind::Device;
    EXPECT_EQ(settings.link().path, u("/dev/usb/lp0"));

    EXPECT_EQ(settings.options(true).drawerPin, 5);
    EXPECT_EQ(settings.options(false).drawerPin, 0) << "no pulse unless the sale asks for it";
    settings.drawerOnCashSale = false;
    EXPECT_EQ(settings.options(true).drawerPin, 0) << "no pulse unless the setting asks for it";
    EXPECT_EQ(settings.options(true).copies, 2);
    EXPECT_EQ(settings.options(true).paper, escpos::Paper::Mm80);
    EXPECT_TRUE(settings.options(true).cut);
}
} // namespace
