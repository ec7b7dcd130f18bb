#include "access/ServerConnection.h"

#include "app/ActsTable.h"
#include "app/SettingsFile.h"
#include "app/Workspace.h"
#include "store/Error.h"
#include "store/FilePath.h"

#include <QDir>

namespace dosarium {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

QString unreachableText(const QString &path)
{
    return QStringLiteral("Baza de date ") + path +
           QStringLiteral("\rNU este accesibila!\rVerificati conexiunea si reporniti programul!");
}

QString serverFolderText(const QString &chosen)
{
    QString path = QDir::toNativeSeparators(chosen);
    if (path.size() > 1 && isSeparator(path.back()))
        path.chop(1);
    return path;
}

bool holdsDocuments(const QString &folder)
{
    return fileExistsAnyCase(ActsTable::path(folder));
}

QString serverSettingValue(const QString &path)
{
    const QString trimmed = path.trimmed();
    if (trimmed == path)
        return path;
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QString unstorableServerText(const QString &path)
{
    const QString section = QStringLiteral("CONST");
    const QString key = QStringLiteral("SERVER");
    QString back;
    try {
        back = iniValue(withIniValue(QByteArray(), section, key, serverSettingValue(path)), section,
                        key);
    } catch (const Error &e) {
        return QStringLiteral("Calea dosarului nu poate fi pastrata in setarile programului: ") +
               e.message() + QStringLiteral("\rNimic nu s-a schimbat.");
    }
    if (back == path)
        return QString();
    return QStringLiteral("Calea ") + path +
           QStringLiteral("\rnu poate fi pastrata exact in setarile programului: la pornire "
                          "ar fi citita ca ") +
           back +
           QStringLiteral(", alt dosar.\rRedenumiti dosarul (de exemplu fara literele cu virgula "
                          "dedesubt) sau alegeti altul. Nimic nu s-a schimbat.");
}

QString serverOutOfReachText(const QString &path)
{
    return QStringLiteral("Baza de date de pe server ") + path +
           QStringLiteral("\rNU este accesibila: dosarul nu exista, nu poate fi citit sau nu "
                          "cuprinde ") +
           ActsTable::kFileName +
           QStringLiteral(".\rDaca lucrati pe datele locale, actele de acum nu vor fi in "
                          "registrul de pe server.\rLucrati pe datele locale?");
}

bool namesServer(const QString &caleServer)
{
    return caleServer.size() >= 7;
}

void WriteServerSetting(Workspace &workspace, const QString &value)
{
    AppContext &context = workspace.context();
    const QString previous = context.DataDir;
    context.DataDir = context.LocalDataDir;
    try {
        workspace.WriteSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"), value);
    } catch (...) {
        context.DataDir = previous;
        throw;
    }
}

bool ConnectServer(Workspace &workspace, const ServerSteps &steps)
{
    const QString chosen = steps.chooseFolder(ServerTexts::PickerTitle);
    if (chosen.isEmpty())
        return false;
    const QString path = serverFolderText(chosen);
    if (!holdsDocuments(path)) {
        steps.ask(ServerTexts::ConnectTitle, unreachableText(path), kKindError, kButtonOk);
        return false;
    }
    if (const QString unstorable = unstorableServerText(path); !unstorable.isEmpty()) {
        steps.ask(ServerTexts::ConnectTitle, unstorable, kKindError, kButtonOk);
        return false;
    }
    WriteServerSetting(workspace, serverSettingValue(path));
    steps.setCaleServer(path);
    steps.closeUsers();
    steps.ask(ServerTexts::ConnectedTitle, ServerTexts::Connected, kKindInformation, kButtonOk);
    steps.closeWindow();
    steps.yield();
    steps.endProgram();
    return true;
}

bool DisconnectServer(Workspace &workspace, const ServerSteps &steps)
{
    if (!namesServer(steps.caleServer())) {
        steps.problemAtCaleServer(ServerTexts::NothingToRemove);
        return false;
    }
    if (steps.ask(ServerTexts::DisconnectTitle, ServerTexts::DisconnectQuestion, kKindConfirmation,
                  kButtonsDaNu) != kResultYes)
        return false;
    WriteServerSetting(workspace, QString());
    steps.setCaleServer(ServerTexts::NoServerLeft);
    steps.closeUsers();
    steps.ask(ServerTexts::DisconnectedTitle, ServerTexts::Disconnected, kKindInformation,
              kButtonOk);
    steps.yield();
    steps.closeWindow();
    steps.yield();
    steps.endProgram();
    return true;
}

} // namespace dosarium
