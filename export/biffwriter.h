#pragma once
// Writes the records of an Excel 97 worksheet stream: BOF, the code page, text, number and blank cells,
// EOF. Each record is a 16-bit type, a 16-bit data length and the data, little-endian. Texts go out in
// GBK under code page 936, so that a reader in any locale shows the Chinese texts. Records gather in a
// block that goes to the device whenever it is full.
#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <cstdint>

class QIODevice;

class BiffWriter {
  public:
    static constexpr std::uint16_t BofType = 0x0809;
    static constexpr std::uint16_t CodePageType = 0x0042;
    static constexpr std::uint16_t LabelType = 0x0204;
    static constexpr std::uint16_t NumberType = 0x0203;
    static constexpr std::uint16_t RkType = 0x027E;
    static constexpr std::uint16_t BlankType = 0x0201;
    static constexpr std::uint16_t EofType = 0x000A;
    static constexpr std::uint16_t GbkCodePage = 936;
    // The format index of an empty cell.
    static constexpr std::uint16_t BlankFormat = 23;
    // A text cell's length is a 16-bit count of its bytes, within a record whose length is 16-bit too.
    static constexpr int MaxLabelBytes = 0xFFFF - 8;
    // An RK value holds a whole number of 30 bits.
    static constexpr std::int64_t MinRk = -(std::int64_t(1) << 29);
    static constexpr std::int64_t MaxRk = (std::int64_t(1) << 29) - 1;

    // Writes to `device` (not owned), or only into the buffer when it is null.
    explicit BiffWriter(QIODevice *device = nullptr);

    void bof();
    void codePage();
    // A text cell; the text is cut at a whole character when its GBK form would not fit the record.
    void label(int row, int column, const QString &text);
    // A text cell of GBK bytes as gbk() gives them (at most MaxLabelBytes).
    void labelBytes(int row, int column, const char *bytes, std::uint16_t size);
    void number(int row, int column, double value);
    // A whole number as an RK value (value * 4 + 2); within MinRk..MaxRk only.
    void rk(int row, int column, std::int32_t value);
    // A whole number: RK when it fits, otherwise a number cell holding it.
    void integer(int row, int column, std::int64_t value);
    void blank(int row, int column);
    void eof();

    // Sends what is buffered to the device. False when the device refused it (then stays false).
    bool flush();
    bool failed() const { return m_failed; }
    // The records not yet sent (all of them without a device).
    QByteArray buffered() const { return m_buffer.left(m_used); }

    // The GBK bytes of a text, as a text cell holds them (also cut to MaxLabelBytes).
    QByteArray gbk(const QString &text);

  private:
    char *grow(int bytes);
    char *header(std::uint16_t type, std::uint16_t length);
    char *cellHeader(std::uint16_t type, std::uint16_t length, int row, int column, std::uint16_t format);
    void makeRoom(int bytes);

    QIODevice *m_device;
    QByteArray m_buffer; // its whole size is room; the first m_used bytes hold records
    char *m_data = nullptr;
    qsizetype m_used = 0;
    QStringEncoder m_encoder;
    bool m_failed = false;
};
