// TContor: the progress strip (single instance "Contor") shown over the active window while a
// long file operation runs. Callers set Bar's maximum and Descr's text, then Start/Step/Finish.
#pragma once

#include <QWidget>

class QLabel;

namespace dosarium {

class TCylinderProgressBar;

class TContor : public QWidget {
    Q_OBJECT
public:
    explicit TContor(QWidget *parent = nullptr);
    ~TContor() override;

    QLabel *Descr = nullptr;
    TCylinderProgressBar *Bar = nullptr;

    void Start();
    void Step();
    void Finish();
};

} // namespace dosarium
