// Texts cross into Qt only at widget boundaries. The program's texts are
// bytes (file names need not be valid UTF-8), so they pass through the
// file-name codec both ways and a path comes back byte for byte.
#pragma once

#include <QFile>
#include <QString>
#include <string>

inline QString ToQString(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

inline std::string FromQString(const QString& text) {
    return QFile::encodeName(text).toStdString();
}
