#pragma once
// A snapshot of the rows of a query, held in memory: client-side sort, a current row, column totals
// computed while loading, and writes of single rows by their ID.
// Texts are kept as UTF-8 in one arena and numbers in flat arrays, so that loading 100k rows is one
// pass with few allocations; a QString is made only when a cell is asked for. The memory of the rows
// before is kept for the next load: a list read again at every keystroke neither grows its buffers
// step by step nor asks the system for fresh pages each time.
#include "store/growbuffer.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class Database;

class Dataset {
  public:
    enum class Kind { Number, Text, Integer };

    Dataset();
    ~Dataset();
    // A set being read in steps is known to its database by its address.
    Dataset(const Dataset &) = delete;
    Dataset &operator=(const Dataset &) = delete;

    // Runs the statement (shop SQL shape, "?" for binds) and replaces the rows. On failure the old rows
    // stay and the engine's message is in database.errorText().
    bool load(Database &database, const QString &statement, const QVariantList &binds = {});
    void clear();

    // Reading a long result in steps, so that a list shows its first rows at once and the rest while
    // the user goes on. startLoading() replaces the rows with the first `firstRows` of the statement
    // (on failure the old rows stay, as with load()); while loading(), loadMore() appends the next ones
    // and finishLoading() the rest. What needs every row finishes first: a sort, a write through the
    // set, putRow/dropRow, and any write on the database (it asks each set it reads for). A title-click
    // order kept from before makes the whole result read at once.
    bool startLoading(Database &database, const QString &statement, const QVariantList &binds, int firstRows);
    bool loading() const { return m_pending != nullptr; }
    // False when the engine failed on the way: the list is then emptied (a part never stands for the
    // whole) and the message is in loadError() and the database's errorText().
    bool loadMore(int rows);
    bool finishLoading();
    QString loadError() const { return m_loadError; }
    // Told of rows appended by loadMore() or finishLoading() (display rows first to last; none, first >
    // last, when the reading ended without more), and of a list emptied by a failure on the way.
    struct LoadObserver {
        std::function<void(int first, int last)> appended;
        std::function<void()> emptied;
    };
    void setLoadObserver(LoadObserver observer) { m_observer = std::move(observer); }

    int rowCount() const { return static_cast<int>(m_order.size()); }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    QString fieldName(int column) const;
    QStringList fieldNames() const;
    // Case-insensitive, as the engine's names are; -1 when the query has no such column.
    int fieldIndex(const QString &name) const;
    Kind kind(int column) const { return m_columns[column].kind; }

    // Cells by row in the current (sorted) order.
    bool isNull(int row, int column) const {
        if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return true;
        return m_columns[column].nullAt(physical(row));
    }
    QVariant value(int row, int column) const;
    QString text(int row, int column) const;  // numbers in the general format, NULL as ""
    // The UTF-8 bytes of a text cell as stored (empty for NULL and for a number column), valid until
    // the rows change; for writers that need no QString per cell.
    std::string_view utf8(int row, int column) const {
        if (isNull(row, column) || m_columns[column].kind != Kind::Text) return {};
        const auto &col = m_columns[column];
        const int r = physical(row);
        return {m_arena.data() + col.textStart[r], col.textLength[r]};
    }
    // Texts parsed as the engine would, NULL as 0.
    double number(int row, int column) const {
        if (isNull(row, column)) return 0;
        const auto &col = m_columns[column];
        const int r = physical(row);
        if (col.kind == Kind::Number) return col.numbers[r];
        if (col.kind == Kind::Integer) return static_cast<double>(col.integers[r]);
        return parsedText(col, r);
    }
    QVariant value(int row, const QString &field) const { return value(row, fieldIndex(field)); }
    QString text(int row, const QString &field) const { return text(row, fieldIndex(field)); }
    double number(int row, const QString &field) const { return number(row, fieldIndex(field)); }
    // The "ID" column of a row; -1 when the query has none.
    qint64 id(int row) const;
    // The row holding an ID, or -1.
    int rowOfId(qint64 id) const;

    // Sum of a column over the rows listed (numbers only; texts and NULLs count 0).
    double total(int column) const;
    double total(const QString &field) const { return total(fieldIndex(field)); }

    // "field", "field DESC", "field ASC", several separated by commas; an empty text restores the order
    // of the query. Unknown fields are ignored. Stable.
    void sort(const QString &order);
    QString sortOrder() const { return m_sortOrder; }

    int currentRow() const { return m_current; }
    void setCurrentRow(int row);

    // Updates one row of a table by its ID and mirrors the change in the snapshot (if the row is listed).
    bool post(Database &database, const QString &table, qint64 id, const QStringList &fields,
              const QVariantList &values);
    // Deletes one row of a table by its ID and drops it from the snapshot.
    bool remove(Database &database, const QString &table, qint64 id);

    // Keeping the snapshot in step with one changed row instead of running the statement again.
    // The order the statement lists its rows in, as sort keys ("day1, ID"; "ID"; empty when unknown),
    // compared as the engine compares them: NULL first, numbers before texts, texts by their bytes.
    void setStatementOrder(const QString &order) { m_statementOrder = order; }
    QString statementOrder() const { return m_statementOrder; }
    // Puts row `sourceRow` of `source` (a set of the same columns, read by the same statement) into the
    // list, in place of the listed row with its ID if there is one: at the place the statement's order
    // gives it, and shown where the current sort puts it. The totals follow; the current row stays on
    // its ID. False (nothing changed) when the statement's order is unknown or the columns differ.
    bool putRow(const Dataset &source, int sourceRow);
    // Takes the row with this ID out of the list (not out of the table), the totals with it.
    void dropRow(qint64 id);

    // Memory held by the rows, for the benchmarks.
    std::size_t memoryBytes() const;

  private:
    struct Column {
        QString name;
        Kind kind = Kind::Text;
        GrowBuffer<double> numbers;          // Number
        GrowBuffer<qint64> integers;         // Integer
        GrowBuffer<std::uint32_t> textStart; // Text: offsets into m_arena, size rows + 0
        GrowBuffer<std::uint32_t> textLength;
        std::vector<bool> nulls;
        // No value in any row so far: nothing is kept per row until the first one comes. A table's
        // spare columns (most of data1's) then cost a long list nothing.
        bool allNull = true;
        bool nullAt(int physicalRow) const { return allNull || nulls[physicalRow]; }
        // Storage for `rows` NULL rows of the column's kind, so that values can follow.
        void materialise(int rows) {
            nulls.assign(static_cast<std::size_t>(rows), true);
            numbers.assign(kind == Kind::Number ? rows : 0, 0.0);
            integers.assign(kind == Kind::Integer ? rows : 0, 0);
            textStart.assign(kind == Kind::Text ? rows : 0, 0);
            textLength.assign(kind == Kind::Text ? rows : 0, 0);
            allNull = false;
        }
        // Added with a running compensation (Neumaier): a million figures add up to what they add up
        // to, not to that plus the rounding of every step.
        double sum = 0;
        double carry = 0;
        void add(double value) {
            const double next = sum + value;
            carry += std::fabs(sum) >= std::fabs(value) ? (sum - next) + value : (value - next) + sum;
            sum = next;
        }
    };
    friend class DatasetLoader;
    struct Pending; // the statement still being read

    // Exchanges the rows (not the loading state, the observer or the kept memory) with another set.
    void swapRows(Dataset &other);
    // No rows, no columns' values; the memory stays for the next load.
    void emptyRows();
    void stopLoading();

    struct SortKey {
        int column;
        bool descending;
    };
    int physical(int row) const { return m_order[row]; }
    double parsedText(const Column &column, int physicalRow) const;
    void setCell(Column &column, int physicalRow, const QVariant &value);
    void appendText(Column &column, const char *bytes, std::uint32_t length);
    std::vector<SortKey> sortKeys(const QString &order) const;
    // The physical row listed with this ID, or -1.
    int physicalOfId(qint64 id) const;
    void unlist(int physicalRow);
    int appendPhysicalRow();
    // Texts by their bytes, as the engine orders them, or as the user's language sorts them (a title
    // click).
    enum class TextOrder { Bytes, Language };
    // Three-way comparison of two physical rows by the keys.
    int compareRows(int a, int b, const std::vector<SortKey> &keys, TextOrder texts) const;

    std::vector<Column> m_columns;
    GrowBuffer<char> m_arena;
    std::vector<int> m_base;  // listed rows, in the statement's order, as physical row numbers
    std::vector<int> m_order; // the same rows in display order
    QString m_statementOrder;
    int m_physicalRows = 0;
    int m_idColumn = -1;
    int m_current = -1;
    QString m_sortOrder;
    std::unique_ptr<Pending> m_pending;
    std::unique_ptr<Dataset> m_spare; // the rows of the load before: the next load reuses their memory
    LoadObserver m_observer;
    QString m_loadError;
};
