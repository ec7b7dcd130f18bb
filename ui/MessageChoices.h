// The message box's kinds, button sets and results as plain numbers, and the question a
// windowless operation puts to the person through it. No window here: the cores ask through
// `MessageQuestion` and the window layer answers it with the message box.
#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

namespace dosarium {

// The kinds; any other value looks like the error kind.
constexpr quint8 kKindWarning = 0;
constexpr quint8 kKindError = 1;
constexpr quint8 kKindInformation = 2;
constexpr quint8 kKindConfirmation = 3;

// The buttons, DA, NU, RENUNT and OK, combined into the set a message shows.
constexpr quint16 kButtonDa = 1;
constexpr quint16 kButtonNu = 2;
constexpr quint16 kButtonOk = 4;
constexpr quint16 kButtonRenunt = 8;
constexpr quint16 kButtonsDaNu = kButtonDa | kButtonNu;

// The dialog results of the buttons, and of Escape or the close box.
constexpr quint16 kResultOk = 1;
constexpr quint16 kResultCancel = 2;
constexpr quint16 kResultYes = 6;
constexpr quint16 kResultNo = 7;

// Shows a message (title, text, kind, buttons) and returns the pressed button's result.
using MessageQuestion =
    std::function<quint16(const QString &title, const QString &text, quint8 kind, quint16 buttons)>;

} // namespace dosarium
