// The boxes of user names and passwords in the program's dialogs: upper case only, at most 32
// characters the user file can store; a password box shows every character as "X".
#pragma once

class QLineEdit;
class QString;
class QWidget;

namespace dosarium {

QLineEdit *userNameBox(const QString &name, QWidget *parent);
QLineEdit *passwordBox(const QString &name, QWidget *parent);

} // namespace dosarium
