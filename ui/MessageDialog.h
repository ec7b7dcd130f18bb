// TErori: the program's one message box (single instance "Erori"), shown by Mesaj.
#pragma once

#include <QDialog>
#include <functional>

namespace dosarium {

class TErori : public QDialog {
    Q_OBJECT
public:
    explicit TErori(QWidget *parent = nullptr);
    ~TErori() override;

    // Kinds: 0 warning, 1 error, 2 information, 3 confirmation (others look like 1).
    // Buttons: 1 DA, 2 NU, 4 OK, 8 RENUNT. Returns 6, 7, 1 or 2 (Escape, close box, no buttons).
    quint16 Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons);

    // Test seam: while set, the hook runs once the window is shown modally; it answers the
    // dialog the way a user would (clicking a button, pressing Escape, closing the window).
    using AnswerHook = std::function<void(TErori &dialog)>;
    static AnswerHook setAnswerHook(AnswerHook hook);
};

} // namespace dosarium
