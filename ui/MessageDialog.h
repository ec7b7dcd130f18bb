// TErori: the program's one message box (single instance "Erori"), shown by Mesaj.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;

namespace dosarium {

class TFlatSpeedButton;
class TGradientPanel;

class TErori : public QDialog {
    Q_OBJECT
public:
    explicit TErori(QWidget *parent = nullptr);
    ~TErori() override;

    // The kind, the button set and the result are those of ui/MessageChoices.h; Escape, the
    // close box and a set without buttons give kResultCancel.
    quint16 Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons);

    // Test seam: while set, the hook runs once the window is shown modally; it answers the
    // dialog the way a user would (clicking a button, pressing Escape, closing the window).
    using AnswerHook = std::function<void(TErori &dialog)>;
    static AnswerHook setAnswerHook(AnswerHook hook);

    TGradientPanel *GradientPanel1 = nullptr; // top band
    TGradientPanel *GradientPanel3 = nullptr; // middle band
    TGradientPanel *GradientPanel2 = nullptr; // bottom band
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *EroText = nullptr;
    TFlatSpeedButton *BE1 = nullptr; // DA
    TFlatSpeedButton *BE2 = nullptr; // NU
    TFlatSpeedButton *BE3 = nullptr; // RENUNT
    TFlatSpeedButton *BE4 = nullptr; // OK

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TFlatSpeedButton *makeButton(const QString &name, const QString &caption, quint16 result);
    TFlatSpeedButton *button(int which) const;

    quint16 m_result = 2;
};

} // namespace dosarium
