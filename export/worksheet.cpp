#include "export/worksheet.h"

#include "export/biffwriter.h"
#include "export/gbktexts.h"
#include "store/dataset.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace worksheet {

namespace {
// The author's and the time's columns of the second row, and the title's column of the first.
constexpr int TitleColumn = 3;
constexpr int TimeColumn = 5;

bool hasPeriod(const Sheet &sheet) {
    return !sheet.beginDate.trimmed().isEmpty() || !sheet.endDate.trimmed().isEmpty();
}

// The row of the author and the time: one lower when the period texts took the second row.
int authorRow(const Sheet &sheet) {
    return hasPeriod(sheet) ? 2 : 1;
}

std::vector<const Column *> visibleColumns(const Sheet &sheet) {
    std::vector<const Column *> shown;
    for (const Column &column : sheet.columns)
        if (column.visible) shown.push_back(&column);
    return shown;
}

bool isAscii(std::string_view text) {
    std::size_t at = 0;
    for (; at + 8 <= text.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + at, 8);
        if (word & 0x8080808080808080ull) return false;
    }
    for (; at < text.size(); ++at)
        if (static_cast<unsigned char>(text[at]) >= 0x80) return false;
    return true;
}

void writeText(BiffWriter &out, int row, int column, std::string_view utf8, GbkTexts &known) {
    const std::string_view bytes =
        isAscii(utf8) && utf8.size() <= std::size_t(BiffWriter::MaxLabelBytes) ? utf8 // its own GBK
                                                                                : known.bytesOf(utf8);
    out.labelBytes(row, column, bytes.data(), static_cast<std::uint16_t>(bytes.size()));
}

// One cell of a record as read from the rows.
struct Cell {
    enum class Kind : std::uint8_t { Blank, Integer, Number, Text } kind = Kind::Blank;
    double number = 0;
    std::string_view text;
};

// The records are read a block at a time, one column after another, and then written row by row.
// Read cell by cell along a row, every column's arrays would be walked at once, more than the
// processor follows ahead, and most reads would wait for memory.
constexpr int BlockRecords = 256;

void readBlock(const Dataset &rows, const std::vector<const Column *> &shown, int first, int count,
               std::vector<Cell> &cells) {
    const std::size_t width = shown.size();
    for (std::size_t c = 0; c < width; ++c) {
        const int field = shown[c]->field;
        const Dataset::Kind kind = field < 0 ? Dataset::Kind::Text : rows.kind(field);
        for (int i = 0; i < count; ++i) {
            Cell &cell = cells[std::size_t(i) * width + c];
            const int record = first + i;
            if (field < 0 || rows.isNull(record, field)) {
                cell.kind = Cell::Kind::Blank;
            } else if (kind == Dataset::Kind::Text) {
                cell.kind = Cell::Kind::Text;
                cell.text = rows.utf8(record, field);
            } else {
                cell.kind = kind == Dataset::Kind::Integer ? Cell::Kind::Integer : Cell::Kind::Number;
                cell.number = rows.number(record, field);
            }
        }
    }
}

void writeCell(BiffWriter &out, int row, int column, const Cell &cell, GbkTexts &known) {
    switch (cell.kind) {
    case Cell::Kind::Blank:
        out.blank(row, column);
        break;
    case Cell::Kind::Integer:
        out.integer(row, column, static_cast<std::int64_t>(cell.number));
        break;
    case Cell::Kind::Number:
        out.number(row, column, cell.number);
        break;
    case Cell::Kind::Text:
        writeText(out, row, column, cell.text, known);
        break;
    }
}
} // namespace

QStringList titleLevels(const QString &caption) {
    return caption.split(QLatin1Char('|'));
}

int titleRowCount(const std::vector<Column> &columns) {
    int levels = 0;
    for (const Column &column : columns)
        levels = std::max(levels, static_cast<int>(titleLevels(column.caption).size()));
    return levels;
}

qint64 rowsNeeded(const Sheet &sheet, int records) {
    return authorRow(sheet) + 1 + titleRowCount(sheet.columns) + qint64(records) + (sheet.totalsRow ? 1 : 0);
}

void write(BiffWriter &out, const Sheet &sheet, const Dataset &rows,
           const std::function<void(int record)> &afterRecord) {
    out.bof();
    out.codePage();

    out.label(0, TitleColumn, sheet.title);
    if (!sheet.beginDate.trimmed().isEmpty()) out.label(1, 0, sheet.beginDate);
    if (!sheet.endDate.trimmed().isEmpty()) out.label(1, TimeColumn, sheet.endDate);
    int row = authorRow(sheet);
    out.label(row, 0, QStringLiteral("制表人：") + sheet.userName);
    out.label(row, TimeColumn, QStringLiteral("制表时间：") + sheet.madeAt);
    ++row;

    const std::vector<const Column *> shown = visibleColumns(sheet);
    std::vector<QStringList> levels;
    for (const Column *column : shown)
        levels.push_back(titleLevels(column->caption));
    const int titleRows = titleRowCount(sheet.columns);
    for (int level = 0; level < titleRows; ++level, ++row)
        for (std::size_t c = 0; c < shown.size(); ++c)
            out.label(row, static_cast<int>(c), levels[c].value(level));

    const int records = rows.rowCount();
    GbkTexts known(out);
    std::vector<Cell> cells(BlockRecords * shown.size());
    for (int first = 0; first < records; first += BlockRecords) {
        const int count = std::min(BlockRecords, records - first);
        readBlock(rows, shown, first, count, cells);
        for (int i = 0; i < count; ++i, ++row) {
            const Cell *cell = cells.data() + std::size_t(i) * shown.size();
            for (std::size_t c = 0; c < shown.size(); ++c)
                writeCell(out, row, static_cast<int>(c), cell[c], known);
            if (afterRecord) afterRecord(first + i + 1);
        }
    }

    if (sheet.totalsRow)
        for (std::size_t c = 0; c < shown.size(); ++c)
            out.label(row, static_cast<int>(c), shown[c]->footerText);
    out.eof();
}

} // namespace worksheet
