#include "privatefile.h"

#include <QSaveFile>
#include <QUrl>

namespace PrivateFile {

QString localPath(const QString &pathOrUrl)
{
    const QUrl url(pathOrUrl);
    return url.isLocalFile() ? url.toLocalFile() : pathOrUrl;
}

QString write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // The temporary file takes these permissions before a byte is written
    // and keeps them through the rename.
    if (!file.open(QIODevice::WriteOnly)
        || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        || file.write(bytes) < 0 || !file.commit())
        return file.errorString().isEmpty() ? QStringLiteral("not written") : file.errorString();
    return {};
}

} // namespace PrivateFile
