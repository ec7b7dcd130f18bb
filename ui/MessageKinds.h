// What the message box shows for each kind and button set, as plain values.
#pragma once

#include <QColor>
#include <QList>
#include <QString>

namespace dosarium {

struct MessageKindStyle {
    int picture; // 0 warning, 1 error, 2 information, 3 confirmation
    QString caption;
    QColor bandFrom, bandTo;
    QColor face, pressed, hotTrack, light, shadow;
};

// Kinds other than 0, 2 and 3 look exactly like the error kind 1.
MessageKindStyle messageKindStyle(quint8 kind);

// The message box's buttons in their fixed order on screen: DA, NU, RENUNT, OK.
enum class MessageButton { Da, Nu, Renunt, Ok };
constexpr quint16 kButtonDa = 1;
constexpr quint16 kButtonNu = 2;
constexpr quint16 kButtonOk = 4;
constexpr quint16 kButtonRenunt = 8;

// The dialog results of the buttons, and of Escape or the close box.
constexpr quint16 kResultOk = 1;
constexpr quint16 kResultCancel = 2;
constexpr quint16 kResultYes = 6;
constexpr quint16 kResultNo = 7;

// The buttons a set shows, in screen order; bits other than the four are ignored.
QList<MessageButton> visibleButtons(quint16 buttons);

// Left edges of n visible buttons, 73 pixels wide, spread evenly over the window.
QList<int> buttonLefts(int n);

} // namespace dosarium
