// The progress window's states, and the general error report.
#include "ui/ProgressWindow.h"
#include "TestApplication.h"
#include "store/Error.h"
#include "ui/ErrorReport.h"
#include "widgets/CylinderProgressBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace dosarium;

namespace {

class ProgressWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override
    {
        owner.resize(400, 300);
        owner.show();
        QApplication::setActiveWindow(&owner);
        contor.Bar->setMaximum(3);
        contor.Descr->setText(QStringLiteral("Copiere fisier ..."));
    }
    QWidget owner;
    TContor contor;
};

TEST_F(ProgressWindowTest, startStepFinish_disableTheActiveWindowAndGiveItBack)
{
    EXPECT_EQ(contor.size(), QSize(332, 65));
    EXPECT_EQ(contor.Bar->geometry(), QRect(14, 28, 300, 24));
    contor.Start();
    EXPECT_TRUE(contor.isVisible());
    EXPECT_EQ(contor.rememberedWindow(), &owner);
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_EQ(contor.Bar->position(), 0);
    for (int i = 0; i < 5; ++i)
        contor.Step(); // more steps than the maximum stop at it
    EXPECT_EQ(contor.Bar->position(), 3);

    contor.Finish();
    EXPECT_FALSE(contor.isVisible());
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(contor.rememberedWindow(), nullptr);
}

TEST_F(ProgressWindowTest, finish_givesTheFocusBackToTheControlThatHadIt)
{
    auto *layout = new QVBoxLayout(&owner);
    auto *first = new QLineEdit(&owner);
    auto *second = new QLineEdit(&owner);
    layout->addWidget(first);
    layout->addWidget(second);
    first->show();
    second->show();
    owner.setCursor(Qt::IBeamCursor);
    second->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), second);

    contor.Start();
    EXPECT_EQ(owner.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(contor.cursor().shape(), Qt::WaitCursor);
    // The strip stands over the middle of the window that started the operation.
    EXPECT_EQ(contor.frameGeometry().center(), owner.frameGeometry().center());

    contor.Finish();
    EXPECT_EQ(QApplication::focusWidget(), second);
    EXPECT_NE(owner.cursor().shape(), Qt::WaitCursor);
}

TEST_F(ProgressWindowTest, secondStart_resetsTheBarAndKeepsTheFirstWindow)
{
    contor.Start();
    contor.Step();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    contor.Start();
    EXPECT_EQ(contor.Bar->position(), 0);
    EXPECT_EQ(contor.rememberedWindow(), &owner);
    EXPECT_TRUE(other.isEnabled());
    contor.Finish();
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(ProgressWindowTest, maximumZero_andFinishWithoutStart_changeNothing)
{
    contor.Finish();
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(contor.isVisible());

    contor.Bar->setMaximum(0);
    contor.Start();
    contor.Step();
    EXPECT_EQ(contor.Bar->position(), 0);
    contor.Finish();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

TEST_F(ProgressWindowTest, steps_paintTheBarOnlyWhenItsFillChanges)
{
    // The steps of a 200 MB file in blocks of 10,000 bytes, each followed by pending events.
    contor.Bar->setMaximum(20000);
    contor.Start();
    PaintCounter counter;
    contor.Bar->installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    int unchangedSteps = 0;
    int paintsOfUnchangedSteps = 0;
    int changedSteps = 0;
    for (int i = 0; i < 20000; ++i) {
        const int before = counter.paints;
        const int filledBefore = contor.Bar->filledEnd();
        contor.Step();
        QCoreApplication::processEvents();
        if (contor.Bar->filledEnd() == filledBefore) {
            ++unchangedSteps;
            paintsOfUnchangedSteps += counter.paints - before;
        } else {
            ++changedSteps;
        }
    }
    EXPECT_EQ(contor.Bar->position(), 20000);
    EXPECT_GT(unchangedSteps, 19000);
    EXPECT_EQ(paintsOfUnchangedSteps, 0);
    // The fill moves a pixel at a time; steps onto a gap between blocks paint nothing either.
    EXPECT_GT(counter.paints, 0);
    EXPECT_LE(counter.paints, changedSteps);
    contor.Bar->removeEventFilter(&counter);
    contor.Finish();
}

} // namespace
