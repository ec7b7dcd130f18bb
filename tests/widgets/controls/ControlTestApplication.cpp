// The widget tests of this program need one application object for the whole run; it is
// created before the first test and uses the offscreen platform unless another one is asked for.

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QApplication>

namespace {

// The offscreen platform reports every window mask, opacity and raise it cannot carry out;
// those reports say nothing about the program and are left out of the test output.
QtMessageHandler previousHandler = nullptr;

void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

class ControlTestApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        useOffscreenPlatform();
        static int argc = 1;
        static char name[] = "widgets_control_tests";
        static char *argv[] = {name, nullptr};
        previousHandler = qInstallMessageHandler(messageHandler);
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication *m_app = nullptr;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new ControlTestApplication);

} // namespace
