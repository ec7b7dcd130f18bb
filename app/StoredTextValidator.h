// The rule of the boxes whose text is stored in the tables and files of the data folder: only
// characters the single-byte code page can store, no control characters, at most as many
// characters as the column holds, and, where the box asks for it, every letter in upper case.
#pragma once

#include "ui/ProblemReport.h"

#include <QString>
#include <QValidator>
#include <optional>

class QLineEdit;

namespace dosarium {

// The box text for `typed`; no value when it is longer than `maxLength` or holds a character
// the code page cannot store (the comma-below letters are accepted: they are stored in their
// cedilla forms). A letter whose upper case the code page lacks stays as it is.
std::optional<QString> storedBoxText(const QString &typed, int maxLength, bool upperCase);

// Refuses what storedBoxText refuses as it is typed and writes the rest as it gives it.
class StoredTextValidator : public QValidator {
    Q_OBJECT
public:
    StoredTextValidator(int maxLength, bool upperCase, QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;

private:
    int m_maxLength;
    bool m_upperCase;
};

// A key the box does not take is never dropped without a word: `report` says why (the box holds
// as many characters as fit, or the character cannot be stored in the program's files), at
// `control`, or at the box itself when it is null.
void explainRefusedKeys(QLineEdit *box, const ProblemReport &report, QWidget *control = nullptr);

} // namespace dosarium
