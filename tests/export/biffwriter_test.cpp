// The records of the worksheet stream byte by byte: each kind with its type, length and data, texts in
// GBK, whole numbers as RK values while they fit, and the buffer reaching the device whole.
#include "export/biffwriter.h"
#include "tests/support/typing.h"

#include <QBuffer>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

namespace {
QByteArray hex(const char *text) {
    return QByteArray::fromHex(text);
}

struct RecordCase {
    const char *what;
    std::function<void(BiffWriter &)> write;
    const char *bytes;
};

const RecordCase kRecords[] = {
    {"BOF of a worksheet", [](BiffWriter &w) { w.bof(); }, "0908 0800 0000 1000 0000 0000"},
    {"code page 936", [](BiffWriter &w) { w.codePage(); }, "4200 0200 a803"},
    {"ASCII text", [](BiffWriter &w) { w.label(1, 2, QStringLiteral("ab")); },
     "0402 0a00 0100 0200 0000 0200 6162"},
    {"Chinese text in GBK", [](BiffWriter &w) { w.label(0, 3, u("商品")); },
     "0402 0c00 0000 0300 0000 0400 c9cc c6b7"},
    {"empty text", [](BiffWriter &w) { w.label(4, 0, QString()); }, "0402 0800 0400 0000 0000 0000"},
    {"number 3 in a float field", [](BiffWriter &w) { w.number(4, 5, 3.0); },
     "0302 0e00 0400 0500 0000 0000 0000 0000 0840"},
    {"number -0.5", [](BiffWriter &w) { w.number(2, 1, -0.5); },
     "0302 0e00 0200 0100 0000 0000 0000 0000 e0bf"},
    {"integer 7 as RK 30", [](BiffWriter &w) { w.integer(4, 6, 7); }, "7e02 0a00 0400 0600 0000 1e00 0000"},
    {"integer -3 as RK -10", [](BiffWriter &w) { w.integer(0, 0, -3); },
     "7e02 0a00 0000 0000 0000 f6ff ffff"},
    {"largest RK integer", [](BiffWriter &w) { w.integer(0, 0, BiffWriter::MaxRk); },
     "7e02 0a00 0000 0000 0000 feff ff7f"},
    {"integer past RK as a number", [](BiffWriter &w) { w.integer(0, 0, std::int64_t(1) << 29); },
     "0302 0e00 0000 0000 0000 0000 0000 0000 c041"},
    {"smallest RK integer", [](BiffWriter &w) { w.integer(0, 0, BiffWriter::MinRk); },
     "7e02 0a00 0000 0000 0000 0200 0080"},
    {"integer below RK as a number", [](BiffWriter &w) { w.integer(0, 0, BiffWriter::MinRk - 1); },
     "0302 0e00 0000 0000 0000 0000 8000 0000 c0c1"},
    {"blank with format 23", [](BiffWriter &w) { w.blank(5, 1); }, "0102 0600 0500 0100 1700"},
    {"EOF", [](BiffWriter &w) { w.eof(); }, "0a00 0000"},
};
} // namespace

TEST(BiffWriterTest, EachRecordKindHasItsExactBytes) {
    for (const RecordCase &c : kRecords) {
        BiffWriter writer;
        c.write(writer);
        EXPECT_EQ(writer.buffered().toHex(' '), hex(c.bytes).toHex(' ')) << c.what;
    }
}

TEST(BiffWriterTest, ATextTooLongForItsRecordIsCutAtAWholeCharacter) {
    BiffWriter writer;
    writer.label(0, 0, QStringLiteral("a") + u("商").repeated(40000));
    const QByteArray &bytes = writer.buffered();
    const int textBytes = qFromLittleEndian<quint16>(bytes.constData() + 10);
    EXPECT_EQ(textBytes, 1 + 2 * 32763) << "the most whole characters within the 16-bit lengths";
    EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 2), 8 + textBytes);
    EXPECT_EQ(bytes.size(), 4 + 8 + textBytes);
    EXPECT_EQ(bytes.right(2), hex("c9cc"));
}

TEST(BiffWriterTest, RecordsReachTheDeviceWholeAndInOrderAndARefusedWriteIsKnown) {
    const auto writeMany = [](BiffWriter &writer) {
        writer.bof();
        for (int row = 0; row < 40000; ++row) {
            writer.label(row, 0, u("鼠标") + QString::number(row));
            writer.number(row, 1, row * 0.25);
        }
        writer.eof();
    };
    BiffWriter inMemory;
    writeMany(inMemory);

    QBuffer device;
    device.open(QIODevice::WriteOnly);
    BiffWriter toDevice(&device);
    writeMany(toDevice);
    ASSERT_TRUE(toDevice.flush());
    EXPECT_GT(inMemory.buffered().size(), 1 << 20) << "more than one block";
    EXPECT_EQ(device.data(), inMemory.buffered());

    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    BiffWriter refused(&readOnly);
    refused.bof();
    EXPECT_FALSE(refused.flush());
    EXPECT_TRUE(refused.failed());
}
