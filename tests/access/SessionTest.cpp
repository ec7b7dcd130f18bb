// Who signs in, how the program ends, and what the name and password boxes accept.
#include "access/Session.h"
#include "access/UserFile.h"
#include "access/UserTextValidator.h"
#include "store/FilePath.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "TestApplication.h"

using namespace dosarium;

namespace {

// Types text the way a keyboard does, one key event per character.
void type(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

TEST(SignInTest, typedTextsAreCutTo32CharactersButNeverTrimmed)
{
    QTemporaryDir dir;
    WriteUserFile(dir.path(),
                  {UserEntry::fromText(QString(32, QLatin1Char('N')), QStringLiteral("P"), 1),
                   UserEntry::fromText(QStringLiteral("ION"), QStringLiteral("P"), 2)});

    EXPECT_EQ(SignIn(dir.path(), QString(40, QLatin1Char('N')), QStringLiteral("P")).Rank, 1);
    EXPECT_EQ(SignIn(dir.path(), QStringLiteral("ION"), QStringLiteral("P")).Rank, 2);
    EXPECT_TRUE(SignIn(dir.path(), QStringLiteral("ION "), QStringLiteral("P")).isEmpty());
    EXPECT_TRUE(SignIn(dir.path(), QStringLiteral(" ION"), QStringLiteral("P")).isEmpty());
    EXPECT_TRUE(SignIn(dir.path(), QStringLiteral("ION"), QStringLiteral("P ")).isEmpty());
    EXPECT_TRUE(SignIn(dir.path(), QString(), QString()).isEmpty());
}

TEST(SignInTest, textTheFileCannotHoldMatchesNobodyYetTheFileIsMade)
{
    QTemporaryDir dir;
    EXPECT_TRUE(SignIn(dir.path(), QStringLiteral(u"ADMIN\u4E00"), QString()).isEmpty());
    EXPECT_TRUE(QFile::exists(joinPath(dir.path(), QStringLiteral("ini.mpg"))));
    EXPECT_EQ(SignIn(dir.path(), QStringLiteral("ADMIN"), QString()).Rank, RankAdministrator);
}

struct ExitRecorder {
    QStringList steps;
    quint16 answer = 6;
    ExitSteps exitSteps()
    {
        return {
            [this](const QString &title, const QString &text, quint8 kind, quint16 buttons) {
                steps << QStringLiteral("ask %1|%2|%3|%4").arg(title, text).arg(kind).arg(buttons);
                return answer;
            },
            [this] { steps << QStringLiteral("temp"); },
            [this](const QString &action) { steps << QStringLiteral("log ") + action; },
            [this] { steps << QStringLiteral("end"); },
        };
    }
};

TEST(ConfirmExitTest, yesRemovesTempThenLogsThenEnds)
{
    ExitRecorder r;
    EXPECT_TRUE(ConfirmExit(r.exitSteps()));
    EXPECT_EQ(r.steps,
              (QStringList{QStringLiteral("ask Inchidere program|\rVreti sa inchideti "
                                          "programul?|3|3"),
                           QStringLiteral("temp"), QStringLiteral("log Inchidere program."),
                           QStringLiteral("end")}));
}

TEST(ConfirmExitTest, anyOtherAnswerKeepsTheProgramRunning)
{
    for (quint16 answer : {quint16(7), quint16(2), quint16(1), quint16(0)}) {
        ExitRecorder r;
        r.answer = answer;
        EXPECT_FALSE(ConfirmExit(r.exitSteps()));
        EXPECT_EQ(r.steps.size(), 1) << answer;
    }
}

TEST(UserBoxTextTest, upperCaseOnlyAndOnlyWhatTheFileCanStore)
{
    EXPECT_EQ(userBoxText(QStringLiteral(u"popescu ion-2")), QStringLiteral(u"POPESCU ION-2"));
    // Romanian letters in either form; the comma-below ones are stored with a cedilla.
    EXPECT_EQ(userBoxText(QStringLiteral(u"știință ţară")), QStringLiteral(u"ȘTIINȚĂ ŢARĂ"));
    // Letters whose upper case the code page lacks stay as typed.
    EXPECT_EQ(userBoxText(QStringLiteral(u"ßµ")), QStringLiteral(u"ßµ"));
    EXPECT_EQ(userBoxText(QString(32, QLatin1Char('a'))), QString(32, QLatin1Char('A')));
    EXPECT_FALSE(userBoxText(QString(33, QLatin1Char('A'))));
    EXPECT_FALSE(userBoxText(QStringLiteral(u"ION\u4E00")));
    EXPECT_FALSE(userBoxText(QStringLiteral(u"ЖУК")));
    EXPECT_FALSE(userBoxText(QStringLiteral("A\tB")));
    EXPECT_EQ(userBoxText(QString()), QString());
}

TEST(UserBoxTextTest, boxRefusesCharactersAsTheyAreTyped)
{
    ensureApplication();
    QLineEdit box;
    box.setMaxLength(UserEntry::TextSize);
    box.setValidator(new UserTextValidator(&box));
    type(&box, QStringLiteral(u"ion ЖșA"));
    EXPECT_EQ(box.text(), QStringLiteral(u"ION ȘA"));
    box.clear();
    type(&box, QString(40, QLatin1Char('x')));
    EXPECT_EQ(box.text(), QString(32, QLatin1Char('X')));
}

} // namespace
