// The rules of a session in the main window: who signs in, and how the program ends.
#pragma once

#include "access/UserFile.h"
#include "ui/MessageChoices.h"

#include <QString>
#include <functional>

namespace dosarium {

namespace SessionTexts {
inline const QString SignInFailed = QStringLiteral("Nume sau parola incorecta!");
inline const QString RepeatedName =
    QStringLiteral("Numele %1 apare de mai multe ori in lista utilizatorilor; este folosit "
                   "numai primul, iar parola data este a altuia.");
inline const QString SignedInLog = QStringLiteral("Acces in program.");
inline const QString ExitTitle = QStringLiteral("Inchidere program");
inline const QString ExitQuestion = QStringLiteral("\rVreti sa inchideti programul?");
inline const QString ExitLog = QStringLiteral("Inchidere program.");
} // namespace SessionTexts

// The entry of the user file that matches the typed name and password, each cut to its first
// 32 characters and not trimmed; an empty entry when none matches. A missing user file is
// created with its default entry first.
UserEntry SignIn(const QString &dataDir, const QString &name, const QString &password);
// Why SignIn found no user: RepeatedName when the password is that of a later entry of a name
// the user file holds more than once (only the first counts), SignInFailed otherwise.
QString SignInRefusal(const QString &dataDir, const QString &name, const QString &password);

// What ending the program needs from the windows around it.
struct ExitSteps {
    MessageQuestion ask;
    std::function<void()> removeTempFolder;
    std::function<void(const QString &action)> writeLog;
    std::function<void()> endProgram;
};

// Asks whether to close the program; on DA removes the temporary folder, writes the exit to
// the log and ends the program, in that order. Returns whether the program ends.
bool ConfirmExit(const ExitSteps &steps);

} // namespace dosarium
