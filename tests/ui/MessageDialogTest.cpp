// The message box through its real window: what it shows for each kind and button set, and what
// each way of closing it returns.
#include "ui/MessageDialog.h"
#include "TestApplication.h"
#include "ui/KindPictures.h"
#include "ui/MessageKinds.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

struct Seen {
    bool shown = false;
    QList<int> visibleLefts; // left edges of the visible buttons, DA NU RENUNT OK order
    QStringList captions;
    QString windowTitle, header, text;
    QColor bandFrom, bandTo, bottomFrom, bottomTo, face;
    QSize size;
    QImage picture;
    QImage window; // the whole client area as drawn
    int textLines = 0;
};

class MessageDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void TearDown() override { TErori::setAnswerHook(nullptr); }

    // Shows the message, records what the window shows, then answers with `answer`.
    quint16 ask(const QString &title, const QString &text, quint8 kind, quint16 buttons,
                std::function<void(TErori &)> answer)
    {
        TErori::setAnswerHook([this, answer](TErori &d) {
            seen.shown = d.isVisible();
            for (TFlatSpeedButton *b : {d.BE1, d.BE2, d.BE3, d.BE4}) {
                if (b->isVisible()) {
                    seen.visibleLefts << b->x();
                    seen.captions << b->text();
                    EXPECT_EQ(b->y(), 144);
                    EXPECT_EQ(b->size(), QSize(73, 25));
                    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
                }
            }
            seen.windowTitle = d.windowTitle();
            seen.header = d.Label1->text();
            seen.text = d.EroText->text();
            seen.bandFrom = d.GradientPanel1->ColorFrom();
            seen.bandTo = d.GradientPanel1->ColorTo();
            seen.bottomFrom = d.GradientPanel2->ColorFrom();
            seen.bottomTo = d.GradientPanel2->ColorTo();
            seen.face = d.BE1->color();
            seen.size = d.size();
            seen.picture = d.Image1->pixmap().toImage();
            seen.window = d.grab().toImage();
            seen.textLines = d.EroText->heightForWidth(d.EroText->width()) /
                             d.EroText->fontMetrics().lineSpacing();
            answer(d);
        });
        return dialog.Mesaj(title, text, kind, buttons);
    }

    TErori dialog;
    Seen seen;
};

TEST_F(MessageDialogTest, okAlone_standsInTheMiddleOnTheErrorColoursAndReturnsOne)
{
    const quint16 result =
        ask(QStringLiteral("Vizualizare fisier"), QStringLiteral("\rFisierul nu exista!"), 1, 4,
            [](TErori &d) { QTest::mouseClick(d.BE4, Qt::LeftButton); });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.visibleLefts, QList<int>({134}));
    EXPECT_EQ(seen.captions, QStringList({QStringLiteral("OK")}));
    EXPECT_EQ(seen.windowTitle, QStringLiteral("Eroare"));
    EXPECT_EQ(seen.header, QStringLiteral("Vizualizare fisier"));
    EXPECT_EQ(seen.text, QStringLiteral("\nFisierul nu exista!")); // an empty first line
    EXPECT_EQ(seen.bandFrom, QColor(0xFFD5D5));
    EXPECT_EQ(seen.bandTo, QColor(0xFF0000));
    EXPECT_EQ(seen.bottomFrom, seen.bandFrom);
    EXPECT_EQ(seen.bottomTo, seen.bandTo);
    EXPECT_EQ(seen.face, QColor(0xFF0000));
    EXPECT_EQ(seen.size, QSize(345, 177));
    EXPECT_FALSE(dialog.isVisible());

    // The bands as drawn: red on the left, light on the right; the middle white to grey.
    const auto at = [this](int x, int y) { return QColor(seen.window.pixel(x, y)); };
    EXPECT_EQ(at(0, 2), QColor(0xFF0000));
    EXPECT_EQ(at(344, 2), QColor(0xFFD5D5));
    EXPECT_EQ(at(0, 175), QColor(0xFF0000));
    EXPECT_EQ(at(344, 175), QColor(0xFFD5D5));
    EXPECT_EQ(at(0, 100), QColor(0xE1E1E1));
    EXPECT_EQ(at(344, 100), QColor(0xFFFFFF));
    EXPECT_EQ(at(8 + 16, 8 + 16), seen.picture.pixelColor(16, 16)); // the picture on top
}

TEST_F(MessageDialogTest, carriageReturns_startNewLinesInTheText)
{
    ask(QStringLiteral("Conectare server"),
        QStringLiteral("Baza de date D:\\Arhiva\rNU este accesibila!\r\nVerificati conexiunea si "
                       "reporniti programul!"),
        1, 4, [](TErori &d) { d.BE4->click(); });
    EXPECT_EQ(seen.text, QStringLiteral("Baza de date D:\\Arhiva\nNU este accesibila!\nVerificati "
                                        "conexiunea si reporniti programul!"));
    EXPECT_EQ(seen.textLines, 3);
}

TEST_F(MessageDialogTest, escapeAndTheCloseBox_returnTwo_andEnterPressesNothing)
{
    EXPECT_EQ(ask(QStringLiteral("T"), QStringLiteral("x"), 1, 4,
                  [](TErori &d) {
                      QTest::keyClick(&d, Qt::Key_Return);
                      QTest::keyClick(&d, Qt::Key_Enter);
                      EXPECT_TRUE(d.isVisible());
                      QTest::keyClick(&d, Qt::Key_Escape);
                  }),
              2);
    EXPECT_EQ(ask(QStringLiteral("T"), QStringLiteral("x"), 3, 3, [](TErori &d) { d.close(); }), 2);
    // A result of an earlier call does not carry over to the next.
    ask(QStringLiteral("T"), QStringLiteral("x"), 3, 3,
        [](TErori &d) { QTest::mouseClick(d.BE1, Qt::LeftButton); });
    EXPECT_EQ(ask(QStringLiteral("T"), QStringLiteral("x"), 3, 3,
                  [](TErori &d) { QTest::keyClick(&d, Qt::Key_Escape); }),
              2);
}

TEST_F(MessageDialogTest, yesNoQuestion_usesTheConfirmationColoursAndNoReturnsSeven)
{
    const quint16 result =
        ask(QStringLiteral("Inchidere program"), QStringLiteral("\rVreti sa inchideti programul?"),
            3, 3, [](TErori &d) { QTest::mouseClick(d.BE2, Qt::LeftButton); });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(seen.visibleLefts, QList<int>({65, 203}));
    EXPECT_EQ(seen.captions, QStringList({QStringLiteral("DA"), QStringLiteral("NU")}));
    EXPECT_EQ(seen.windowTitle, QStringLiteral("Confirmare"));
    EXPECT_EQ(seen.bandFrom, QColor(0x81A2D3));
    EXPECT_EQ(seen.bandTo, QColor(0x365F9C));
    EXPECT_EQ(seen.face, QColor(0x3966A8));

    EXPECT_EQ(ask(QStringLiteral("T"), QStringLiteral("x"), 3, 3,
                  [](TErori &d) { QTest::mouseClick(d.BE1, Qt::LeftButton); }),
              6);
}

TEST_F(MessageDialogTest, everyButton_standsInTheFixedOrderWhateverTheBits)
{
    // Only the four low bits count; RENUNT stands before OK although its bit is higher.
    const quint16 result = ask(QStringLiteral("T"), QStringLiteral("x"), 2, 0xFF0F,
                               [](TErori &d) { QTest::mouseClick(d.BE3, Qt::LeftButton); });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(seen.visibleLefts, QList<int>({10, 93, 176, 259}));
    EXPECT_EQ(seen.captions, QStringList({QStringLiteral("DA"), QStringLiteral("NU"),
                                          QStringLiteral("RENUNT"), QStringLiteral("OK")}));
    EXPECT_EQ(seen.windowTitle, QStringLiteral("Informatie"));

    seen = Seen();
    ask(QStringLiteral("T"), QStringLiteral("x"), 0, 1 | 2 | 8,
        [](TErori &d) { QTest::mouseClick(d.BE3, Qt::LeftButton); });
    EXPECT_EQ(seen.visibleLefts, QList<int>({30, 133, 236}));
    EXPECT_EQ(seen.windowTitle, QStringLiteral("Atentie !"));
    EXPECT_EQ(seen.face, QColor(0x2C291B));
}

TEST_F(MessageDialogTest, noButtons_returnTwoWithoutShowingAnything)
{
    bool hookRan = false;
    TErori::setAnswerHook([&hookRan](TErori &) { hookRan = true; });
    EXPECT_EQ(dialog.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 1, 0), 2);
    EXPECT_EQ(dialog.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 1, 0x10), 2);
    QCoreApplication::processEvents();
    EXPECT_FALSE(hookRan);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MessageDialogTest, unknownKind_looksExactlyLikeTheErrorKind)
{
    ask(QStringLiteral("T"), QStringLiteral("x"), 1, 4,
        [](TErori &d) { QTest::mouseClick(d.BE4, Qt::LeftButton); });
    const Seen error = seen;
    seen = Seen();
    ask(QStringLiteral("T"), QStringLiteral("x"), 7, 4,
        [](TErori &d) { QTest::mouseClick(d.BE4, Qt::LeftButton); });
    EXPECT_EQ(seen.windowTitle, error.windowTitle);
    EXPECT_EQ(seen.bandFrom, error.bandFrom);
    EXPECT_EQ(seen.bandTo, error.bandTo);
    EXPECT_EQ(seen.face, error.face);
    EXPECT_EQ(seen.picture, error.picture);
}

TEST(MessageKinds, buttonLefts_spreadTheButtonsEvenly)
{
    EXPECT_TRUE(buttonLefts(0).isEmpty());
    EXPECT_EQ(buttonLefts(1), QList<int>({134}));
    EXPECT_EQ(buttonLefts(2), QList<int>({65, 203}));
    EXPECT_EQ(buttonLefts(3), QList<int>({30, 133, 236}));
    EXPECT_EQ(buttonLefts(4), QList<int>({10, 93, 176, 259}));
}

TEST(KindPictures, eachKindHasItsOwnColours)
{
    ensureApplication();
    const QColor triangle = kindPicture(0).toImage().pixelColor(9, 25);
    const QColor disc = kindPicture(1).toImage().pixelColor(6, 16);
    const QColor bubble = kindPicture(2).toImage().pixelColor(5, 12);
    EXPECT_GT(triangle.red(), 200);
    EXPECT_GT(triangle.green(), 150);
    EXPECT_LT(triangle.blue(), 100);
    EXPECT_GT(disc.red(), 200);
    EXPECT_LT(disc.green(), 60);
    EXPECT_GT(bubble.blue(), 150);
    EXPECT_LT(bubble.red(), 80);
    EXPECT_EQ(kindPicture(0).toImage().pixelColor(0, 0).alpha(), 0); // transparent corners
    EXPECT_NE(kindPicture(2).toImage(), kindPicture(3).toImage());
}

} // namespace
