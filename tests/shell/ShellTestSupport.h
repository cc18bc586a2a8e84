#pragma once

// Helpers of the shell's Qt tests: test files, crafted files and whole-file reads and writes.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <string>

#include "support/BoxBuilder.h"

// A file of tests/data.
inline QString TestDataFile(const char* name) {
    return QDir(QStringLiteral(ORVEX_TEST_DATA_DIR)).filePath(QString::fromUtf8(name));
}

inline QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

inline std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Writes crafted boxes to `name` in `dir`; returns the path.
inline QString WriteBoxes(const BoxBuilder& boxes, const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    WriteWholeFile(path, QByteArray(reinterpret_cast<const char*>(boxes.Data().data()),
                                    static_cast<qsizetype>(boxes.Size())));
    return path;
}
