#include "register/DateBox.h"

#include "app/TextFormats.h"
#include "store/FieldCodec.h"

#include <QAction>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace dosarium {

namespace {

constexpr int kLongestText = 10; // dd.mm.yyyy

// A small calendar leaf: a navy top band over a white page with two rows of days.
QIcon calendarIcon()
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setPen(QColor(0x00, 0x00, 0x80));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(0x00, 0x00, 0x80));
    for (int y : {8, 11})
        for (int x : {3, 6, 9, 12})
            p.fillRect(x, y, 2, 2, QColor(0x40, 0x50, 0x6A));
    return QIcon(picture);
}

} // namespace

DateBox::DateBox(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(kLongestText);
    setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9.]{0,%1}").arg(kLongestText)), this));
    QAction *drop = addAction(calendarIcon(), QLineEdit::TrailingPosition);
    drop->setObjectName(QStringLiteral("CalendarButton"));
    connect(drop, &QAction::triggered, this, [this] { showCalendar(); });

    m_popup = new QWidget(this, Qt::Popup);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(1, 1, 1, 1);
    m_calendar = new QCalendarWidget(m_popup);
    m_calendar->setObjectName(QStringLiteral("Calendar"));
    m_calendar->setLocale(QLocale(QLocale::Romanian, QLocale::Romania));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setMinimumDate(QDate(1900, 1, 1));
    m_calendar->setMaximumDate(QDate(2100, 12, 31));
    layout->addWidget(m_calendar);
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](QDate chosen) {
        m_popup->hide();
        setText(chosen.toString(QStringLiteral("dd.MM.yyyy")));
        setModified(true);
        m_fresh = true;
        setFocus();
        selectAll();
    });
    connect(m_calendar, &QCalendarWidget::activated, m_calendar, &QCalendarWidget::clicked);
}

void DateBox::setDate(const QDate &date)
{
    m_date = date;
    // An empty date of the table reads as the zero date: the box shows it empty.
    const bool shown = date.isValid() && date != zeroDate();
    setText(shown ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString());
    setModified(false);
    m_fresh = true;
}

QDate DateBox::date() const
{
    return isModified() ? typedDate(text()) : m_date;
}

void DateBox::showCalendar()
{
    const QDate shown = date();
    m_calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    m_popup->adjustSize();
    m_popup->move(mapToGlobal(QPoint(0, height())));
    m_popup->show();
    m_calendar->setFocus();
}

void DateBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    m_fresh = true;
    m_clickGaveFocus = event->reason() == Qt::MouseFocusReason;
    // After the mouse press that gave the focus has placed the cursor.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus())
            selectAll();
    });
}

void DateBox::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool character = !typed.isEmpty() && typed.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (m_fresh && character) {
        // A new date is being typed: it replaces the old one whole.
        m_fresh = false;
        clear();
        setModified(true);
    } else if (!event->matches(QKeySequence::SelectAll) && event->key() != Qt::Key_Shift &&
               event->key() != Qt::Key_Control) {
        m_fresh = false;
    }
    QLineEdit::keyPressEvent(event);
}

void DateBox::mousePressEvent(QMouseEvent *event)
{
    // A click in the box that had the focus already places the cursor for a correction.
    if (!m_clickGaveFocus)
        m_fresh = false;
    m_clickGaveFocus = false;
    QLineEdit::mousePressEvent(event);
}

} // namespace dosarium
