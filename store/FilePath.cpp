#include "store/FilePath.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace dosarium {

namespace {

QString normalised(const QString &path)
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(path);
#else
    QString p = path;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
#endif
}

} // namespace

QString joinPath(const QString &folder, const QString &name)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
}

QString resolveFileName(const QString &path)
{
    const QString p = normalised(path);
#ifdef Q_OS_WIN
    return p;
#else
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    const QString folder =
        slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : p.left(slash));
    const QString name = slash < 0 ? p : p.mid(slash + 1);
    if (name.isEmpty())
        return p;
    QString best;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString entry = it.fileName();
        if (entry.compare(name, Qt::CaseInsensitive) == 0 && (best.isEmpty() || entry < best))
            best = entry;
    }
    if (best.isEmpty())
        return p;
    return slash < 0 ? best : p.left(slash + 1) + best;
#endif
}

bool fileExistsAnyCase(const QString &path)
{
    return QFileInfo(resolveFileName(path)).isFile();
}

} // namespace dosarium
