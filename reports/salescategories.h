#pragma once
// The categories of the sales records for the category drop-down, kept between the whole-list
// queries. Listing the distinct categories reads every entry of their index (about 30 ms at a million
// records), and "本 月" runs after every sale; so the list is read whole once and after a deletion, and
// otherwise only the records stored since are read. The values and their order are those of the
// grouped values query over the whole table.
#include <QByteArray>
#include <QStringList>
#include <optional>
#include <vector>

class Database;

class SalesCategories {
  public:
    // The values; nothing on failure (the engine's message in database.errorText()).
    std::optional<QStringList> values(Database &database);
    // Records were deleted or replaced: the next values() reads every record again.
    void invalidate() { m_valid = false; }

  private:
    struct Entry {
        bool isNull;
        QByteArray utf8; // the engine orders texts by these bytes
        bool operator<(const Entry &other) const {
            return isNull != other.isNull ? isNull : utf8 < other.utf8;
        }
        bool operator==(const Entry &other) const = default;
    };
    bool read(Database &database, const QString &statement, const QVariantList &binds,
              std::vector<Entry> &into);

    std::vector<Entry> m_entries; // sorted, each once
    qint64 m_lastId = 0;          // the highest record ID the entries cover
    bool m_valid = false;
};
