#pragma once

// The content panel of a balloon hint: the icon, the bold title and the word-wrapped text at
// the places the layout gives. It paints no background of its own, so the balloon's colour and
// outline show around its pieces; clicks pass on to the balloon.

#include "widgets/BalloonGeometry.h"

#include <QFont>
#include <QImage>
#include <QWidget>

namespace dosarium {

class HintBalloonPanel : public QWidget {
    Q_OBJECT
public:
    HintBalloonPanel(const QImage &icon, const QString &title, const QString &text,
                     const QFont &titleFont, const QFont &textFont,
                     const BalloonGeometry::ContentLayout &layout, QWidget *parent = nullptr);

    // The text as it is drawn: a carriage return, alone or before a line feed, starts a line.
    static QString displayText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_icon;
    QString m_title;
    QString m_text;
    QFont m_titleFont;
    QFont m_textFont;
    BalloonGeometry::ContentLayout m_layout;
};

} // namespace dosarium
