#include "export/biffwriter.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace {
// Records go to the device in blocks of this size.
constexpr qsizetype BlockBytes = 256 * 1024;

void put16(char *at, std::uint16_t value) {
    qToLittleEndian<quint16>(value, at);
}
void put32(char *at, std::uint32_t value) {
    qToLittleEndian<quint32>(value, at);
}

bool isAscii(const QString &text) {
    for (const QChar c : text)
        if (c.unicode() >= 0x80) return false;
    return true;
}

// The longest prefix of GBK bytes that fits `limit` and ends on a whole character (a lead byte from
// 0x81 starts a two-byte character).
qsizetype wholeCharacters(const QByteArray &bytes, qsizetype limit) {
    qsizetype end = 0;
    while (end < bytes.size()) {
        const qsizetype next = end + (static_cast<unsigned char>(bytes[end]) >= 0x81 ? 2 : 1);
        if (next > limit) break;
        end = next;
    }
    return end;
}
} // namespace

BiffWriter::BiffWriter(QIODevice *device)
    // GBK is Windows code page 936; Debian's Qt reaches it through ICU.
    : m_device(device), m_encoder("GBK") {
    m_buffer.resize(BlockBytes);
    m_data = m_buffer.data();
}

char *BiffWriter::grow(int bytes) {
    if (m_used + bytes > m_buffer.size()) makeRoom(bytes);
    char *at = m_data + m_used;
    m_used += bytes;
    return at;
}

void BiffWriter::makeRoom(int bytes) {
    // A full block goes to the device; without one the records stay in memory.
    if (m_device) flush();
    if (m_used + bytes > m_buffer.size()) m_buffer.resize(std::max(2 * m_buffer.size(), m_used + bytes));
    m_data = m_buffer.data();
}

char *BiffWriter::header(std::uint16_t type, std::uint16_t length) {
    char *at = grow(4 + length);
    put16(at, type);
    put16(at + 2, length);
    return at + 4;
}

char *BiffWriter::cellHeader(std::uint16_t type, std::uint16_t length, int row, int column,
                             std::uint16_t format) {
    char *at = header(type, length);
    put16(at, static_cast<std::uint16_t>(row));
    put16(at + 2, static_cast<std::uint16_t>(column));
    put16(at + 4, format);
    return at + 6;
}

void BiffWriter::bof() {
    char *at = header(BofType, 8);
    put16(at, 0x0000);     // version
    put16(at + 2, 0x0010); // a worksheet
    put16(at + 4, 0);
    put16(at + 6, 0);
}

void BiffWriter::codePage() {
    put16(header(CodePageType, 2), GbkCodePage);
}

QByteArray BiffWriter::gbk(const QString &text) {
    QByteArray bytes = isAscii(text) ? text.toLatin1() : QByteArray(m_encoder.encode(text));
    if (bytes.size() > MaxLabelBytes) bytes.truncate(wholeCharacters(bytes, MaxLabelBytes));
    return bytes;
}

void BiffWriter::label(int row, int column, const QString &text) {
    const qsizetype length = text.size();
    // Most cells are short: figures as text, dates, codes. Those in ASCII are their own GBK bytes.
    if (length <= MaxLabelBytes && isAscii(text)) {
        char *at = cellHeader(LabelType, static_cast<std::uint16_t>(8 + length), row, column, 0);
        put16(at, static_cast<std::uint16_t>(length));
        char *bytes = at + 2;
        for (qsizetype i = 0; i < length; ++i)
            bytes[i] = static_cast<char>(text[i].unicode());
    } else if (const qsizetype room = m_encoder.requiredSpace(length); room <= MaxLabelBytes) {
        // Encoded straight into the block; the lengths are known afterwards.
        char *at = grow(static_cast<int>(12 + room));
        char *bytes = at + 12;
        const qsizetype size = m_encoder.appendToBuffer(bytes, text) - bytes;
        m_used -= room - size;
        put16(at, LabelType);
        put16(at + 2, static_cast<std::uint16_t>(8 + size));
        put16(at + 4, static_cast<std::uint16_t>(row));
        put16(at + 6, static_cast<std::uint16_t>(column));
        put16(at + 8, 0);
        put16(at + 10, static_cast<std::uint16_t>(size));
    } else {
        const QByteArray bytes = gbk(text);
        const auto size = static_cast<std::uint16_t>(bytes.size());
        char *at = cellHeader(LabelType, static_cast<std::uint16_t>(8 + size), row, column, 0);
        put16(at, size);
        if (size) std::memcpy(at + 2, bytes.constData(), size);
    }
}

void BiffWriter::labelBytes(int row, int column, const char *bytes, std::uint16_t size) {
    char *at = cellHeader(LabelType, static_cast<std::uint16_t>(8 + size), row, column, 0);
    put16(at, size);
    if (size) std::memcpy(at + 2, bytes, size);
}

void BiffWriter::number(int row, int column, double value) {
    char *at = cellHeader(NumberType, 14, row, column, 0);
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    qToLittleEndian<quint64>(bits, at);
}

void BiffWriter::rk(int row, int column, std::int32_t value) {
    char *at = cellHeader(RkType, 10, row, column, 0);
    put32(at, static_cast<std::uint32_t>(value) * 4u + 2u);
}

void BiffWriter::integer(int row, int column, std::int64_t value) {
    if (value >= MinRk && value <= MaxRk)
        rk(row, column, static_cast<std::int32_t>(value));
    else
        number(row, column, static_cast<double>(value));
}

void BiffWriter::blank(int row, int column) {
    cellHeader(BlankType, 6, row, column, BlankFormat);
}

void BiffWriter::eof() {
    header(EofType, 0);
}

bool BiffWriter::flush() {
    if (!m_device) return true;
    if (!m_failed && m_used > 0 && m_device->write(m_data, m_used) != m_used) m_failed = true;
    m_used = 0;
    return !m_failed;
}
