#pragma once

#include <QByteArray>
#include <QString>

// The files the tool writes for the operator (backups, exports, reports)
// hold what a plant's meters read and sometimes passwords: each is written
// whole or not at all, and readable by its owner only from its first byte.
namespace PrivateFile {

// A path, or the local file that a file dialog's URL names.
QString localPath(const QString &pathOrUrl);

// Empty when written, else why not.
QString write(const QString &path, const QByteArray &bytes);

} // namespace PrivateFile
