// The program's hints: white, and shown for 5000 ms wherever they appear.
#pragma once

#include <QObject>

namespace dosarium {

class ToolTipPolicy : public QObject {
    Q_OBJECT
public:
    static constexpr int kHideAfterMs = 5000;

    // Installs the policy on the running application.
    static void install();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};

} // namespace dosarium
