// Rows of a statement on the shop's server, read whole in one round trip and then taken into the
// dataset in steps like the file's. The connection is free again as soon as the result is in.
#include "store/database.h"
#include "store/datasetloader.h"
#include "store/serverconnection.h"
#include "store/servervalues.h"

#include <charconv>
#include <libpq-fe.h>

namespace {
class ResultCursor {
  public:
    explicit ResultCursor(PGresult *result) : m_result(result), m_rows(PQntuples(result)) {
        const int columns = PQnfields(result);
        for (int c = 0; c < columns; ++c) {
            const Dataset::Kind kind = serverKindOf(PQftype(result, c));
            m_types.push_back(kind == Dataset::Kind::Integer  ? CellType::Integer
                              : kind == Dataset::Kind::Number ? CellType::Float
                                                              : CellType::Text);
        }
    }
    RowSource::Step step() { return ++m_row < m_rows ? RowSource::Step::More : RowSource::Step::Done; }
    CellType type(int c) const { return PQgetisnull(m_result, m_row, c) ? CellType::Null : m_types[c]; }
    double toDouble(int c) const {
        const std::string_view digits = text(c);
        double value = 0;
        if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc()) {
            if (digits == "Infinity") return std::numeric_limits<double>::infinity();
            if (digits == "-Infinity") return -std::numeric_limits<double>::infinity();
        }
        return value;
    }
    qint64 toInt64(int c) const {
        const std::string_view digits = text(c);
        qint64 value = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return value;
    }
    std::string_view text(int c) const {
        return {PQgetvalue(m_result, m_row, c), static_cast<std::size_t>(PQgetlength(m_result, m_row, c))};
    }

  private:
    PGresult *m_result;
    int m_rows;
    int m_row = -1;
    std::vector<CellType> m_types;
};

class ServerRows : public RowSource {
  public:
    explicit ServerRows(PGresult *result) : m_result(result), m_cursor(result) {}
    ~ServerRows() override { PQclear(m_result); }
    void begin(Dataset &set) override {
        const int columns = PQnfields(m_result);
        DatasetLoader::begin(set, columns);
        m_kindKnown.assign(static_cast<std::size_t>(columns), true);
        for (int c = 0; c < columns; ++c) {
            // Names the statement did not quote come back in small letters; the shop's identity
            // column is "ID" on either engine.
            QString name = QString::fromUtf8(PQfname(m_result, c));
            if (name == QLatin1String("id")) name = QStringLiteral("ID");
            DatasetLoader::setColumn(set, c, name, serverKindOf(PQftype(m_result, c)));
        }
    }
    Step read(Dataset &set, int limit) override { return DatasetLoader::read(set, m_cursor, m_kindKnown, limit); }
    QString error() const override { return {}; }

  private:
    PGresult *m_result;
    ResultCursor m_cursor;
    std::vector<bool> m_kindKnown;
};
} // namespace

std::unique_ptr<RowSource> serverRows(Database &database, const QString &statementText,
                                      const QVariantList &binds) {
    PGresult *result = serverconnection::run(database, statementText, binds);
    if (!result) return nullptr;
    return std::make_unique<ServerRows>(result);
}
