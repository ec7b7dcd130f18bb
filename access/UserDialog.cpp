#include "access/UserDialog.h"

#include "access/PasswordBox.h"
#include "access/UserAdministration.h"
#include "app/QueryText.h"
#include "app/StoredTextValidator.h"
#include "ui/ButtonLook.h"
#include "ui/KeyPreview.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/WindowPlacement.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace dosarium {

namespace {

constexpr int ClientWidth = 339;
constexpr int ClientHeight = 253;
constexpr int HeaderHeight = 49;
constexpr int BottomHeight = 43;

void navyText(QWidget *control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Text, QColor(0x00, 0x00, 0x80));
    palette.setColor(QPalette::ButtonText, QColor(0x00, 0x00, 0x80));
    control->setPalette(palette);
}

} // namespace

TAddUser::TAddUser(ProblemReport showProblem, QWidget *parent)
    : QDialog(parent), m_showProblem(std::move(showProblem))
{
    setObjectName(QStringLiteral("AddUser"));
    setWindowTitle(QStringLiteral("Modificare utilizator"));
    fixedDialog(this, ClientWidth, ClientHeight, QColor(0x1F, 0x27, 0x34));

    Header = headerBand(this);
    Header->setGeometry(0, 0, ClientWidth, HeaderHeight);
    Label2 = new QLabel(QStringLiteral("Dosarium"), Header);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(captionFont(13));
    QPalette headerText = Label2->palette();
    headerText.setColor(QPalette::WindowText, QColor(0x2D, 0x38, 0x4A));
    Label2->setPalette(headerText);
    Label2->setGeometry(16, 0, ClientWidth - 32, HeaderHeight);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    Utilizator = userNameBox(QStringLiteral("Utilizator"), this);
    Pass1 = passwordBox(QStringLiteral("Pass1"), this);
    Pass2 = passwordBox(QStringLiteral("Pass2"), this);
    for (QLineEdit *box : {Utilizator, Pass1, Pass2})
        explainRefusedKeys(box, m_showProblem);
    Rang = new QComboBox(this);
    Rang->setObjectName(QStringLiteral("Rang"));
    Rang->setEditable(false);
    Rang->addItems(rankChoices());
    const struct {
        QWidget *control;
        const char *label;
        int top;
    } rows[] = {{Utilizator, "Nume utilizator", 68},
                {Pass1, "Parola", 104},
                {Pass2, "Parola iar", 128},
                {Rang, "Rangul", 164}};
    for (const auto &row : rows) {
        navyText(row.control);
        row.control->setGeometry(128, row.top, 185, 21);
        auto *label = new QLabel(QLatin1String(row.label), this);
        label->setGeometry(24, row.top, 100, 21);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setBuddy(row.control);
    }
    setTabOrder(Utilizator, Pass1);
    setTabOrder(Pass1, Pass2);
    setTabOrder(Pass2, Rang);

    auto *bottom = new QWidget(this);
    bottom->setGeometry(0, ClientHeight - BottomHeight, ClientWidth, BottomHeight);
    bottom->setAutoFillBackground(true);
    QPalette band = bottom->palette();
    band.setColor(QPalette::Window, QColor(0x40, 0x50, 0x6A));
    bottom->setPalette(band);
    BitBtn1 = new TFlatSpeedButton(QStringLiteral("Memoreaza"), bottom);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(24, 9, 107, 25);
    SpeedButton12 = new TFlatSpeedButton(QStringLiteral("Renunt"), bottom);
    SpeedButton12->setObjectName(QStringLiteral("SpeedButton12"));
    SpeedButton12->setGeometry(ClientWidth - 24 - 107, 9, 107, 25);
    for (TFlatSpeedButton *button : {BitBtn1, SpeedButton12}) {
        paintNavy(button);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(BitBtn1, &QAbstractButton::clicked, this, [this] { BitBtn1Click(); });
    connect(SpeedButton12, &QAbstractButton::clicked, this, [this] { SpeedButton12Click(); });

    // Key preview: every key of this window reaches FormKeyDown before the focused control.
    installKeyPreview(this, [this](QWidget *source, QKeyEvent *key) {
        return FormKeyDown(key) || EnterTab(source, key);
    });
    ClearFields();
}

TAddUser::~TAddUser() = default;

void TAddUser::ClearFields()
{
    Utilizator->clear();
    Pass1->clear();
    Pass2->clear();
    Rang->setCurrentIndex(RankViewer);
}

bool TAddUser::EditUser(const QString &heading, bool addMode)
{
    m_result = false;
    Label2->setText(heading);
    m_addMode = addMode;
    Utilizator->setEnabled(addMode);
    Rang->setEnabled(addMode);
    centreWindow(this);
    (addMode ? Utilizator : Pass1)->setFocus();
    exec();
    return m_result;
}

void TAddUser::BitBtn1Click()
{
    Utilizator->setText(CleanText(Utilizator->text()));
    const std::optional<UserProblem> problem = checkUserEntry(
        Utilizator->text(), Pass1->text(), Pass2->text(), m_addMode, Rang->currentIndex());
    if (problem) {
        QWidget *at = problem->field == UserField::Name        ? static_cast<QWidget *>(Utilizator)
                      : problem->field == UserField::Password2 ? static_cast<QWidget *>(Pass2)
                                                               : static_cast<QWidget *>(Rang);
        if (m_showProblem)
            m_showProblem(problem->text, at);
        return;
    }
    m_result = true;
    accept();
}

void TAddUser::SpeedButton12Click()
{
    reject();
}

bool TAddUser::FormKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    SpeedButton12Click();
    return true;
}

bool TAddUser::EnterTab(QWidget *source, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if (source != Utilizator && source != Pass1 && source != Pass2 && source != Rang)
        return false;
    // The last box that can take the focus saves: the rank, or the second password when the
    // rank cannot be changed.
    const bool last = source == Rang || (source == Pass2 && !Rang->isEnabled());
    focusNextChild();
    if (last)
        BitBtn1Click();
    return true;
}

} // namespace dosarium
