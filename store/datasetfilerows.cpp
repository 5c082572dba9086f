// Rows of a statement on data.mdb, read straight from the engine's statement in steps.
#include "store/database.h"
#include "store/datasetloader.h"

#include <sqlite3.h>

namespace {
Dataset::Kind kindOfDeclaration(const char *declared) {
    if (!declared) return Dataset::Kind::Text;
    const QByteArray type = QByteArray(declared).toUpper();
    if (type.contains("INT")) return Dataset::Kind::Integer;
    if (type.contains("REAL") || type.contains("FLOA") || type.contains("DOUB") || type.contains("NUM"))
        return Dataset::Kind::Number;
    return Dataset::Kind::Text;
}

bool bindValue(sqlite3_stmt *statement, int index, const QVariant &value) {
    if (!value.isValid() || value.isNull()) return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(statement, index, value.toDouble()) == SQLITE_OK;
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, text.constData(), static_cast<int>(text.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

class StatementCursor {
  public:
    explicit StatementCursor(sqlite3_stmt *statement) : m_statement(statement) {}
    RowSource::Step step() {
        m_rc = sqlite3_step(m_statement);
        return m_rc == SQLITE_ROW ? RowSource::Step::More
               : m_rc == SQLITE_DONE ? RowSource::Step::Done
                                     : RowSource::Step::Failed;
    }
    CellType type(int c) const {
        switch (sqlite3_column_type(m_statement, c)) {
        case SQLITE_NULL:
            return CellType::Null;
        case SQLITE_INTEGER:
            return CellType::Integer;
        case SQLITE_FLOAT:
            return CellType::Float;
        default:
            return CellType::Text;
        }
    }
    double toDouble(int c) const { return sqlite3_column_double(m_statement, c); }
    qint64 toInt64(int c) const { return sqlite3_column_int64(m_statement, c); }
    std::string_view text(int c) const {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, c));
        return bytes ? std::string_view(bytes, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, c)))
                     : std::string_view();
    }

  private:
    sqlite3_stmt *m_statement;
    int m_rc = SQLITE_ROW;
};

class FileRows : public RowSource {
  public:
    explicit FileRows(sqlite3_stmt *statement) : m_statement(statement), m_cursor(statement) {}
    ~FileRows() override { sqlite3_finalize(m_statement); }
    void begin(Dataset &set) override {
        const int columns = sqlite3_column_count(m_statement);
        DatasetLoader::begin(set, columns);
        m_kindKnown.assign(static_cast<std::size_t>(columns), false);
        for (int c = 0; c < columns; ++c) {
            const char *declared = sqlite3_column_decltype(m_statement, c);
            DatasetLoader::setColumn(set, c, QString::fromUtf8(sqlite3_column_name(m_statement, c)),
                                     kindOfDeclaration(declared));
            m_kindKnown[c] = declared != nullptr;
        }
    }
    Step read(Dataset &set, int limit) override {
        return DatasetLoader::read(set, m_cursor, m_kindKnown, limit);
    }
    QString error() const override {
        return QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_statement)));
    }

  private:
    sqlite3_stmt *m_statement;
    StatementCursor m_cursor;
    std::vector<bool> m_kindKnown;
};
} // namespace

std::unique_ptr<RowSource> fileRows(Database &database, const QString &statementText,
                                    const QVariantList &binds) {
    auto *db = static_cast<sqlite3 *>(database.nativeHandle());
    if (!db) {
        database.setError(QStringLiteral("数据库未打开"));
        return nullptr;
    }
    const QByteArray sql = database.toEngine(statementText).toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &statement, nullptr) !=
        SQLITE_OK) {
        database.setError(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_finalize(statement);
        return nullptr;
    }
    for (int i = 0; i < binds.size(); ++i) {
        if (!bindValue(statement, i + 1, binds[i])) {
            database.setError(QString::fromUtf8(sqlite3_errmsg(db)));
            sqlite3_finalize(statement);
            return nullptr;
        }
    }
    return std::make_unique<FileRows>(statement);
}
