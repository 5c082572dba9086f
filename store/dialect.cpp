#include "store/dialect.h"

#include <QDate>
#include <QStringList>
#include <sqlite3.h>

namespace {
// "2014-8-1" or "2014-08-01" (a time may follow) as a zero-padded date text, or empty when it is none.
QString dateConstant(const QString &inner) {
    const QString trimmed = inner.trimmed();
    const int blank = trimmed.indexOf(QLatin1Char(' '));
    const QString datePart = blank < 0 ? trimmed : trimmed.left(blank);
    const QStringList parts = datePart.split(QLatin1Char('-'));
    if (parts.size() != 3) return {};
    bool okY = false, okM = false, okD = false;
    const QDate date(parts[0].toInt(&okY), parts[1].toInt(&okM), parts[2].toInt(&okD));
    if (!okY || !okM || !okD || !date.isValid()) return {};
    QString text = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (blank >= 0) text += trimmed.mid(blank);
    return text;
}

// Reads an integer of `length` digits at `start` of a date text; NULL for anything else.
void datePartFunction(sqlite3_context *context, int argc, sqlite3_value **argv, int start, int length) {
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int size = sqlite3_value_bytes(argv[0]);
    if (!text || size < start + length) {
        sqlite3_result_null(context);
        return;
    }
    int value = 0;
    for (int i = start; i < start + length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            sqlite3_result_null(context);
            return;
        }
        value = value * 10 + (text[i] - '0');
    }
    sqlite3_result_int(context, value);
}

void yearFunction(sqlite3_context *c, int argc, sqlite3_value **argv) {
    datePartFunction(c, argc, argv, 0, 4);
}
void monthFunction(sqlite3_context *c, int argc, sqlite3_value **argv) {
    datePartFunction(c, argc, argv, 5, 2);
}
void dayFunction(sqlite3_context *c, int argc, sqlite3_value **argv) {
    datePartFunction(c, argc, argv, 8, 2);
}
} // namespace

namespace dialect {

QString toSqlite(const QString &statement) {
    QString out;
    out.reserve(statement.size() + 8);
    const int n = statement.size();
    for (int i = 0; i < n; ++i) {
        const QChar ch = statement[i];
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"') || ch == QLatin1Char('[')) {
            // Copy literals and bracketed names untouched: a '#' inside them is text.
            const QChar close = ch == QLatin1Char('[') ? QLatin1Char(']') : ch;
            int j = i + 1;
            while (j < n) {
                if (statement[j] == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && statement[j + 1] == close) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += QStringView(statement).mid(i, qMin(j, n - 1) - i + 1);
            i = j;
            continue;
        }
        if (ch == QLatin1Char('#')) {
            const int end = statement.indexOf(QLatin1Char('#'), i + 1);
            if (end > i) {
                const QString date = dateConstant(statement.mid(i + 1, end - i - 1));
                if (!date.isEmpty()) {
                    out += QLatin1Char('\'') + date + QLatin1Char('\'');
                    i = end;
                    continue;
                }
            }
        }
        out += ch;
    }
    return out;
}

bool registerFunctions(void *sqliteHandle) {
    auto *db = static_cast<sqlite3 *>(sqliteHandle);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function_v2(db, "year", 1, flags, nullptr, yearFunction, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "month", 1, flags, nullptr, monthFunction, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, "day", 1, flags, nullptr, dayFunction, nullptr, nullptr, nullptr) ==
               SQLITE_OK;
}

} // namespace dialect
