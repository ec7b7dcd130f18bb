#include "app/StartupWindow.h"

#include "app/SplashLogo.h"
#include "app/Workspace.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "widgets/CylinderProgressBar.h"
#include "widgets/GradientPanel.h"
#include "widgets/HintBalloonControl.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>

namespace dosarium {

TForm1::TForm1(Workspace &workspace, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_workspace(workspace), m_sequence(workspace, kVersionText)
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(395, 187);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x112D6C));
    setPalette(pal);
    setCursor(Qt::WaitCursor);

    GradientPanel1 = new TGradientPanel(this);
    GradientPanel1->setGeometry(rect());
    GradientPanel1->setColorFrom(QColor(0xACB8CC));
    GradientPanel1->setColorTo(QColor(0x4D6080));
    GradientPanel1->setColorCount(64);
    GradientPanel1->setDirection(TGradientDirection::HCenterToEdges);

    auto *logo = new QLabel(this);
    logo->setGeometry(8, 11, 73, 78);
    logo->setPixmap(splashLogo());

    // The version text twice, the dark one as the shadow of the white one.
    addText(kVersionText, 23, false, QColor(0x1E2531))->move(88, 46);
    addText(kVersionText, 23, false, Qt::white)->move(89, 43);
    const QString subtitle = QStringLiteral("Arhivare si evidenta documentelor");
    for (const auto &[x, y, color] :
         {std::tuple(83, 86, QColor(Qt::white)), std::tuple(84, 85, QColor(0x1E2531))}) {
        QLabel *line = addText(subtitle, 13, true, color);
        line->setGeometry(x, y, 250, line->sizeHint().height());
        line->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    Label5 = addText(QStringLiteral("Incarcare date"), 13, true, Qt::white);
    Label5->move(28, 124);
    Label5->resize(340, Label5->height());

    Bar1 = new TCylinderProgressBar(this);
    Bar1->setGeometry(24, 144, 353, 25);
    Bar1->setOrientation(boHorizontal);
    Bar1->setBarKind(bkCylinder);
    Bar1->setBarLook(blMetal);
    Bar1->setRoundCorner(true);
    Bar1->setShaped(true);
    Bar1->setShapeColor(QColor(0x0000FF));
    Bar1->setBackgroundColor(QColor(0x8080FF));
    Bar1->setStartColor(QColor(0x000080));
    Bar1->setFinalColor(QColor(0x00FFFF));
    Bar1->setShowInactivePos(true);
    Bar1->setInactivePosColor(QColor(0xACB8CC));
    Bar1->setBlockSize(0);
    Bar1->setSpaceSize(1);
    Bar1->setMaximum(100);
    Bar1->setPosition(0);

    Hint1 = new THintBalloonControl(this);
    Hint1->setDuration(5000);
    Hint1->setAnimationSpeed(50);
    Hint1->setAnimationType(batBlend);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

TForm1::~TForm1() = default;

QLabel *TForm1::addText(const QString &text, int pixels, bool italic, const QColor &color)
{
    auto *label = new QLabel(text, this);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setItalic(italic);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->adjustSize();
    return label;
}

const AppContext &TForm1::context() const
{
    return m_workspace.context();
}

AppContext &TForm1::context()
{
    return m_workspace.context();
}

void TForm1::WriteSetting(const QString &section, const QString &key, const QString &value)
{
    m_workspace.WriteSetting(section, key, value);
}

void TForm1::WriteLog(const QString &action)
{
    m_workspace.WriteLog(action);
}

bool TForm1::DeleteFolder(const QString &folder)
{
    return m_workspace.DeleteFolder(folder);
}

void TForm1::ShowProblem(const QString &text, QWidget *control)
{
    Hint1->showBalloon(1, QStringLiteral("Problema !"), 0, control, 10, 10, 300, text);
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    centreWindow(this);
    QCoreApplication::processEvents();
    if (!m_started)
        Timer1->start();
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    if (m_started)
        return;
    m_started = true;
    Bar1->setMaximum(100);
    const StartupSequence::Display display{
        [this](const QString &text) { Label5->setText(text); },
        [this](int percent) { Bar1->setPosition(percent); },
    };
    switch (m_sequence.prepare(display)) {
    case StartupSequence::Outcome::TablesFailed:
        emit startupFailed();
        QCoreApplication::exit(1);
        return;
    case StartupSequence::Outcome::Declined:
        QCoreApplication::exit(0);
        return;
    case StartupSequence::Outcome::Ready:
        break;
    }
    unsetCursor();
    hide();
    m_sequence.finish();
}

} // namespace dosarium
