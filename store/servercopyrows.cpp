// The rows of one table from data.mdb into the server (COPY in its text form), and the figures that
// show both sides hold the same.
#include "store/servercopyparts.h"

#include <QStringList>
#include <charconv>
#include <cmath>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <string>

namespace servercopy::parts {
namespace {
constexpr qint64 RowsPerReport = 5000;
constexpr std::size_t BytesPerSend = 1 << 20;

void appendNumber(std::string &line, auto value) {
    char digits[40];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    line.append(digits, end);
}

// A figure exactly as stored: the shortest digits that read back as the same double.
void appendFigure(std::string &line, double value) {
    if (std::isinf(value))
        line += value > 0 ? "Infinity" : "-Infinity";
    else
        appendNumber(line, value);
}

// COPY's text form: the backslash, the line and field separators escaped.
void appendText(std::string &line, const unsigned char *text, int size) {
    for (int i = 0; i < size; ++i) {
        switch (const char c = char(text[i])) {
        case '\\': line += "\\\\"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\t': line += "\\t"; break;
        default: line += c;
        }
    }
}

QString serverMessage(PGconn *server, PGresult *result) {
    return QString::fromUtf8(result ? PQresultErrorMessage(result) : PQerrorMessage(server)).trimmed();
}

// Ends the COPY: with a reason it is abandoned. The server's verdict.
bool finishCopy(PGconn *server, const char *abandon, QString *error) {
    bool ok = PQputCopyEnd(server, abandon) == 1;
    if (!ok) *error = serverMessage(server, nullptr);
    while (PGresult *result = PQgetResult(server)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            if (ok) *error = serverMessage(server, result);
            ok = false;
        }
        PQclear(result);
    }
    return ok && !abandon;
}

bool send(PGconn *server, std::string &buffer, QString *error) {
    if (buffer.empty()) return true;
    if (PQputCopyData(server, buffer.data(), int(buffer.size())) != 1) {
        *error = serverMessage(server, nullptr);
        return false;
    }
    buffer.clear();
    return true;
}

QByteArray joined(const TablePlan &plan, QByteArray Column::*name) {
    QByteArray list;
    for (const Column &column : plan.columns)
        list += (list.isEmpty() ? "" : ", ") + column.*name;
    return list;
}
} // namespace

QString labelOf(const Table &table) {
    return QString::fromUtf8(table.label) + QLatin1Char(' ') + QLatin1String(table.name);
}

bool streamTable(sqlite3 *file, PGconn *server, const TablePlan &plan, Counter &counter, QString *error) {
    const QByteArray select =
        "SELECT " + joined(plan, &Column::file) + " FROM " + plan.fileName + " ORDER BY " + plan.fileOrder;
    sqlite3_stmt *rows = nullptr;
    if (sqlite3_prepare_v2(file, select.constData(), -1, &rows, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(file));
        return false;
    }
    const QByteArray copy = "COPY " + plan.serverName + " (" + joined(plan, &Column::server) + ") FROM STDIN";
    PGresult *started = PQexec(server, copy.constData());
    const bool copying = PQresultStatus(started) == PGRES_COPY_IN;
    if (!copying) *error = serverMessage(server, started);
    PQclear(started);
    if (!copying) {
        sqlite3_finalize(rows);
        return false;
    }
    const int columns = int(plan.columns.size());
    std::string buffer;
    buffer.reserve(BytesPerSend + 65536);
    QString problem;
    int step = SQLITE_ROW;
    qint64 inTable = 0;
    while (problem.isEmpty() && (step = sqlite3_step(rows)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0) buffer += '\t';
            switch (sqlite3_column_type(rows, c)) {
            case SQLITE_NULL: buffer += "\\N"; break;
            case SQLITE_INTEGER: appendNumber(buffer, sqlite3_column_int64(rows, c)); break;
            case SQLITE_FLOAT: appendFigure(buffer, sqlite3_column_double(rows, c)); break;
            case SQLITE_TEXT:
                appendText(buffer, sqlite3_column_text(rows, c), sqlite3_column_bytes(rows, c));
                break;
            default:
                problem = QStringLiteral("%1 第 %2 行的列 %3 存的是二进制数据，服务器上的这一列放不下。")
                              .arg(labelOf(*plan.table))
                              .arg(inTable + 1)
                              .arg(plan.columns[std::size_t(c)].name);
            }
        }
        buffer += '\n';
        ++inTable;
        ++counter.copied;
        if (buffer.size() >= BytesPerSend && !send(server, buffer, &problem)) break;
        if (counter.copied % RowsPerReport == 0 && !counter.report()) break;
    }
    if (problem.isEmpty() && !counter.cancelled && step != SQLITE_ROW && step != SQLITE_DONE)
        problem = QString::fromUtf8(sqlite3_errmsg(file));
    sqlite3_finalize(rows);
    if (problem.isEmpty() && !counter.cancelled) send(server, buffer, &problem);
    const bool abandon = !problem.isEmpty() || counter.cancelled;
    QString refused;
    const bool ok = finishCopy(server, abandon ? "abandoned" : nullptr, &refused);
    if (!problem.isEmpty()) {
        *error = problem;
        return false;
    }
    if (counter.cancelled) return false;
    if (!ok) {
        *error = labelOf(*plan.table) + QStringLiteral("：") + refused;
        return false;
    }
    return counter.report();
}

namespace {
// One figure of the check, read the same way from both sides.
struct Figure {
    // Size: a sum of absolute values, which bounds the rounding of the sums after it.
    enum class Kind { Whole, Size, Sum, Exact };
    QByteArray file, server;
    QString what;
    Kind kind;
};

std::vector<Figure> figuresOf(const TablePlan &plan) {
    std::vector<Figure> figures{{"count(*)", "count(*)", QStringLiteral("行数"), Figure::Kind::Whole}};
    for (const Column &column : plan.columns) {
        auto add = [&](const char *before, const char *after, const QString &what, Figure::Kind kind) {
            figures.push_back({before + column.file + after, before + column.server + after, what.arg(column.name),
                               kind});
        };
        add("count(", ")", QStringLiteral("列 %1 的值个数"), Figure::Kind::Whole);
        switch (column.kind) {
        case Column::Kind::Text:
            add("sum(length(", "))", QStringLiteral("列 %1 的文字总长度"), Figure::Kind::Whole);
            break;
        case Column::Kind::Whole:
            add("sum(", ")", QStringLiteral("列 %1 的合计"), Figure::Kind::Whole);
            add("min(", ")", QStringLiteral("列 %1 的最小值"), Figure::Kind::Whole);
            add("max(", ")", QStringLiteral("列 %1 的最大值"), Figure::Kind::Whole);
            break;
        case Column::Kind::Figure:
            add("sum(abs(", "))", QStringLiteral("列 %1 的绝对值合计"), Figure::Kind::Size);
            add("sum(", ")", QStringLiteral("列 %1 的合计"), Figure::Kind::Sum);
            add("min(", ")", QStringLiteral("列 %1 的最小值"), Figure::Kind::Exact);
            add("max(", ")", QStringLiteral("列 %1 的最大值"), Figure::Kind::Exact);
            break;
        }
    }
    return figures;
}

QString shown(bool null, double value) {
    return null ? QStringLiteral("空") : QString::number(value, 'g', 17);
}
} // namespace

bool checkTable(sqlite3 *file, PGconn *server, const TablePlan &plan, QString *error) {
    const std::vector<Figure> figures = figuresOf(plan);
    QByteArray fileList, serverList;
    for (const Figure &figure : figures) {
        fileList += (fileList.isEmpty() ? "" : ", ") + figure.file;
        serverList += (serverList.isEmpty() ? "" : ", ") + figure.server;
    }
    sqlite3_stmt *own = nullptr;
    const QByteArray fileSelect = "SELECT " + fileList + " FROM " + plan.fileName;
    if (sqlite3_prepare_v2(file, fileSelect.constData(), -1, &own, nullptr) != SQLITE_OK ||
        sqlite3_step(own) != SQLITE_ROW) {
        *error = QString::fromUtf8(sqlite3_errmsg(file));
        sqlite3_finalize(own);
        return false;
    }
    const QByteArray serverSelect = "SELECT " + serverList + " FROM " + plan.serverName;
    PGresult *copied = PQexec(server, serverSelect.constData());
    bool ok = PQresultStatus(copied) == PGRES_TUPLES_OK && PQntuples(copied) == 1;
    if (!ok) *error = serverMessage(server, copied);
    double bound = 0;
    for (int i = 0; ok && i < int(figures.size()); ++i) {
        const Figure &figure = figures[std::size_t(i)];
        const bool fileNull = sqlite3_column_type(own, i) == SQLITE_NULL;
        const bool serverNull = PQgetisnull(copied, 0, i);
        const QByteArray serverText = PQgetvalue(copied, 0, i);
        bool same = fileNull == serverNull;
        QString fileShown, serverShown;
        if (figure.kind == Figure::Kind::Whole) {
            const qint64 mine = sqlite3_column_int64(own, i), theirs = serverText.toLongLong();
            same = same && (fileNull || mine == theirs);
            fileShown = fileNull ? QStringLiteral("空") : QString::number(mine);
            serverShown = serverNull ? QStringLiteral("空") : QString::number(theirs);
        } else {
            const double mine = sqlite3_column_double(own, i), theirs = std::strtod(serverText.constData(), nullptr);
            // Both engines add up in their own way: the last digits of a sum may differ by the rounding
            // of each addition, never by more than a tiny part of the sum of the values' sizes.
            const bool exact = figure.kind == Figure::Kind::Exact || !std::isfinite(mine) || !std::isfinite(theirs);
            if (figure.kind == Figure::Kind::Size) bound = fileNull ? 0 : std::fabs(mine);
            same = same && (fileNull || (exact ? mine == theirs : std::fabs(mine - theirs) <= 1e-9 * bound));
            fileShown = shown(fileNull, mine);
            serverShown = shown(serverNull, theirs);
        }
        if (!same) {
            *error = QStringLiteral("复制后的核对不符：%1 的%2，文件中是 %3，服务器上是 %4。")
                         .arg(labelOf(*plan.table), figure.what, fileShown, serverShown);
            ok = false;
        }
    }
    PQclear(copied);
    sqlite3_finalize(own);
    return ok;
}
} // namespace servercopy::parts
