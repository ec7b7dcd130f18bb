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
      m_workspace(workspace)
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

void TForm1::yield()
{
    QCoreApplication::processEvents();
}

void TForm1::setMainWindowHooks(MainWindowHooks hooks)
{
    m_hooks = std::move(hooks);
}

const AppContext &TForm1::context() const
{
    return m_workspace.context();
}

AppContext &TForm1::context()
{
    return m_workspace.context();
}

QString TForm1::ReadSetting(const QString &section, const QString &key) const
{
    return m_workspace.ReadSetting(section, key);
}

void TForm1::WriteSetting(const QString &section, const QString &key, const QString &value)
{
    m_workspace.WriteSetting(section, key, value);
}

QString TForm1::NextId(const QString &counter)
{
    return m_workspace.NextId(counter);
}

void TForm1::WriteLog(const QString &action)
{
    m_workspace.WriteLog(action);
}

void TForm1::CreateTables()
{
    m_workspace.CreateTables();
}

void TForm1::UpgradeActe()
{
    m_workspace.UpgradeActe();
}

void TForm1::PackTable(const QString &path)
{
    // A damaged table was kept aside and reported by the start's check already.
    m_workspace.PackTable(path);
}

void TForm1::TrimLog()
{
    m_workspace.TrimLog();
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
    yield();
    if (!m_started)
        Timer1->start();
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    if (m_started)
        return;
    m_started = true;
    // Dates and numbers are always written in their fixed forms ("dd.MM.yyyy", "." decimals),
    // whatever the regional settings: nothing follows them.
    yield();
    Bar1->setMaximum(100);

    m_workspace.prepareFolders();
    // Damaged files are kept aside before anything of this start writes to them.
    QStringList notices = m_workspace.CheckDataFiles();

    // Without its tables the program cannot work: the error is shown and the program ends.
    if (!m_workspace.guard([this] {
            CreateTables();
            UpgradeActe();
        })) {
        emit startupFailed();
        QCoreApplication::exit(1);
        return;
    }

    QString later; // an error of the upkeep, shown once the main window is up
    try {
        // An older log gets the column of the program user; the program works without it.
        m_workspace.UpgradeLog();
    } catch (...) {
        later = Workspace::failureText(std::current_exception());
    }

    QString unreachable;
    const QString server = m_workspace.chooseDataFolder(&unreachable);
    // Working locally while the office's register is on the server splits it in two: the
    // person decides, knowing which folder could not be reached.
    if (!unreachable.isEmpty() && m_hooks.goOnLocally && !m_hooks.goOnLocally(unreachable)) {
        QCoreApplication::exit(0);
        return;
    }
    if (!server.isEmpty())
        notices += m_workspace.CheckDataFiles();
    if (!server.isEmpty() && m_hooks.setServerPath)
        m_hooks.setServerPath(server);
    if (m_hooks.setDatabaseText)
        m_hooks.setDatabaseText(QStringLiteral("Baza : ") + context().DataDir);

    try {
        if (m_hooks.setCaption)
            m_hooks.setCaption(kVersionText);
        Label5->setText(QStringLiteral("Refac baza de date ..."));
        Bar1->setPosition(50);
        yield();
        if (m_workspace.worksLocally())
            PackTable(m_workspace.actePath());
        TrimLog();
        Bar1->setPosition(100);
        yield();
    } catch (...) {
        later = Workspace::failureText(std::current_exception());
    }
    unsetCursor();
    hide();
    if (m_hooks.show)
        m_hooks.show();
    yield();
    for (const QString &notice : std::as_const(notices))
        m_workspace.showNotice(notice);
    if (!later.isEmpty())
        m_workspace.showError(later);
}

} // namespace dosarium
