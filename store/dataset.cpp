#include "store/dataset.h"

#include "store/database.h"
#include "store/datasetloader.h"
#include "store/numbers.h"

#include <QCollator>
#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

Dataset::Dataset() = default;

Dataset::~Dataset() {
    stopLoading();
}

void Dataset::appendText(Column &column, const char *bytes, std::uint32_t length) {
    // A text equal to the one above it (the date of a day's sales, a ticket's number and customer)
    // shares its bytes: cells are never changed in place, a write puts its text at the end.
    const std::size_t rows = column.textLength.size();
    if (length && rows && column.textLength[rows - 1] == length &&
        std::memcmp(m_arena.data() + column.textStart[rows - 1], bytes, length) == 0) {
        column.textStart.push_back(column.textStart[rows - 1]);
        column.textLength.push_back(length);
        return;
    }
    column.textStart.push_back(static_cast<std::uint32_t>(m_arena.size()));
    column.textLength.push_back(length);
    if (length) m_arena.append(bytes, length);
}

void Dataset::swapRows(Dataset &other) {
    std::swap(m_columns, other.m_columns);
    std::swap(m_arena, other.m_arena);
    std::swap(m_base, other.m_base);
    std::swap(m_order, other.m_order);
    std::swap(m_statementOrder, other.m_statementOrder);
    std::swap(m_physicalRows, other.m_physicalRows);
    std::swap(m_idColumn, other.m_idColumn);
    std::swap(m_current, other.m_current);
}

void Dataset::emptyRows() {
    for (auto &column : m_columns) {
        column.numbers.clear();
        column.integers.clear();
        column.textStart.clear();
        column.textLength.clear();
        column.nulls.clear();
        column.allNull = true;
        column.sum = 0;
        column.carry = 0;
    }
    m_arena.clear();
    m_base.clear();
    m_order.clear();
    m_statementOrder.clear();
    m_physicalRows = 0;
    m_idColumn = -1;
    m_current = -1;
}

void Dataset::clear() {
    stopLoading();
    m_spare.reset();
    Dataset empty;
    swapRows(empty);
    m_sortOrder.clear();
    m_loadError.clear();
}

QString Dataset::fieldName(int column) const {
    return column >= 0 && column < columnCount() ? m_columns[column].name : QString();
}

QStringList Dataset::fieldNames() const {
    QStringList names;
    for (const auto &column : m_columns)
        names << column.name;
    return names;
}

int Dataset::fieldIndex(const QString &name) const {
    for (int c = 0; c < columnCount(); ++c)
        if (m_columns[c].name.compare(name, Qt::CaseInsensitive) == 0) return c;
    return -1;
}

QVariant Dataset::value(int row, int column) const {
    if (isNull(row, column)) return {};
    const auto &col = m_columns[column];
    const int r = physical(row);
    switch (col.kind) {
    case Kind::Number:
        return col.numbers[r];
    case Kind::Integer:
        return col.integers[r];
    case Kind::Text:
        return QString::fromUtf8(m_arena.data() + col.textStart[r], col.textLength[r]);
    }
    return {};
}

QString Dataset::text(int row, int column) const {
    if (isNull(row, column)) return {};
    const auto &col = m_columns[column];
    const int r = physical(row);
    switch (col.kind) {
    case Kind::Number:
        return num::general(col.numbers[r]);
    case Kind::Integer:
        return QString::number(col.integers[r]);
    case Kind::Text:
        return QString::fromUtf8(m_arena.data() + col.textStart[r], col.textLength[r]);
    }
    return {};
}

double Dataset::parsedText(const Column &column, int physicalRow) const {
    return num::parse(QString::fromUtf8(m_arena.data() + column.textStart[physicalRow],
                                        column.textLength[physicalRow]))
        .value_or(0.0);
}

qint64 Dataset::id(int row) const {
    if (m_idColumn < 0 || row < 0 || row >= rowCount()) return -1;
    return static_cast<qint64>(number(row, m_idColumn));
}

int Dataset::rowOfId(qint64 wanted) const {
    for (int row = 0; row < rowCount(); ++row)
        if (id(row) == wanted) return row;
    return -1;
}

double Dataset::total(int column) const {
    return column >= 0 && column < columnCount() ? m_columns[column].sum + m_columns[column].carry : 0.0;
}

void Dataset::setCurrentRow(int row) {
    m_current = row >= 0 && row < rowCount() ? row : -1;
}

std::vector<Dataset::SortKey> Dataset::sortKeys(const QString &order) const {
    std::vector<SortKey> keys;
    for (const QString &part : order.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList words = part.simplified().split(QLatin1Char(' '));
        QString field = words.value(0);
        if (field.startsWith(QLatin1Char('[')) && field.endsWith(QLatin1Char(']')))
            field = field.mid(1, field.size() - 2);
        const int column = fieldIndex(field);
        if (column < 0) continue;
        const bool descending =
            words.size() > 1 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        keys.push_back({column, descending});
    }
    return keys;
}

namespace {
template <typename T> int threeWay(const T &a, const T &b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}
} // namespace

int Dataset::compareRows(int a, int b, const std::vector<SortKey> &keys, TextOrder texts) const {
    static const QCollator collator = [] {
        QCollator made;
        made.setNumericMode(false);
        return made;
    }();
    for (const SortKey &key : keys) {
        const auto &col = m_columns[key.column];
        int result = 0;
        const bool nullA = col.nullAt(a);
        if (nullA != col.nullAt(b)) {
            result = nullA ? -1 : 1; // NULL first, as the engine orders them
        } else if (!nullA) {
            switch (col.kind) {
            case Kind::Number:
                result = threeWay(col.numbers[a], col.numbers[b]);
                break;
            case Kind::Integer:
                result = threeWay(col.integers[a], col.integers[b]);
                break;
            case Kind::Text: {
                const std::string_view left(m_arena.data() + col.textStart[a], col.textLength[a]);
                const std::string_view right(m_arena.data() + col.textStart[b], col.textLength[b]);
                if (texts == TextOrder::Bytes) {
                    result = threeWay(left, right);
                } else {
                    result = collator.compare(QString::fromUtf8(left.data(), qsizetype(left.size())),
                                              QString::fromUtf8(right.data(), qsizetype(right.size())));
                }
                break;
            }
            }
        }
        if (result != 0) return key.descending ? -result : result;
    }
    return 0;
}

void Dataset::sort(const QString &order) {
    if (order.isEmpty() && m_sortOrder.isEmpty()) return; // the statement's order already
    finishLoading();
    const std::vector<SortKey> keys = sortKeys(order);
    const qint64 currentId = id(m_current);
    m_sortOrder = order;
    m_order = m_base;
    if (!keys.empty())
        std::stable_sort(m_order.begin(), m_order.end(),
                         [&](int a, int b) { return compareRows(a, b, keys, TextOrder::Language) < 0; });
    if (currentId >= 0) m_current = rowOfId(currentId);
}

int Dataset::physicalOfId(qint64 wanted) const {
    if (m_idColumn < 0) return -1;
    const Column &col = m_columns[m_idColumn];
    for (const int r : m_base) {
        if (col.nullAt(r)) continue;
        const qint64 value = col.kind == Kind::Integer  ? col.integers[r]
                             : col.kind == Kind::Number ? static_cast<qint64>(col.numbers[r])
                                                        : -1;
        if (value == wanted) return r;
    }
    return -1;
}

void Dataset::unlist(int r) {
    for (auto &column : m_columns) {
        if (column.nullAt(r)) continue;
        if (column.kind == Kind::Number)
            column.add(-column.numbers[r]);
        else if (column.kind == Kind::Integer)
            column.add(-static_cast<double>(column.integers[r]));
    }
    m_base.erase(std::find(m_base.begin(), m_base.end(), r));
    m_order.erase(std::find(m_order.begin(), m_order.end(), r));
}

int Dataset::appendPhysicalRow() {
    for (auto &column : m_columns) {
        if (column.allNull) continue; // the new row is NULL there already
        column.nulls.push_back(true);
        switch (column.kind) {
        case Kind::Number:
            column.numbers.push_back(0.0);
            break;
        case Kind::Integer:
            column.integers.push_back(0);
            break;
        case Kind::Text:
            column.textStart.push_back(0);
            column.textLength.push_back(0);
            break;
        }
    }
    return m_physicalRows++;
}

bool Dataset::putRow(const Dataset &source, int sourceRow) {
    finishLoading();
    if (sourceRow < 0 || sourceRow >= source.rowCount() || source.fieldNames() != fieldNames()) return false;
    const std::vector<SortKey> statementKeys = sortKeys(m_statementOrder);
    if (statementKeys.empty()) return false;
    const qint64 currentId = id(m_current);
    const qint64 rowId = source.id(sourceRow);
    if (const int listed = physicalOfId(rowId); listed >= 0) unlist(listed);
    // A fresh physical row: the texts of the old one stay in the arena until the next load.
    const int r = appendPhysicalRow();
    for (int c = 0; c < columnCount(); ++c)
        setCell(m_columns[c], r, source.value(sourceRow, c));
    // Equal keys keep the engine's order of the rows, which is that of their IDs.
    const auto base = std::upper_bound(m_base.begin(), m_base.end(), r, [&](int a, int b) {
        return compareRows(a, b, statementKeys, TextOrder::Bytes) < 0;
    });
    const auto baseRank = base - m_base.begin();
    m_base.insert(base, r);
    const std::vector<SortKey> displayKeys = sortKeys(m_sortOrder);
    if (displayKeys.empty()) {
        m_order.insert(m_order.begin() + baseRank, r);
    } else {
        // A title click sorts stably over the statement's order: ties go by the place in it.
        std::vector<int> rank(static_cast<std::size_t>(m_physicalRows), 0);
        for (std::size_t i = 0; i < m_base.size(); ++i)
            rank[static_cast<std::size_t>(m_base[i])] = static_cast<int>(i);
        const auto shown = std::lower_bound(m_order.begin(), m_order.end(), r, [&](int a, int b) {
            const int byKeys = compareRows(a, b, displayKeys, TextOrder::Language);
            return byKeys != 0 ? byKeys < 0 : rank[a] < rank[b];
        });
        m_order.insert(shown, r);
    }
    m_current = currentId >= 0 ? rowOfId(currentId) : -1;
    if (m_current < 0 && rowCount() > 0) m_current = 0;
    return true;
}

void Dataset::dropRow(qint64 rowId) {
    finishLoading();
    const int listed = physicalOfId(rowId);
    if (listed < 0) return;
    const int oldCurrent = m_current;
    const qint64 currentId = id(m_current);
    unlist(listed);
    // The current row taken out: its place goes to the row after it, as after a deletion.
    if (currentId == rowId)
        m_current = rowCount() > 0 ? std::min(oldCurrent, rowCount() - 1) : -1;
    else
        m_current = currentId >= 0 ? rowOfId(currentId) : -1;
}

bool Dataset::post(Database &database, const QString &table, qint64 rowId, const QStringList &fields,
                   const QVariantList &values) {
    if (fields.isEmpty() || fields.size() != values.size()) return false;
    finishLoading();
    QString statement = QStringLiteral("update ") + table + QStringLiteral(" set ");
    for (int i = 0; i < fields.size(); ++i) {
        if (i) statement += QStringLiteral(", ");
        statement += QLatin1Char('[') + fields[i] + QStringLiteral("]=?");
    }
    statement += QStringLiteral(" where ID=?");
    QVariantList binds = values;
    binds << rowId;
    if (!database.execute(statement, binds)) return false;
    const int row = rowOfId(rowId);
    if (row < 0) return true;
    const int r = physical(row);
    for (int i = 0; i < fields.size(); ++i) {
        const int c = fieldIndex(fields[i]);
        if (c >= 0) setCell(m_columns[c], r, values[i]);
    }
    return true;
}

void Dataset::setCell(Column &column, int r, const QVariant &value) {
    const bool isNull = !value.isValid() || value.isNull();
    if (column.allNull) {
        if (isNull) return;
        column.materialise(m_physicalRows);
    }
    switch (column.kind) {
    case Kind::Number: {
        const double old = column.nulls[r] ? 0.0 : column.numbers[r];
        const double fresh = isNull ? 0.0 : value.toDouble();
        column.numbers[r] = fresh;
        column.add(-old);
        column.add(fresh);
        break;
    }
    case Kind::Integer: {
        const qint64 old = column.nulls[r] ? 0 : column.integers[r];
        const qint64 fresh = isNull ? 0 : value.toLongLong();
        column.integers[r] = fresh;
        column.add(static_cast<double>(fresh - old));
        break;
    }
    case Kind::Text: {
        const QByteArray bytes = isNull ? QByteArray() : value.toString().toUtf8();
        column.textStart[r] = static_cast<std::uint32_t>(m_arena.size());
        column.textLength[r] = static_cast<std::uint32_t>(bytes.size());
        m_arena.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        break;
    }
    }
    column.nulls[r] = isNull;
}

bool Dataset::remove(Database &database, const QString &table, qint64 rowId) {
    finishLoading();
    if (!database.execute(QStringLiteral("delete from ") + table + QStringLiteral(" where ID=?"), {rowId}))
        return false;
    const int row = rowOfId(rowId);
    if (row < 0) return true;
    unlist(physical(row));
    if (m_current >= rowCount()) m_current = rowCount() - 1;
    return true;
}

std::size_t Dataset::memoryBytes() const {
    std::size_t bytes = m_arena.capacity() + (m_base.capacity() + m_order.capacity()) * sizeof(int);
    for (const auto &column : m_columns) {
        bytes += column.numbers.capacity() * sizeof(double) + column.integers.capacity() * sizeof(qint64) +
                 column.textStart.capacity() * sizeof(std::uint32_t) +
                 column.textLength.capacity() * sizeof(std::uint32_t) + column.nulls.capacity() / 8;
    }
    return m_spare ? bytes + m_spare->memoryBytes() : bytes;
}
