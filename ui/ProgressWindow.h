// TContor: the progress strip (single instance "Contor") shown over the active window while a
// long file operation runs. Callers set Bar's maximum and Descr's text, then Start/Step/Finish.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace dosarium {

class TCylinderProgressBar;
class TGradientPanel;

class TContor : public QWidget {
    Q_OBJECT
public:
    explicit TContor(QWidget *parent = nullptr);
    ~TContor() override;

    TGradientPanel *GP1 = nullptr;
    QLabel *Descr = nullptr;
    TCylinderProgressBar *Bar = nullptr;

    // Resets the bar; the first Start also disables the active window and shows the strip.
    void Start();
    // One step forward, never past the maximum.
    void Step();
    // Hides the strip; the remembered window gets its input, cursor and focus back.
    void Finish();

    // The window disabled by Start, until Finish.
    QWidget *rememberedWindow() const { return m_remembered; }

private:
    static void repaintNow();

    QPointer<QWidget> m_remembered;
    QPointer<QWidget> m_rememberedFocus; // its control that had the focus
};

} // namespace dosarium
