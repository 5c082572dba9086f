#pragma once
// The server's values as the file's engine gives them: whole numbers, figures, texts (store/ only).
#include "store/dataset.h"

#include <QVariant>
#include <libpq-fe.h>

// The kind a column of the server's built-in type keeps in a dataset.
inline Dataset::Kind serverKindOf(Oid type) {
    switch (type) {
    case 20:  // int8
    case 21:  // int2
    case 23:  // int4
    case 26:  // oid
        return Dataset::Kind::Integer;
    case 700:  // float4
    case 701:  // float8
    case 1700: // numeric
        return Dataset::Kind::Number;
    default:
        return Dataset::Kind::Text;
    }
}

// A cell of a server result; NULL as a null (but valid) value.
inline QVariant serverValue(const PGresult *result, int row, int column) {
    const Oid type = PQftype(result, column);
    const Dataset::Kind kind = serverKindOf(type);
    if (PQgetisnull(result, row, column))
        return QVariant(kind == Dataset::Kind::Integer  ? QMetaType::fromType<qlonglong>()
                        : kind == Dataset::Kind::Number ? QMetaType::fromType<double>()
                                                        : QMetaType::fromType<QString>());
    const char *text = PQgetvalue(result, row, column);
    if (kind == Dataset::Kind::Integer) return QByteArray(text).toLongLong();
    if (kind == Dataset::Kind::Number) return QByteArray(text).toDouble();
    if (type == 16) return qlonglong(text[0] == 't'); // a truth value counts as 1 or 0, as on the file
    return QString::fromUtf8(text, PQgetlength(result, row, column));
}
