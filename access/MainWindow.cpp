#include "access/MainWindow.h"

#include "access/MenuPictures.h"
#include "access/PasswordBox.h"
#include "access/Session.h"
#include "access/UserTextValidator.h"
#include "app/StoredTextValidator.h"
#include "app/TextFormats.h"
#include "app/Workspace.h"
#include "store/Error.h"
#include "ui/ButtonLook.h"
#include "ui/KeyPreview.h"
#include "ui/MessageDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientPanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>

namespace dosarium {

namespace {

constexpr int StatusHeight = 20;
constexpr int BandHeight = TForm3::ClientHeight - StatusHeight;
constexpr int SignInWidth = 440;
constexpr int MenuButtonWidth = 112;

QLabel *whiteLabel(const QString &text, int pixels, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(captionFont(pixels));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

TFlatSpeedButton *menuButton(const QString &name, const QString &caption, const QString &hint,
                             const QPixmap &picture, QWidget *parent)
{
    auto *button = new TFlatSpeedButton(caption, parent);
    button->setObjectName(name);
    paintNavy(button);
    button->setGlyph(picture);
    button->setGlyphLayout(TFlatSpeedButton::blGlyphTop);
    button->setToolTip(hint);
    return button;
}

} // namespace

TForm3::TForm3(Workspace &workspace, ProblemReport showProblem, QWidget *parent)
    : QWidget(parent), m_workspace(workspace), m_showProblem(std::move(showProblem))
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Dosarium."));
    // Fixed single border: system menu, minimise box and the close box that asks first.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedHeight(ClientHeight);
    resize(800, ClientHeight);

    Background = new TGradientPanel(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setColorFrom(QColor(0x14, 0x20, 0x3C));
    Background->setColorTo(QColor(0x4D, 0x60, 0x80));
    Background->setColorCount(64);
    Background->setDirection(TGradientDirection::LeftToRight);

    Label1 = whiteLabel(QStringLiteral("20.01.2007"), 30, Background);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    QFont statusFont(QStringLiteral("Arial"));
    statusFont.setPixelSize(11);
    StatusBar1->setFont(statusFont);
    m_statusPanels[0] = new QLabel(QStringLiteral("ESC - Iesire din program"), StatusBar1);
    m_statusPanels[0]->setFixedWidth(128);
    m_statusPanels[1] = new QLabel(StatusBar1);
    for (QLabel *panel : m_statusPanels) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
    }
    StatusBar1->addWidget(m_statusPanels[0]);
    StatusBar1->addWidget(m_statusPanels[1], 1);

    buildMenuPanel();
    buildSignInPanel();
    placeControls();

    // Key preview: every key of this window reaches FormKeyDown before the focused control.
    installKeyPreview(this, [this](QWidget *source, QKeyEvent *key) {
        return FormKeyDown(key) || EnterTab(source, key);
    });
}

TForm3::~TForm3() = default;

void TForm3::buildSignInPanel()
{
    Panel2 = new TGradientPanel(Background);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setColorFrom(QColor(0x4D, 0x60, 0x80));
    Panel2->setColorTo(QColor(0x2A, 0x3A, 0x5C));
    Panel2->setColorCount(32);
    Panel2->setDirection(TGradientDirection::TopToBottom);

    auto *nameLabel = whiteLabel(QStringLiteral("Numele"), 12, Panel2);
    nameLabel->setGeometry(12, 6, 160, 16);
    UtzNume = userNameBox(QStringLiteral("UtzNume"), Panel2);
    UtzNume->setFont(captionFont(13));
    UtzNume->setGeometry(12, 24, 160, 24);
    nameLabel->setBuddy(UtzNume);

    auto *passwordLabel = whiteLabel(QStringLiteral("Parola"), 12, Panel2);
    passwordLabel->setGeometry(184, 6, 160, 16);
    UtzParola = passwordBox(QStringLiteral("UtzParola"), Panel2);
    UtzParola->setFont(captionFont(13));
    for (QLineEdit *box : {UtzNume, UtzParola})
        explainRefusedKeys(box, m_showProblem);
    UtzParola->setGeometry(184, 24, 160, 24);
    passwordLabel->setBuddy(UtzParola);

    StartB = new TFlatButton(QStringLiteral("Start"), Panel2);
    StartB->setObjectName(QStringLiteral("StartB"));
    paintNavy(StartB);
    StartB->setGeometry(356, 23, 73, 26);
    connect(StartB, &QAbstractButton::clicked, this, [this] { StartBClick(); });

    setTabOrder(UtzNume, UtzParola);
    setTabOrder(UtzParola, StartB);
}

void TForm3::buildMenuPanel()
{
    Panel1 = new QWidget(Background);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->hide();

    MBut1 = menuButton(QStringLiteral("MBut1"), QStringLiteral("Arhiva"),
                       QStringLiteral("Evidenta analize."), MenuPictures::archive(), Panel1);
    MButAdm = menuButton(QStringLiteral("MButAdm"), QStringLiteral("Setari/Utilitare"),
                         QStringLiteral("Date generale."), MenuPictures::settings(), Panel1);
    ModelF = menuButton(QStringLiteral("ModelF"), QStringLiteral("Iesire"),
                        QStringLiteral("Inchide programul."), MenuPictures::exit(), Panel1);
    int x = 3;
    for (TFlatSpeedButton *button : {MBut1, MButAdm, ModelF}) {
        button->setGeometry(x, 2, MenuButtonWidth, BandHeight - 4);
        x += MenuButtonWidth + 3;
    }
    Panel1->setGeometry(0, 0, x, BandHeight);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Setari1 = PopupMenu1->addAction(QStringLiteral("Setari"));
    Setari1->setObjectName(QStringLiteral("Setari1"));
    IstoricModificaridate1 = PopupMenu1->addAction(QStringLiteral("Istoric Modificari date"));
    IstoricModificaridate1->setObjectName(QStringLiteral("IstoricModificaridate1"));

    connect(MBut1, &QAbstractButton::clicked, this, [this] { MBut1Click(); });
    connect(MButAdm, &QAbstractButton::clicked, this, [this] { MButAdmClick(); });
    connect(ModelF, &QAbstractButton::clicked, this, [this] { ModelFClick(); });
    connect(Setari1, &QAction::triggered, this, [this] { Setari1Click(); });
    connect(IstoricModificaridate1, &QAction::triggered, this,
            [this] { IstoricModificaridate1Click(); });
}

void TForm3::placeControls()
{
    const int w = width();
    Background->setGeometry(0, 0, w, BandHeight);
    StatusBar1->setGeometry(0, BandHeight, w, StatusHeight);
    Panel2->setGeometry(w - SignInWidth, 0, SignInWidth, BandHeight);
    Label1->setGeometry(w - SignInWidth, 0, SignInWidth - 16, BandHeight);
}

void TForm3::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

void TForm3::attach(TErori &erori)
{
    m_erori = &erori;
}

void TForm3::setDatabaseText(const QString &text)
{
    m_statusPanels[1]->setText(text);
}

QString TForm3::statusText(int panel) const
{
    return panel == 0 || panel == 1 ? m_statusPanels[panel]->text() : QString();
}

void TForm3::setCurrentUserPassword(const QByteArray &password)
{
    m_currentUser.Password = password.left(UserEntry::TextSize);
}

bool TForm3::isSignedIn() const
{
    return !m_currentUser.isEmpty();
}

QString TForm3::dataDir() const
{
    return m_workspace.context().DataDir;
}

UserEntry TForm3::FindUser(const UserEntry &wanted) const
{
    return dosarium::FindUser(dataDir(), wanted);
}

QByteArray TForm3::ReadArchiveKey() const
{
    return dosarium::ReadArchiveKey(dataDir());
}

void TForm3::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm3::FormShow()
{
    m_workspace.guard([this] {
        // A strip across the whole top of the screen, border included.
        if (QScreen *s = screen()) {
            const QRect area = s->geometry();
            const int frame = std::max(0, frameGeometry().width() - geometry().width());
            setFixedWidth(area.width() - frame);
            move(area.topLeft());
        }
        Label1->setText(shortDateText(m_workspace.now().date()));
        // The user types the name right away, without clicking into the strip first.
        raise();
        activateWindow();
        if (!isSignedIn())
            UtzNume->setFocus();
    });
}

bool TForm3::FormKeyDown(QKeyEvent *event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F12:
        close();
        return true;
    case Qt::Key_F1:
        if (Panel1->isVisibleTo(this))
            MBut1->click();
        return true;
    default:
        return false;
    }
}

bool TForm3::EnterTab(QWidget *source, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (source != UtzNume && source != UtzParola)
        return false;
    // Signed in: the hidden boxes take no Enter, so no second sign-in follows.
    if (isSignedIn())
        return true;
    focusNextChild();
    if (source == UtzParola)
        StartB->click();
    return true;
}

void TForm3::StartBClick()
{
    if (isSignedIn())
        return; // one sign-in per run
    m_workspace.guard([this] {
        const UserEntry user = SignIn(dataDir(), UtzNume->text(), UtzParola->text());
        if (user.isEmpty()) {
            m_showProblem(SignInRefusal(dataDir(), UtzNume->text(), UtzParola->text()), UtzNume);
            return;
        }
        m_currentUser = user;
        m_workspace.setProgramUser(user.nameText());
        Panel2->hide();
        Panel1->show();
        m_workspace.WriteLog(SessionTexts::SignedInLog);
    });
}

void TForm3::MBut1Click()
{
    MBut1->setEnabled(false);
    emit registerRequested();
    MBut1->setEnabled(true);
}

void TForm3::MButAdmClick()
{
    PopupMenu1->popup(MButAdm->mapToGlobal(QPoint(0, MButAdm->height())));
}

void TForm3::Setari1Click()
{
    emit administrationRequested();
}

void TForm3::IstoricModificaridate1Click()
{
    emit logRequested();
}

void TForm3::ModelFClick()
{
    close();
}

void TForm3::closeEvent(QCloseEvent *event)
{
    FormClose(event);
}

void TForm3::FormClose(QCloseEvent *event)
{
    event->ignore();
    m_workspace.guard([this, event] {
        if (!m_erori)
            throw Error(QStringLiteral("Fereastra de mesaje nu este pregatita."));
        const ExitSteps steps{
            [this](const QString &title, const QString &text, quint8 kind, quint16 buttons) {
                return m_erori->Mesaj(title, text, kind, buttons);
            },
            [this] { m_workspace.DeleteFolder(m_workspace.context().TempDir); },
            [this](const QString &action) { m_workspace.WriteLog(action); },
            [] { QCoreApplication::exit(0); },
        };
        if (ConfirmExit(steps))
            event->accept();
    });
}

} // namespace dosarium
