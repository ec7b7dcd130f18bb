#include "ui/MessageDialog.h"

#include "ui/KindPictures.h"
#include "ui/MessageKinds.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace dosarium {

namespace {

constexpr int kWidth = 345;
constexpr int kHeight = 177;
constexpr int kButtonTop = 144;

TErori::AnswerHook &answerHook()
{
    static TErori::AnswerHook hook;
    return hook;
}

TGradientPanel *band(QWidget *parent, const QString &name, int top, int height, QColor from,
                     QColor to)
{
    auto *panel = new TGradientPanel(parent);
    panel->setObjectName(name);
    panel->setGeometry(0, top, kWidth, height);
    panel->setColorFrom(from);
    panel->setColorTo(to);
    panel->setColorCount(64);
    panel->setDirection(TGradientDirection::RightToLeft);
    return panel;
}

} // namespace

TErori::TErori(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Erori"));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    // Closing a message never ends the program, even when no other window is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xD6D6D6));
    setPalette(pal);

    const MessageKindStyle design = messageKindStyle(kKindWarning);
    GradientPanel1 =
        band(this, QStringLiteral("GradientPanel1"), 0, 49, design.bandFrom, design.bandTo);
    GradientPanel2 = band(this, QStringLiteral("GradientPanel2"), kHeight - 42, 42, design.bandFrom,
                          design.bandTo);
    GradientPanel3 = band(this, QStringLiteral("GradientPanel3"), 49, kHeight - 49 - 42,
                          QColor(0xFFFFFF), QColor(0xE1E1E1));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 32, 32);

    Label1 = new QLabel(QStringLiteral("PROBLEMA"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    QFont header(QStringLiteral("Arial"));
    header.setPixelSize(13);
    header.setBold(true);
    Label1->setFont(header);
    QPalette white = Label1->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(white);
    Label1->move(48, 16);
    Label1->adjustSize();

    EroText = new QLabel(this);
    EroText->setObjectName(QStringLiteral("EroText"));
    EroText->setGeometry(8, 56, 329, 73);
    // Centred across, from the top down: a text that begins with a carriage return keeps its
    // empty first line.
    EroText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    EroText->setWordWrap(true);
    EroText->setTextFormat(Qt::PlainText);
    QFont body = EroText->font();
    body.setPointSize(8);
    EroText->setFont(body);

    BE1 = makeButton(QStringLiteral("BE1"), QStringLiteral("DA"), kResultYes);
    BE2 = makeButton(QStringLiteral("BE2"), QStringLiteral("NU"), kResultNo);
    BE3 = makeButton(QStringLiteral("BE3"), QStringLiteral("RENUNT"), kResultCancel);
    BE4 = makeButton(QStringLiteral("BE4"), QStringLiteral("OK"), kResultOk);
    BE1->move(10, kButtonTop);
    BE2->move(93, kButtonTop);
    BE3->move(176, kButtonTop);
    BE4->move(259, kButtonTop);
}

TErori::~TErori() = default;

TFlatSpeedButton *TErori::makeButton(const QString &name, const QString &caption, quint16 result)
{
    auto *b = new TFlatButton(caption, this);
    b->setObjectName(name);
    b->resize(73, 25);
    b->setCursor(Qt::PointingHandCursor);
    // Keys belong to the window: Enter presses no button, Escape closes.
    b->setFocusPolicy(Qt::NoFocus);
    QFont font = b->font();
    font.setBold(true);
    b->setFont(font);
    b->setHotTrackFont(font);
    b->setFontColor(Qt::white);
    b->setHotTrackFontColor(Qt::white);
    connect(b, &QAbstractButton::clicked, this, [this, result] {
        m_result = result;
        accept();
    });
    return b;
}

TFlatSpeedButton *TErori::button(int which) const
{
    switch (MessageButton(which)) {
    case MessageButton::Da:
        return BE1;
    case MessageButton::Nu:
        return BE2;
    case MessageButton::Renunt:
        return BE3;
    case MessageButton::Ok:
        break;
    }
    return BE4;
}

TErori::AnswerHook TErori::setAnswerHook(AnswerHook hook)
{
    return std::exchange(answerHook(), std::move(hook));
}

quint16 TErori::Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons)
{
    m_result = kResultCancel;
    Label1->setText(title);
    Label1->adjustSize();
    QString body = text;
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    EroText->setText(body);

    const MessageKindStyle style = messageKindStyle(kind);
    Image1->setPixmap(kindPicture(style.picture));
    setWindowTitle(style.caption);
    GradientPanel1->setColorFrom(style.bandFrom);
    GradientPanel1->setColorTo(style.bandTo);
    GradientPanel2->setColorFrom(GradientPanel1->ColorFrom());
    GradientPanel2->setColorTo(GradientPanel1->ColorTo());
    for (TFlatSpeedButton *b : {BE1, BE2, BE3, BE4}) {
        b->setColor(style.face);
        b->setColorWhenDown(style.pressed);
        b->setHotTrackColor(style.hotTrack);
        b->setLightColor(style.light);
        b->setShadowColor(style.shadow);
    }

    const QList<MessageButton> shown = visibleButtons(buttons);
    for (int which = 0; which < 4; ++which)
        button(which)->setVisible(shown.contains(MessageButton(which)));
    if (shown.isEmpty())
        return m_result;
    const QList<int> lefts = buttonLefts(int(shown.size()));
    for (int k = 0; k < shown.size(); ++k)
        button(int(shown.at(k)))->move(lefts.at(k), kButtonTop);

    centreWindow(this);
    if (AnswerHook hook = answerHook())
        QTimer::singleShot(0, this, [this, hook] { hook(*this); });
    exec();
    return m_result;
}

void TErori::keyPressEvent(QKeyEvent *event)
{
    // Escape closes with the result unchanged; no other key answers the dialog.
    if (event->key() == Qt::Key_Escape)
        reject();
    else
        event->accept();
}

} // namespace dosarium
