#include "reports/salescategories.h"

#include "store/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

bool SalesCategories::read(Database &database, const QString &statement, const QVariantList &binds,
                           std::vector<Entry> &into) {
    QSqlQuery query(database.connection());
    query.setForwardOnly(true);
    if (!query.prepare(database.toEngine(statement))) {
        database.setError(query.lastError().text());
        return false;
    }
    for (const QVariant &value : binds)
        query.addBindValue(value);
    if (!query.exec()) {
        database.setError(query.lastError().text());
        return false;
    }
    while (query.next()) {
        const QVariant value = query.value(0);
        into.push_back({value.isNull(), value.isNull() ? QByteArray() : value.toString().toUtf8()});
    }
    return true;
}

std::optional<QStringList> SalesCategories::values(Database &database) {
    const QVariant highest = database.scalar(QStringLiteral("select max(ID) from data1"));
    if (!highest.isValid()) return std::nullopt; // max() always gives a row
    const qint64 lastId = highest.isNull() ? 0 : highest.toLongLong();
    // Fewer records at the end than before means some went: read them all again.
    if (!m_valid || lastId < m_lastId) {
        std::vector<Entry> entries;
        if (!read(database, QStringLiteral("select distinct d from data1 order by d"), {}, entries))
            return std::nullopt;
        m_entries = std::move(entries);
        m_valid = true;
    } else if (lastId > m_lastId) {
        std::vector<Entry> added;
        // Both ends given: the engine then reads the few new records by their IDs rather than every
        // entry of the category index.
        if (!read(database, QStringLiteral("select distinct d from data1 where ID>? and ID<=? order by d"),
                  {m_lastId, lastId}, added))
            return std::nullopt;
        for (const Entry &entry : added) {
            const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), entry);
            if (at == m_entries.end() || !(*at == entry)) m_entries.insert(at, entry);
        }
    }
    m_lastId = lastId;
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(m_entries.size()));
    for (const Entry &entry : m_entries)
        texts << QString::fromUtf8(entry.utf8);
    return texts;
}
