#include "app/AppContext.h"

#include "platform/Names.h"
#include "store/FilePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace dosarium {

namespace {

QString withoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 &&
           (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

} // namespace

QString programFolder(const QString &exeDir)
{
    const QDir exe(exeDir);
    QDir parent(exeDir);
    if (exe.dirName() != QStringLiteral("bin") || !parent.cdUp() ||
        QFileInfo(exe.filePath(QStringLiteral("Data"))).exists() ||
        !QFileInfo(parent.filePath(QStringLiteral("Data"))).isDir())
        return exeDir;
    return QDir::toNativeSeparators(parent.path());
}

Workstation Workstation::current()
{
    return {programFolder(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())),
            dosarium::computerName(), loginName()};
}

QString workstationText(const QString &computerName, const QString &userName)
{
    return computerName.left(15) + QStringLiteral(" - ") +
           (userName.isEmpty() ? QStringLiteral("Necunoscut") : userName);
}

AppContext makeAppContext(const Workstation &station)
{
    AppContext context;
    context.ExeDir = withoutTrailingSeparator(station.exeDir);
    context.DataDir = joinPath(context.ExeDir, QStringLiteral("Data"));
    context.LocalDataDir = context.DataDir;
    context.TempDir = joinPath(context.ExeDir, QStringLiteral("TEMP"));
    context.WorkstationUser = workstationText(station.computerName, station.userName);
    return context;
}

} // namespace dosarium
