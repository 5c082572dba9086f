#include "store/dialect.h"

#include <QDate>
#include <QRegularExpression>
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
// Index of the character that closes the literal, quoted name or bracketed name opened at `i`; the
// last index when it is never closed. Doubled quotes inside a literal are part of it.
int closingOf(const QString &statement, int i) {
    const int n = statement.size();
    const QChar open = statement[i];
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    int j = i + 1;
    while (j < n) {
        if (statement[j] == close) {
            if (close != QLatin1Char(']') && j + 1 < n && statement[j + 1] == close) {
                j += 2;
                continue;
            }
            return j;
        }
        ++j;
    }
    return n - 1;
}

// A "#date#" constant starting at `i` written as a date text; `i` moves to its closing '#'. False (nothing
// written) when the text there is no date.
bool copyDateConstant(const QString &statement, int &i, QString &out) {
    const int end = statement.indexOf(QLatin1Char('#'), i + 1);
    if (end <= i) return false;
    const QString date = dateConstant(statement.mid(i + 1, end - i - 1));
    if (date.isEmpty()) return false;
    out += QLatin1Char('\'') + date + QLatin1Char('\'');
    i = end;
    return true;
}

// SQLite has no row locks: the write transaction holds the whole file already. Most statements end
// otherwise, and the check of their last word keeps the pattern off a list's every load.
void stripRowLock(QString &out) {
    if (!QStringView(out).trimmed().endsWith(QLatin1String("update"), Qt::CaseInsensitive)) return;
    static const QRegularExpression rowLock(QStringLiteral("\\s+for\\s+update\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    out.remove(rowLock);
}

bool isQuoteOrBracket(QChar ch) {
    return ch == QLatin1Char('\'') || ch == QLatin1Char('"') || ch == QLatin1Char('[');
}

bool isWordCharacter(QChar ch) {
    return ch.isLetterOrNumber() || ch == QLatin1Char('_');
}

// The word starting at `i` when `i` starts one (the character before is no word character).
QString wordAt(const QString &statement, int i) {
    if (!isWordCharacter(statement[i]) || (i > 0 && isWordCharacter(statement[i - 1]))) return {};
    int j = i;
    while (j < statement.size() && isWordCharacter(statement[j]))
        ++j;
    return statement.mid(i, j - i);
}

bool sameWord(const QString &word, const char *keyword) {
    return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

// Rewrites one ordering list as it is copied: SQLite puts NULL before every value, PostgreSQL after.
class OrderingNulls {
  public:
    void start(int depth, int at) {
        m_depth = depth;
        m_itemStart = at;
    }
    bool active() const { return m_depth >= 0; }
    int depth() const { return m_depth; }
    // The item that ends here (before a comma, a closing parenthesis, limit, or the end) gets its
    // NULL placement unless it says one.
    void endItem(QString &out) {
        int end = out.size();
        while (end > m_itemStart && out[end - 1].isSpace())
            --end;
        const QString item = out.mid(m_itemStart, end - m_itemStart);
        if (!item.trimmed().isEmpty() && !item.contains(QLatin1String("nulls"), Qt::CaseInsensitive)) {
            const bool descending = item.trimmed().endsWith(QLatin1String("desc"), Qt::CaseInsensitive);
            out.insert(end, descending ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST"));
        }
    }
    void nextItem(int at) { m_itemStart = at; }
    void stop() { m_depth = -1; }

  private:
    int m_depth = -1;
    int m_itemStart = 0;
};
} // namespace

namespace dialect {

QString toPostgres(const QString &statement) {
    QString out;
    out.reserve(statement.size() + 32);
    const int n = statement.size();
    int depth = 0;
    OrderingNulls ordering;
    bool escapeAfterOperand = false;
    const auto endOrdering = [&] {
        if (!ordering.active()) return;
        ordering.endItem(out);
        ordering.stop();
    };
    for (int i = 0; i < n; ++i) {
        const QChar ch = statement[i];
        if (escapeAfterOperand && !ch.isSpace()) {
            // like's right side: a bound text or a literal gets "no escape character".
            escapeAfterOperand = false;
            if (ch == QLatin1Char('?')) {
                out += QStringLiteral("? ESCAPE ''");
                continue;
            }
            if (ch == QLatin1Char('\'')) {
                const int end = closingOf(statement, i);
                out += QStringView(statement).mid(i, end - i + 1);
                out += QStringLiteral(" ESCAPE ''");
                i = end;
                continue;
            }
        }
        if (ch == QLatin1Char('[')) {
            const int end = closingOf(statement, i);
            QString name = statement.mid(i + 1, end - i - 1);
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            out += QLatin1Char('"') + name + QLatin1Char('"');
            i = end;
            continue;
        }
        if (isQuoteOrBracket(ch)) {
            const int end = closingOf(statement, i);
            out += QStringView(statement).mid(i, end - i + 1);
            i = end;
            continue;
        }
        if (ch == QLatin1Char('#') && copyDateConstant(statement, i, out)) continue;
        if (ch == QLatin1Char('(')) {
            ++depth;
        } else if (ch == QLatin1Char(')')) {
            if (ordering.active() && ordering.depth() == depth) endOrdering();
            --depth;
        } else if (ch == QLatin1Char(',') && ordering.active() && ordering.depth() == depth) {
            ordering.endItem(out);
            out += ch;
            ordering.nextItem(out.size());
            continue;
        } else if (ch == QLatin1Char(';')) {
            endOrdering();
        }
        const QString word = wordAt(statement, i);
        if (!word.isEmpty()) {
            if (sameWord(word, "like")) {
                out += QStringLiteral("ILIKE");
                escapeAfterOperand = true;
                i += static_cast<int>(word.size()) - 1;
                continue;
            }
            if (sameWord(word, "ifnull")) {
                out += QStringLiteral("coalesce");
                i += static_cast<int>(word.size()) - 1;
                continue;
            }
            if (ordering.active() && ordering.depth() == depth &&
                (sameWord(word, "limit") || sameWord(word, "offset") || sameWord(word, "for")))
                endOrdering();
            if (sameWord(word, "by") && out.trimmed().endsWith(QLatin1String("order"), Qt::CaseInsensitive)) {
                out += word;
                i += static_cast<int>(word.size()) - 1;
                ordering.start(depth, out.size());
                continue;
            }
            out += word;
            i += static_cast<int>(word.size()) - 1;
            continue;
        }
        out += ch;
    }
    endOrdering();
    return out;
}

QString numberedPlaceholders(const QString &statement) {
    QString out;
    out.reserve(statement.size() + 16);
    int number = 0;
    for (int i = 0; i < statement.size(); ++i) {
        const QChar ch = statement[i];
        if (ch == QLatin1Char('\'') || ch == QLatin1Char('"')) {
            const int end = closingOf(statement, i);
            out += QStringView(statement).mid(i, end - i + 1);
            i = end;
        } else if (ch == QLatin1Char('?')) {
            out += QLatin1Char('$') + QString::number(++number);
        } else {
            out += ch;
        }
    }
    return out;
}



QString toSqlite(const QString &statement) {
    QString out;
    out.reserve(statement.size() + 8);
    const int n = statement.size();
    for (int i = 0; i < n; ++i) {
        const QChar ch = statement[i];
        if (isQuoteOrBracket(ch)) {
            // Copy literals and bracketed names untouched: a '#' inside them is text.
            const int end = closingOf(statement, i);
            out += QStringView(statement).mid(i, end - i + 1);
            i = end;
            continue;
        }
        if (ch == QLatin1Char('#') && copyDateConstant(statement, i, out)) continue;
        out += ch;
    }
    stripRowLock(out);
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
