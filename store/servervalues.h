#pragma once
// A cell of a server result as the file's engine would give it: whole numbers, figures, texts; NULL as
// a null (but valid) value.
#include <QVariant>
#include <libpq-fe.h>

inline QVariant serverValue(const PGresult *result, int row, int column) {
    const Oid type = PQftype(result, column);
    const bool whole = type == 20 || type == 21 || type == 23 || type == 26;
    const bool figure = type == 700 || type == 701 || type == 1700;
    if (PQgetisnull(result, row, column))
        return QVariant(whole ? QMetaType::fromType<qlonglong>()
                        : figure ? QMetaType::fromType<double>()
                                 : QMetaType::fromType<QString>());
    const char *text = PQgetvalue(result, row, column);
    if (whole) return QByteArray(text).toLongLong();
    if (figure) return QByteArray(text).toDouble();
    if (type == 16) return qlonglong(text[0] == 't'); // a truth value counts as 1 or 0, as on the file
    return QString::fromUtf8(text, PQgetlength(result, row, column));
}
