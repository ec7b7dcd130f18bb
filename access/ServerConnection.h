// The switch to a data folder on a server and back, without any window: the choice is stored as
// SERVER in the settings file of the local data folder, which the next start reads; after either
// change the program asks to be started again and ends at once.
#pragma once

#include "ui/MessageChoices.h"

#include <QString>
#include <functional>

namespace dosarium {

class Workspace;

namespace ServerTexts {
inline const QString PickerTitle = QStringLiteral("Indicati baza de date din retea");
inline const QString ConnectTitle = QStringLiteral("Conectare server");
inline const QString ConnectedTitle = QStringLiteral("Conectat la server");
inline const QString Connected =
    QStringLiteral("Conectarea la server a reusit!\rPorniti programul din nou !");
inline const QString DisconnectTitle = QStringLiteral("Stergere cale server");
inline const QString DisconnectQuestion = QStringLiteral("Doriti sa va deconectati de la server?");
inline const QString DisconnectedTitle = QStringLiteral("Deconectat de la server");
inline const QString Disconnected =
    QStringLiteral("Sunteti deconectat de la server!\rPorniti programul din nou !");
inline const QString NothingToRemove = QStringLiteral("Nu aveti ce sterge.");
inline const QString NoServerShown = QStringLiteral(" -   "); // before any change
inline const QString NoServerLeft = QStringLiteral("  -");    // after a disconnection
} // namespace ServerTexts

// "Baza de date {path}", then "NU este accesibila!" and the advice, each on a line of its own.
QString unreachableText(const QString &path);

// The chosen folder as the setting stores it: in native separators and without the one
// trailing separator of a drive root ("Z:\" gives "Z:"); the root of a Unix file system, which
// would otherwise read as no server at all, stays "/".
QString serverFolderText(const QString &chosen);
// Whether the folder holds the documents table, its name in any letter case.
bool holdsDocuments(const QString &folder);

// The SERVER value that reads back as `path`: between double quotes when blanks begin or end it,
// which the reader would otherwise drop.
QString serverSettingValue(const QString &path);
// Why `path` cannot be stored so that the next start reads the same folder (a letter the
// settings file's code page holds only in another form, such as comma-below ș ț); empty when
// it can.
QString unstorableServerText(const QString &path);

// The start's question when the server folder of the settings cannot be used.
QString serverOutOfReachText(const QString &path);
// The label names a server folder only from 7 characters on.
bool namesServer(const QString &caleServer);

// Stores SERVER in the settings file of the local data folder: DataDir is the local data
// folder for the write and, when the write fails, is put back, so the program goes on working
// where it was (the error then reaches the caller).
void WriteServerSetting(Workspace &workspace, const QString &value);

// What the administrator window does around a change.
struct ServerSteps {
    std::function<QString(const QString &title)> chooseFolder; // empty when cancelled
    MessageQuestion ask;
    std::function<QString()> caleServer;
    std::function<void(const QString &text)> setCaleServer;
    std::function<void(const QString &text)> problemAtCaleServer; // the wrong-entry balloon
    std::function<void()> closeUsers;                             // the list and u.dbf go
    std::function<void()> closeWindow;
    std::function<void()> yield;
    std::function<void()> endProgram; // at once: no exit question, TEMP stays, no log entry
};

// BitBtn1Click: a server folder that holds the documents table, and whose path the settings
// file can hold exactly, becomes the setting. Returns whether the program was ended. The setting is
// written before anything else changes: when it cannot be, the error reaches the caller and the
// window stays as it was.
bool ConnectServer(Workspace &workspace, const ServerSteps &steps);
// BitBtn2Click: after the question, back to local work. Returns whether the program was ended.
bool DisconnectServer(Workspace &workspace, const ServerSteps &steps);

} // namespace dosarium
