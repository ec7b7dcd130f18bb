// TAddUser: the small dialog where a user is entered (name, password twice, rank) or where a
// user's password is changed.
#pragma once

#include "ui/ProblemReport.h"

#include <QDialog>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace dosarium {

class TFlatSpeedButton;
class TGradientPanel;

class TAddUser : public QDialog {
    Q_OBJECT
public:
    explicit TAddUser(ProblemReport showProblem, QWidget *parent = nullptr);
    ~TAddUser() override;

    // Empties the name and both passwords and selects PRIVITOR.
    void ClearFields();
    // Shows the dialog modally with `heading` in its band; the name and the rank can be edited
    // only in add mode. True when "Memoreaza" accepted the entries.
    bool EditUser(const QString &heading, bool addMode);

    void BitBtn1Click();
    void SpeedButton12Click();
    bool FormKeyDown(QKeyEvent *event);
    bool EnterTab(QWidget *source, QKeyEvent *event);

    bool addMode() const { return m_addMode; }
    bool result() const { return m_result; }

    TGradientPanel *Header = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Utilizator = nullptr;
    QLineEdit *Pass1 = nullptr;
    QLineEdit *Pass2 = nullptr;
    QComboBox *Rang = nullptr;
    TFlatSpeedButton *BitBtn1 = nullptr;
    TFlatSpeedButton *SpeedButton12 = nullptr;

private:
    ProblemReport m_showProblem;
    bool m_result = false;
    bool m_addMode = true;
};

} // namespace dosarium
