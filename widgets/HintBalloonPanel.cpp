#include "widgets/HintBalloonPanel.h"

#include <QPainter>

namespace dosarium {

HintBalloonPanel::HintBalloonPanel(const QImage &icon, const QString &title, const QString &text,
                                   const QFont &titleFont, const QFont &textFont,
                                   const BalloonGeometry::ContentLayout &layout, QWidget *parent)
    : QWidget(parent), m_icon(icon), m_title(title), m_text(displayText(text)),
      m_titleFont(titleFont), m_textFont(textFont), m_layout(layout)
{
    setAttribute(Qt::WA_TranslucentBackground);
    resize(layout.content);
}

QString HintBalloonPanel::displayText(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

void HintBalloonPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (!m_icon.isNull() && !m_layout.icon.isEmpty())
        p.drawImage(m_layout.icon.topLeft(), m_icon);
    p.setPen(Qt::black);
    if (!m_layout.title.isEmpty()) {
        p.setFont(m_titleFont);
        p.drawText(m_layout.title, Qt::AlignLeft | Qt::AlignTop, m_title);
    }
    p.setFont(m_textFont);
    p.drawText(m_layout.text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

} // namespace dosarium
