// Romanian texts for the parts of Qt's own dialogs and menus the program shows (the file
// dialog's columns and buttons, the edit boxes' context menu), since Qt ships no Romanian
// translation. Installed once by the program entry.
#pragma once

#include <QTranslator>

namespace dosarium {

class QtTexts : public QTranslator {
    Q_OBJECT
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override;
};

} // namespace dosarium
