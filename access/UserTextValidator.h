// The text rule of the name and password boxes: upper case only, at most 32 characters, and
// only characters the user file's code page can store.
#pragma once

#include <QString>
#include <QValidator>
#include <optional>

namespace dosarium {

// The box text for `typed`: every letter in upper case (a letter whose upper case the code page
// lacks stays as it is). No value when the text is longer than 32 characters or holds a
// character the user file cannot store; the comma-below letters are accepted (they are stored
// in their cedilla forms).
std::optional<QString> userBoxText(const QString &typed);

// Refuses what userBoxText refuses as it is typed and turns the rest into upper case.
class UserTextValidator : public QValidator {
    Q_OBJECT
public:
    explicit UserTextValidator(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};

} // namespace dosarium
