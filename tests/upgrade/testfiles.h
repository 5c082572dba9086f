#pragma once
// Files the upgrade tests lay out beside the program and read back whole.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>

inline void write(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
}

// Empty when the file cannot be read.
inline QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
