#include "access/ServerConnection.h"

#include "app/Workspace.h"
#include "store/FilePath.h"
#include "ui/MessageKinds.h"

#include <QDir>

namespace dosarium {

namespace {

constexpr quint8 KindError = 1;
constexpr quint8 KindInformation = 2;
constexpr quint8 KindConfirmation = 3;

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
    return fileExistsAnyCase(joinPath(folder, QStringLiteral("Acte.dbf")));
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
        steps.ask(ServerTexts::ConnectTitle, unreachableText(path), KindError, kButtonOk);
        return false;
    }
    WriteServerSetting(workspace, path);
    steps.setCaleServer(path);
    steps.closeUsers();
    steps.ask(ServerTexts::ConnectedTitle, ServerTexts::Connected, KindInformation, kButtonOk);
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
    if (steps.ask(ServerTexts::DisconnectTitle, ServerTexts::DisconnectQuestion, KindConfirmation,
                  kButtonDa | kButtonNu) != kResultYes)
        return false;
    WriteServerSetting(workspace, QString());
    steps.setCaleServer(ServerTexts::NoServerLeft);
    steps.closeUsers();
    steps.ask(ServerTexts::DisconnectedTitle, ServerTexts::Disconnected, KindInformation,
              kButtonOk);
    steps.yield();
    steps.closeWindow();
    steps.yield();
    steps.endProgram();
    return true;
}

} // namespace dosarium
