#include "access/Session.h"

#include "store/CodePage.h"

namespace dosarium {

UserEntry SignIn(const QString &dataDir, const QString &name, const QString &password)
{
    const CodePage &page = CodePage::windows1250();
    const auto storedName = page.tryEncode(name.left(UserEntry::TextSize));
    const auto storedPassword = page.tryEncode(password.left(UserEntry::TextSize));
    // The file stores nothing else, so such a text matches no user; the file is still made.
    UserEntry wanted;
    if (storedName && storedPassword)
        wanted = UserEntry{*storedName, *storedPassword, 0};
    const UserEntry found = FindUser(dataDir, wanted);
    if (!storedName || !storedPassword)
        return UserEntry();
    return found;
}

QString SignInRefusal(const QString &dataDir, const QString &name, const QString &password)
{
    const CodePage &page = CodePage::windows1250();
    const auto storedName = page.tryEncode(name.left(UserEntry::TextSize));
    const auto storedPassword = page.tryEncode(password.left(UserEntry::TextSize));
    if (!storedName || !storedPassword)
        return SessionTexts::SignInFailed;
    bool first = true;
    for (const UserEntry &entry : ReadUserFile(dataDir)) {
        if (entry.Name != *storedName)
            continue;
        if (!first && entry.Password == *storedPassword)
            return SessionTexts::RepeatedName.arg(name);
        first = false;
    }
    return SessionTexts::SignInFailed;
}

bool ConfirmExit(const ExitSteps &steps)
{
    if (steps.ask(SessionTexts::ExitTitle, SessionTexts::ExitQuestion, kKindConfirmation,
                  kButtonsDaNu) != kResultYes)
        return false;
    steps.removeTempFolder();
    steps.writeLog(SessionTexts::ExitLog);
    steps.endProgram();
    return true;
}

} // namespace dosarium
