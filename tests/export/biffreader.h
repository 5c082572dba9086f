#pragma once
// Reads back the records of an exported worksheet for the tests: every record with its type and data,
// and the cells by row and column with their kind, text (from GBK) or number, and format index.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QtEndian>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

struct BiffRecord {
    quint16 type = 0;
    QByteArray data;
};

struct BiffCell {
    quint16 type = 0;  // the record's type: LABEL, NUMBER, RK or BLANK
    QString text;      // LABEL
    double number = 0; // NUMBER, RK
    quint32 rk = 0;    // RK: the raw value
    quint16 format = 0;
};

inline quint16 biff16(const QByteArray &data, int at) {
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// The records in order; `ok` is false when the stream does not end exactly with a whole record.
inline std::vector<BiffRecord> biffRecords(const QByteArray &bytes, bool *ok = nullptr) {
    std::vector<BiffRecord> records;
    int at = 0;
    while (at + 4 <= bytes.size()) {
        const quint16 type = biff16(bytes, at);
        const quint16 length = biff16(bytes, at + 2);
        if (at + 4 + length > bytes.size()) break;
        records.push_back({type, bytes.mid(at + 4, length)});
        at += 4 + length;
    }
    if (ok) *ok = at == bytes.size();
    return records;
}

class BiffSheet {
  public:
    explicit BiffSheet(const QByteArray &bytes) : m_bytes(bytes) {
        m_records = biffRecords(bytes, &m_whole);
        QStringDecoder gbk("GBK");
        for (const BiffRecord &r : m_records) {
            if (r.data.size() < 6) continue;
            BiffCell cell;
            cell.type = r.type;
            cell.format = biff16(r.data, 4);
            const int row = biff16(r.data, 0), column = biff16(r.data, 2);
            switch (r.type) {
            case 0x0204:
                cell.text = gbk.decode(r.data.mid(8, biff16(r.data, 6)));
                break;
            case 0x0203: {
                quint64 bits = qFromLittleEndian<quint64>(r.data.constData() + 6);
                std::memcpy(&cell.number, &bits, sizeof bits);
                break;
            }
            case 0x027E:
                cell.rk = qFromLittleEndian<quint32>(r.data.constData() + 6);
                cell.number = static_cast<qint32>(cell.rk) >> 2;
                break;
            case 0x0201:
                break;
            default:
                continue;
            }
            m_cells[{row, column}] = cell;
        }
    }
    static BiffSheet fromFile(const QString &path) {
        QFile file(path);
        return BiffSheet(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }

    const QByteArray &bytes() const { return m_bytes; }
    const std::vector<BiffRecord> &records() const { return m_records; }
    bool whole() const { return m_whole; }
    bool has(int row, int column) const { return m_cells.count({row, column}) > 0; }
    BiffCell cell(int row, int column) const {
        const auto found = m_cells.find({row, column});
        return found == m_cells.end() ? BiffCell{} : found->second;
    }
    QString text(int row, int column) const { return cell(row, column).text; }
    // The cells of one row, from column 0 up to the first column without a cell.
    int width(int row) const {
        int column = 0;
        while (has(row, column))
            ++column;
        return column;
    }
    int lastRow() const { return m_cells.empty() ? -1 : m_cells.rbegin()->first.first; }

  private:
    QByteArray m_bytes;
    std::vector<BiffRecord> m_records;
    std::map<std::pair<int, int>, BiffCell> m_cells;
    bool m_whole = false;
};
