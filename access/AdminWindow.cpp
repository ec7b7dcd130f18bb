#include "access/AdminWindow.h"

#include "access/ServerConnection.h"
#include "access/UserDialog.h"
#include "app/QueryModel.h"
#include "app/UsersTable.h"
#include "app/Workspace.h"
#include "store/Query.h"
#include "ui/ButtonLook.h"
#include "ui/FileChooser.h"
#include "ui/KeyPreview.h"
#include "ui/MessageChoices.h"
#include "ui/MessageDialog.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/WindowPlacement.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace dosarium {

namespace {

// A folder on a network: the folder with a cable under it, 18 x 18.
QPixmap serverPicture()
{
    QPixmap picture(18, 18);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x60, 0x48, 0x10), 1));
    p.setBrush(QColor(0xF0, 0xC8, 0x50));
    p.drawRoundedRect(QRectF(1.5, 2.5, 15, 10), 1.5, 1.5);
    p.drawRect(QRectF(1.5, 1.5, 6, 2));
    p.setPen(QPen(QColor(0x10, 0x18, 0x30), 1.5));
    p.drawLine(QPointF(9, 12.5), QPointF(9, 16));
    p.drawLine(QPointF(3, 16.5), QPointF(15, 16.5));
    return picture;
}

// A red cross: back to local work, 18 x 18.
QPixmap localPicture()
{
    QPixmap picture(18, 18);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xC0, 0x10, 0x10), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 4), QPointF(14, 14));
    p.drawLine(QPointF(14, 4), QPointF(4, 14));
    return picture;
}

TFlatSpeedButton *pictureButton(const char *name, const QPixmap &picture, const QString &hint,
                                QWidget *parent)
{
    auto *button = new TFlatSpeedButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setButtonStyle(TFlatSpeedButton::bsModern);
    button->setColor(QColor(0xAC, 0xB8, 0xCC));
    button->setHotTrackColor(QColor(0xD0, 0xDA, 0xE8));
    button->setGlyph(picture);
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

} // namespace

TForm4::TForm4(Workspace &workspace, SignedInUser user, ProblemReport showProblem, QWidget *parent)
    : QDialog(parent), m_workspace(workspace), m_user(user), m_showProblem(std::move(showProblem)),
      m_admin(std::make_unique<UserAdministration>(workspace, std::move(user))),
      m_endProgram([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Administrator program"));
    fixedDialog(this, ClientWidth, ClientHeight, QColor(0x40, 0x50, 0x6A));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    GroupBox1 = new QGroupBox(QStringLiteral(" Utilizatorii programului "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 4, ClientWidth - 16, 210);
    GroupBox1->setToolTip(QStringLiteral("Schimbarea parolei administrator."));
    QFont bold = GroupBox1->font();
    bold.setBold(true);
    GroupBox1->setFont(bold);

    DBGrid3 = new DataGrid(GroupBox1);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setGeometry(10, 20, GroupBox1->width() - 20, 148);
    QFont plain = DBGrid3->font();
    plain.setBold(false);
    DBGrid3->setFont(plain);
    DBGrid3->setBackgroundColor(QColor(0xDA, 0xE4, 0xEF));
    DBGrid3->setRowColors(Qt::white, QColor(0xDB, 0xE6, 0xEE));
    DBGrid3->setTitleShadeColor(QColor(0xAC, 0xB8, 0xCC));
    DBGrid3->setTitleRowHeight(24);
    DBGrid3->setRowHeight(17);
    DBGrid3->setTextColor(QColor(0x00, 0x00, 0x80));
    DBGrid3->setColumns({
        {UsersTable::kName, QStringLiteral("Numele"), 216, Qt::AlignLeft, {}},
        {UsersTable::kRankText, QStringLiteral("Rang"), 138, Qt::AlignLeft, {}},
    });
    showQuery(*DBGrid3, m_admin->Ux());

    auto button = [this](TFlatSpeedButton *&target, const char *name, const QString &caption,
                         int x) {
        target = new TFlatSpeedButton(caption, GroupBox1);
        target->setObjectName(QLatin1String(name));
        paintNavy(target, 11);
        target->setFocusPolicy(Qt::NoFocus);
        target->setGeometry(x, 176, 89, 25);
    };
    const int right = GroupBox1->width() - 10;
    button(AddBut, "AddBut", QStringLiteral("Adaugare"), right - 3 * 89 - 6);
    button(ModBut, "ModBut", QStringLiteral("Modificare"), right - 2 * 89 - 3);
    button(DelBut, "DelBut", QStringLiteral("Stergere"), right - 89);

    Label1 = new QLabel(QStringLiteral("Cale Server :"), this);
    Label1->setGeometry(12, 228, 76, 21);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    CaleServer = new QLabel(ServerTexts::NoServerShown, this);
    CaleServer->setObjectName(QStringLiteral("CaleServer"));
    CaleServer->setTextFormat(Qt::PlainText);
    CaleServer->setGeometry(88, 228, 300, 21);
    CaleServer->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont pathFont = CaleServer->font();
    pathFont.setBold(true);
    CaleServer->setFont(pathFont);
    BitBtn1 =
        pictureButton("BitBtn1", serverPicture(), QStringLiteral("Modificare cale server."), this);
    BitBtn1->setGeometry(ClientWidth - 66, 226, 25, 25);
    BitBtn2 = pictureButton("BitBtn2", localPicture(),
                            QStringLiteral("Stergere cale server. Lucru local."), this);
    BitBtn2->setGeometry(ClientWidth - 37, 226, 25, 25);

    connect(AddBut, &QAbstractButton::clicked, this, [this] { act([this] { AddButClick(); }); });
    connect(ModBut, &QAbstractButton::clicked, this, [this] { act([this] { ModButClick(); }); });
    connect(DelBut, &QAbstractButton::clicked, this, [this] { act([this] { DelButClick(); }); });
    connect(BitBtn1, &QAbstractButton::clicked, this, [this] { act([this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QAbstractButton::clicked, this, [this] { act([this] { BitBtn2Click(); }); });

    // Key preview: every key of this window reaches FormKeyDown before the focused control.
    installKeyPreview(this, [this](QWidget *, QKeyEvent *key) { return FormKeyDown(key); });
}

TForm4::~TForm4() = default;

void TForm4::attach(TAddUser &addUser, TErori &erori)
{
    m_addUser = &addUser;
    m_erori = &erori;
}

void TForm4::setServerPath(const QString &path)
{
    CaleServer->setText(path);
}

void TForm4::setEndProgram(std::function<void()> end)
{
    m_endProgram = std::move(end);
}

void TForm4::act(const std::function<void()> &action)
{
    m_workspace.guard(action);
}

quint16 TForm4::Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons)
{
    if (!m_erori)
        throw Error(QStringLiteral("Fereastra de mesaje nu este pregatita."));
    return m_erori->Mesaj(title, text, kind, buttons);
}

bool TForm4::refusedShown(const std::function<void()> &operation)
{
    try {
        operation();
        return false;
    } catch (const UserRefused &refused) {
        Mesaj(refused.title(), refused.message(), kKindError, kButtonOk);
        return true;
    }
}

void TForm4::ShowAdministration()
{
    const bool server = mayChooseServer(m_user.typedName ? m_user.typedName() : QString());
    BitBtn1->setEnabled(server);
    BitBtn2->setEnabled(server);
    if (refusedShown([this] { m_admin->open(); }))
        return;
    const bool administrator = mayAddAndDelete(m_user.current());
    AddBut->setVisible(administrator);
    DelBut->setVisible(administrator);
    ModBut->setVisible(true);
    centreWindow(this);
    DBGrid3->setFocus();
    exec();
    m_admin->close();
}

void TForm4::AddButClick()
{
    if (!m_addUser)
        return;
    m_addUser->ClearFields();
    if (!m_addUser->EditUser(AdminTexts::AddTitle, true))
        return;
    refusedShown([this] {
        m_admin->add(m_addUser->Utilizator->text(), m_addUser->Pass1->text(),
                     m_addUser->Rang->currentIndex());
    });
}

void TForm4::DelButClick()
{
    if (!m_admin->isOpen() || m_admin->Ux().isEmpty())
        return;
    const QString name = m_admin->currentName();
    if (refusedShown([&name] { UserAdministration::checkDeletion(name); }))
        return;
    if (Mesaj(AdminTexts::DeleteTitle, QStringLiteral("Stergeti pe ") + name + QStringLiteral(" ?"),
              kKindConfirmation, kButtonsDaNu) != kResultYes)
        return;
    m_admin->remove(name);
}

void TForm4::ModButClick()
{
    if (!m_addUser || !m_admin->isOpen() || m_admin->Ux().isEmpty())
        return;
    const QString name = m_admin->currentName();
    if (refusedShown([this, &name] { m_admin->checkModification(name); }))
        return;
    m_addUser->ClearFields();
    m_addUser->Utilizator->setText(name);
    const QString password = m_admin->passwordOf(name);
    m_addUser->Pass1->setText(password);
    m_addUser->Pass2->setText(password);
    m_addUser->Rang->setCurrentIndex(m_admin->currentRank());
    if (!m_addUser->EditUser(AdminTexts::ModifyTitle, false))
        return;
    refusedShown([this] {
        m_admin->changePassword(m_addUser->Utilizator->text(), m_addUser->Pass1->text(),
                                m_workspace.progress());
    });
}

ServerSteps TForm4::serverSteps()
{
    return {
        [this](const QString &title) { return chooseFolder(this, title); },
        [this](const QString &title, const QString &text, quint8 kind, quint16 buttons) {
            return Mesaj(title, text, kind, buttons);
        },
        [this] { return CaleServer->text(); },
        [this](const QString &text) { CaleServer->setText(text); },
        [this](const QString &text) {
            if (m_showProblem)
                m_showProblem(text, CaleServer);
        },
        [this] { m_admin->close(); },
        [this] { close(); },
        [this] { m_workspace.yield(); },
        [this] { m_endProgram(); },
    };
}

void TForm4::BitBtn1Click()
{
    ConnectServer(m_workspace, serverSteps());
}

void TForm4::BitBtn2Click()
{
    DisconnectServer(m_workspace, serverSteps());
}

bool TForm4::FormKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    close();
    return true;
}

} // namespace dosarium
