// How a dialog points out a wrong entry: the balloon "Problema !" with the text at the control,
// returning at once. The program entry hands every dialog the start-up window's balloon.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dosarium {

using ProblemReport = std::function<void(const QString &text, QWidget *control)>;

} // namespace dosarium
