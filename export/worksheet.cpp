#include "export/worksheet.h"

#include "export/biffwriter.h"
#include "store/dataset.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

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

// The GBK bytes of the texts met so far: a shop's list repeats its names, categories and customers.
// The keys point into the rows, which stay as they are while the sheet is written.
using GbkTexts = std::unordered_map<std::string_view, QByteArray>;

void writeText(BiffWriter &out, int row, int column, std::string_view utf8, GbkTexts &known) {
    const bool ascii =
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && utf8.size() <= std::size_t(BiffWriter::MaxLabelBytes)) {
        out.labelBytes(row, column, utf8.data(), static_cast<std::uint16_t>(utf8.size())); // its own GBK
        return;
    }
    auto found = known.find(utf8);
    if (found == known.end())
        found = known.emplace(utf8, out.gbk(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())))).first;
    const QByteArray &bytes = found->second;
    out.labelBytes(row, column, bytes.constData(), static_cast<std::uint16_t>(bytes.size()));
}

void writeCell(BiffWriter &out, int row, int column, const Dataset &rows, int record, int field,
               GbkTexts &known) {
    if (field < 0 || rows.isNull(record, field)) {
        out.blank(row, column);
        return;
    }
    switch (rows.kind(field)) {
    case Dataset::Kind::Integer:
        out.integer(row, column, static_cast<std::int64_t>(rows.number(record, field)));
        break;
    case Dataset::Kind::Number:
        out.number(row, column, rows.number(record, field));
        break;
    case Dataset::Kind::Text:
        writeText(out, row, column, rows.utf8(record, field), known);
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
    GbkTexts known;
    known.reserve(4096);
    for (int record = 0; record < records; ++record, ++row) {
        for (std::size_t c = 0; c < shown.size(); ++c)
            writeCell(out, row, static_cast<int>(c), rows, record, shown[c]->field, known);
        if (afterRecord) afterRecord(record + 1);
    }

    if (sheet.totalsRow)
        for (std::size_t c = 0; c < shown.size(); ++c)
            out.label(row, static_cast<int>(c), shown[c]->footerText);
    out.eof();
}

} // namespace worksheet
