// The general error report as the user sees it, and what a failed action leaves behind.
#include "ui/ErrorReport.h"
#include "TestApplication.h"
#include "store/Error.h"
#include "ui/MessageDialog.h"
#include "ui/ProgressWindow.h"
#include "widgets/CylinderProgressBar.h"
#include "widgets/FlatSpeedButton.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

struct SeenBox {
    bool found = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next modal box with its only button and records what it showed.
void answerNextBox(SeenBox &seen)
{
    QTimer::singleShot(0, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen.found = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton *b : box->buttons())
            seen.buttons << b->text();
        box->buttons().constFirst()->click();
    });
}

// Runs `step` inside the application's own event loop, as the program's start-up does, and
// tells whether that loop was still running afterwards.
bool loopGoesOnAfter(const std::function<void()> &step)
{
    bool stillRunning = false;
    QTimer::singleShot(0, [&] {
        step();
        QTimer::singleShot(20, [&] {
            stillRunning = true;
            QCoreApplication::quit();
        });
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); }); // never hang the run
    QCoreApplication::exec();
    return stillRunning;
}

TEST(ErrorReport, withNoWindowOpen_showsTheErrorBoxAndTheProgramGoesOn)
{
    ensureApplication();
    SeenBox seen;
    EXPECT_TRUE(loopGoesOnAfter([&seen] {
        answerNextBox(seen);
        showErrorReport(nullptr, QStringLiteral("Fisierul Acte.dbf\rnu poate fi citit."));
    }));
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title, QStringLiteral("Dosarium"));
    EXPECT_EQ(seen.text, QStringLiteral("Fisierul Acte.dbf\nnu poate fi citit."));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QStringList({QStringLiteral("OK")}));

    // The message box closed with no other window open does not end the program either.
    TErori erori;
    quint16 result = 0;
    TErori::setAnswerHook([](TErori &d) { d.BE4->click(); });
    EXPECT_TRUE(loopGoesOnAfter([&] {
        result = erori.Mesaj(QStringLiteral("Conectat la server"), QStringLiteral("x"), 2, 4);
    }));
    TErori::setAnswerHook(nullptr);
    EXPECT_EQ(result, 1);
}

} // namespace
