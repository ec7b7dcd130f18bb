// Qt's own dialogs as a user meets them in this program: every text they ask the translators
// for is listed, and each must have its Romanian form.
#include "ui/QtTexts.h"
#include "TestApplication.h"
#include "ui/FileChooser.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

// Installed below the program's texts: it hears only the texts those leave untranslated.
class Untranslated : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        const QString text = QString::fromUtf8(sourceText);
        const QString where = QString::fromUtf8(context);
        // Not texts: key names and shortcuts (which a translation would change), and Qt's own
        // question for the writing direction.
        const bool keys = where == QLatin1String("QShortcut") ||
                          text.startsWith(QLatin1String("Alt+")) ||
                          text.startsWith(QLatin1String("Ctrl+"));
        if (!keys && text != QLatin1String("QT_LAYOUT_DIRECTION"))
            seen.insert(where + QLatin1String(": ") + text);
        return QString();
    }
    mutable QSet<QString> seen;
};

// Runs `step` on the active modal window of kind T as soon as it is up.
template <typename T> void whenModal(const std::function<void(T *)> &step)
{
    QTimer::singleShot(10, [step] {
        if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget()))
            step(modal);
        else
            whenModal<T>(step);
    });
}

TEST(QtTexts, everyTextOfTheFileChooserAUserMeets_isRomanian)
{
    ensureApplication();
    Untranslated missing;
    QtTexts romanian;
    QCoreApplication::installTranslator(&missing);
    QCoreApplication::installTranslator(&romanian);
    QTemporaryDir folder;
    QFile(folder.filePath(QStringLiteral("scan.pdf"))).open(QIODevice::WriteOnly);

    QStringList shown;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        dialog->setDirectory(folder.path());
        // Its list's menu, opened and closed again.
        auto *list = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        ASSERT_TRUE(list);
        QTimer::singleShot(100, [&shown] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *action : menu->actions())
                    shown << action->text();
                menu->close();
            }
        });
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    list->viewport()->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(list->viewport(), &menuEvent);
        // A name typed that does not exist: the warning box.
        whenModal<QMessageBox>([&shown](QMessageBox *warning) {
            shown << warning->text();
            for (QAbstractButton *button : warning->buttons())
                shown << button->text();
            warning->buttons().constFirst()->click();
            QTimer::singleShot(
                0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        });
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        QTest::keyClicks(name, QStringLiteral("nu-exista.pdf"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    EXPECT_EQ(chooseFile(nullptr, QStringLiteral("Alege Fisierul de arhivat")), QString());

    QCoreApplication::removeTranslator(&romanian);
    QCoreApplication::removeTranslator(&missing);
    QStringList untranslated = missing.seen.values();
    untranslated.sort();
    EXPECT_TRUE(untranslated.isEmpty()) << qPrintable(untranslated.join(QLatin1Char('\n')));
    EXPECT_FALSE(shown.isEmpty());
    for (const QString &text : shown)
        EXPECT_FALSE(text.contains(QLatin1String("not found"))) << qPrintable(text);
}

// The act dialog's date box drops this calendar down; its month names come from the locale.
TEST(QtTexts, everyTextOfTheCalendar_isRomanian)
{
    ensureApplication();
    Untranslated missing;
    QtTexts romanian;
    QCoreApplication::installTranslator(&missing);
    QCoreApplication::installTranslator(&romanian);
    {
        QCalendarWidget calendar;
        calendar.setLocale(QLocale(QLocale::Romanian, QLocale::Romania));
        calendar.setSelectedDate(QDate(2017, 6, 5));
        calendar.show();
        QCoreApplication::processEvents();
        const auto *month =
            calendar.findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
        ASSERT_TRUE(month);
        EXPECT_EQ(month->text(), QStringLiteral("iunie"));
    }
    QCoreApplication::removeTranslator(&romanian);
    QCoreApplication::removeTranslator(&missing);
    QStringList untranslated = missing.seen.values();
    untranslated.sort();
    EXPECT_TRUE(untranslated.isEmpty()) << qPrintable(untranslated.join(QLatin1Char('\n')));
}

} // namespace
