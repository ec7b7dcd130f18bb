// The date box of the act dialog: a text box that keeps exactly what is typed, with a calendar
// that drops down from its button. The first key typed after the box takes the focus or a new
// date replaces the whole text, wherever the cursor stands; after that the box edits as any text
// box does. The typed text is read as a date only when asked (see typedDate).
#pragma once

#include <QDate>
#include <QLineEdit>

class QCalendarWidget;

namespace dosarium {

class DateBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DateBox(QWidget *parent = nullptr);

    // Shows `date` ("dd.mm.yyyy"; empty for an invalid date and for the table's empty date) as
    // the box's own value.
    void setDate(const QDate &date);
    // The date given with setDate while the text is untouched; afterwards the typed date, or an
    // invalid date when the text names none.
    QDate date() const;
    // Whether the text holds a date (an untouched value always does).
    bool holdsDate() const { return !isModified() || date().isValid(); }

    // Drops the calendar down under the box.
    void showCalendar();
    QCalendarWidget *calendar() const { return m_calendar; }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QDate m_date;
    bool m_fresh = true;
    bool m_clickGaveFocus = false;
    QWidget *m_popup = nullptr;
    QCalendarWidget *m_calendar = nullptr;
};

} // namespace dosarium
