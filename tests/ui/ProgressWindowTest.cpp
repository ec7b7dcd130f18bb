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

} // namespace
