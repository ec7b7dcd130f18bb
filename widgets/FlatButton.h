#pragma once

// TFlatButton: the flat, hover-fading button of TFlatSpeedButton as a control that takes the
// keyboard focus; Space and Enter press it like any push button.

#include "widgets/FlatSpeedButton.h"

namespace dosarium {

class TFlatButton : public TFlatSpeedButton {
    Q_OBJECT
public:
    explicit TFlatButton(QWidget *parent = nullptr);
    explicit TFlatButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace dosarium
