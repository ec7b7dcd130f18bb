// TForm5: the password prompt, a small modal window that asks for one password (shown as "X")
// and gives it back; created once with the other windows and kept hidden until asked.
#pragma once

#include <QDialog>
#include <optional>

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace dosarium {

class TFlatSpeedButton;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    // Shows the prompt with `title` as its caption; the password typed, or nothing when the
    // person cancelled (Renunt, Escape, the close box).
    std::optional<QString> AskPassword(const QString &title);

    QLabel *Label1 = nullptr;
    QLineEdit *Parola = nullptr;
    TFlatSpeedButton *OkBut = nullptr;
    TFlatSpeedButton *CancelBut = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace dosarium
