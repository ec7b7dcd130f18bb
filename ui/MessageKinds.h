// What the message box shows for each kind and button set, as plain values.
#pragma once

#include "ui/MessageChoices.h"

#include <QColor>
#include <QList>
#include <QString>

namespace dosarium {

struct MessageKindStyle {
    int picture; // the kind's picture: kKindWarning ... kKindConfirmation
    QString caption;
    QColor bandFrom, bandTo;
    QColor face, pressed, hotTrack, light, shadow;
};

// Kinds other than warning, information and confirmation look exactly like the error kind.
MessageKindStyle messageKindStyle(quint8 kind);

// The message box's buttons in their fixed order on screen: DA, NU, RENUNT, OK.
enum class MessageButton { Da, Nu, Renunt, Ok };

// The buttons a set shows, in screen order; bits other than the four are ignored.
QList<MessageButton> visibleButtons(quint16 buttons);

// Left edges of n visible buttons, 73 pixels wide, spread evenly over the window.
QList<int> buttonLefts(int n);

} // namespace dosarium
