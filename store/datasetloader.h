#pragma once
// Filling a dataset's columns in place from an engine's rows (inside store/ only). A cursor is what an
// engine gives row by row: its columns' names and declared kinds, and each cell's type and value.
#include "store/dataset.h"

#include <QString>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

enum class CellType { Null, Integer, Float, Text };

// The rows of one statement still to be read into a dataset.
class RowSource {
  public:
    enum class Step { More, Done, Failed };
    virtual ~RowSource() = default;
    // The statement's columns, with no rows yet.
    virtual void begin(Dataset &set) = 0;
    virtual Step read(Dataset &set, int limit) = 0;
    virtual QString error() const = 0;
};

struct Dataset::Pending {
    Database *database = nullptr;
    std::unique_ptr<RowSource> source;
    int token = 0;
};

class DatasetLoader {
  public:
    static void begin(Dataset &set, int columns) {
        set.emptyRows();
        set.m_columns.resize(static_cast<std::size_t>(columns));
    }
    // A column named "ID" (in any case) is the rows' identity.
    static void setColumn(Dataset &set, int c, const QString &name, Dataset::Kind kind) {
        auto &column = set.m_columns[c];
        column.name = name;
        column.kind = kind;
        if (name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0 && set.m_idColumn < 0)
            set.m_idColumn = c;
    }

    // Appends up to `limit` rows from the cursor; `kindKnown` says per column whether its kind is
    // settled (declared, or seen in a value): an expression column takes the kind of its first value.
    template <class Cursor>
    static RowSource::Step read(Dataset &set, Cursor &cursor, std::vector<bool> &kindKnown, int limit) {
        const int columns = set.columnCount();
        RowSource::Step step = RowSource::Step::More;
        for (int taken = 0; taken < limit; ++taken) {
            step = cursor.step();
            if (step != RowSource::Step::More) break;
            const int rows = set.m_physicalRows;
            for (int c = 0; c < columns; ++c) {
                auto &column = set.m_columns[c];
                const CellType type = cursor.type(c);
                const bool isNull = type == CellType::Null;
                if (isNull && column.allNull) continue;
                if (!kindKnown[c]) {
                    column.kind = type == CellType::Integer ? Dataset::Kind::Integer
                                  : type == CellType::Float ? Dataset::Kind::Number
                                                            : Dataset::Kind::Text;
                    kindKnown[c] = true;
                }
                if (column.allNull) column.materialise(rows);
                column.nulls.push_back(isNull);
                switch (column.kind) {
                case Dataset::Kind::Number: {
                    const double value = isNull ? 0.0 : cursor.toDouble(c);
                    column.numbers.push_back(value);
                    column.add(value);
                    break;
                }
                case Dataset::Kind::Integer: {
                    const qint64 value = isNull ? 0 : cursor.toInt64(c);
                    column.integers.push_back(value);
                    column.add(static_cast<double>(value));
                    break;
                }
                case Dataset::Kind::Text: {
                    const std::string_view bytes = isNull ? std::string_view() : cursor.text(c);
                    set.appendText(column, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
                    if (type == CellType::Integer || type == CellType::Float) column.add(cursor.toDouble(c));
                    break;
                }
                }
            }
            // Rows come in the statement's order and stay in it until a sort, which reads them all.
            set.m_base.push_back(rows);
            set.m_order.push_back(rows);
            set.m_physicalRows = rows + 1;
        }
        if (set.m_current < 0 && set.m_physicalRows > 0) set.m_current = 0;
        return step;
    }
};

// The engines' row sources; nothing (with the engine's message in database.errorText()) when the
// statement cannot run.
std::unique_ptr<RowSource> fileRows(Database &database, const QString &statement, const QVariantList &binds);
std::unique_ptr<RowSource> serverRows(Database &database, const QString &statement, const QVariantList &binds);
