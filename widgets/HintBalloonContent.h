#pragma once

// What one balloon hint shows: the icon's resource name, the title, the text and the panel
// widths. The show request hands it to the balloon as a description text of key=value items
// separated by ";", an item quoted with "'" when it holds a separator, a quote or a blank.

#include <QString>

namespace dosarium {

struct HintBalloonContent {
    QString iconResName; // "INFO", "ERROR", "WARNING" or empty for no icon
    QString title;
    QString text;
    int bestWidth = 0;
    int maxWidth = 0;
    int maxHeight = 0;

    QString toDescription() const;
    static HintBalloonContent fromDescription(const QString &description);

    bool operator==(const HintBalloonContent &) const = default;
};

} // namespace dosarium
