#include "register/LogWindow.h"

#include "app/LogTable.h"
#include "app/QueryModel.h"
#include "app/Workspace.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "ui/ButtonLook.h"
#include "ui/KeyPreview.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/WindowPlacement.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>

namespace dosarium {

QStringList logQueryLines(const QString &dataDir)
{
    return {QStringLiteral("SELECT * FROM ") + quoteText(LogTable::path(dataDir)),
            QStringLiteral("ORDER BY ") + LogTable::kId};
}

TLogView::TLogView(Workspace &workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace), m_lx(std::make_unique<Query>())
{
    setObjectName(QStringLiteral("LogView"));
    setWindowTitle(QStringLiteral("Istoric modificari date"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    resize(OuterWidth, OuterHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x40, 0x50, 0x6A));
    setPalette(palette);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    Header = headerBand(this);
    Label1 = new QLabel(QStringLiteral("Ultimele actiuni facute in program"), Header);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(captionFont(12));
    QPalette text = Label1->palette();
    text.setColor(QPalette::WindowText, QColor(0x2D, 0x38, 0x4A));
    Label1->setPalette(text);
    Label1->adjustSize();
    Label1->move(8, 14);

    DBGrid3 = new DataGrid(this);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setBackgroundColor(QColor(0xDA, 0xE4, 0xEF));
    DBGrid3->setRowColors(Qt::white, QColor(0xDB, 0xE6, 0xEE));
    DBGrid3->setTitleShadeColor(QColor(0xAC, 0xB8, 0xCC));
    DBGrid3->setTitleRowHeight(24);
    DBGrid3->setRowHeight(17);
    DBGrid3->setTextColor(QColor(0x00, 0x00, 0x80));
    const QString band = QStringLiteral("Data si ora");
    // The date and the time have no width of their own: each is as wide as ten digits, so a
    // whole date shows and the four columns still fit the window.
    const QFontMetrics metrics(DBGrid3->font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    DBGrid3->setColumns({
        {LogTable::kDate, QStringLiteral("Data"), digit * 10 + 12, Qt::AlignCenter, band},
        {LogTable::kTime, QStringLiteral("Ora"), digit * 10 + 12, Qt::AlignCenter, band},
        {LogTable::kAction, QStringLiteral("Actiunea"), 420, Qt::AlignLeft, {}},
        // Who signed in to the program, then the computer and its account.
        {LogTable::kProgramUser, QStringLiteral("Utilizator"), 76, Qt::AlignLeft, {}},
        {LogTable::kWorkstationUser, QStringLiteral("Operator"), 77, Qt::AlignLeft, {}},
    });
    showQuery(*DBGrid3, *m_lx);

    Footer = new QWidget(this);
    Footer->setObjectName(QStringLiteral("Footer"));
    Footer->setAutoFillBackground(true);
    QPalette footer = Footer->palette();
    footer.setColor(QPalette::Window, QColor(0x2B, 0x35, 0x46));
    Footer->setPalette(footer);
    CloseBut = new TFlatSpeedButton(QStringLiteral("&Inchide"), Footer);
    CloseBut->setObjectName(QStringLiteral("CloseBut"));
    paintNavy(CloseBut);
    CloseBut->setFocusPolicy(Qt::NoFocus);
    connect(CloseBut, &QAbstractButton::clicked, this, [this] { CloseButClick(); });

    placeControls();
    // Key preview: every key of this window reaches FormKeyDown before the focused control.
    installKeyPreview(this, [this](QWidget *, QKeyEvent *key) { return FormKeyDown(key); });
}

TLogView::~TLogView() = default;

void TLogView::placeControls()
{
    const int w = width();
    const int h = height();
    Header->setGeometry(0, 0, w, BandHeight);
    DBGrid3->setGeometry(0, BandHeight, w, std::max(0, h - 2 * BandHeight));
    Footer->setGeometry(0, h - BandHeight, w, BandHeight);
    // The button keeps its distance to the right edge: 626 in a window 757 wide.
    CloseBut->setGeometry(w - (OuterWidth - 626), 10, 106, 25);
}

void TLogView::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

void TLogView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_placed) {
        // 757 x 660 with the frame, once the window system has given it one.
        m_placed = true;
        const QSize frame = frameGeometry().size() - size();
        resize(OuterWidth - frame.width(), OuterHeight - frame.height());
        centreWindow(this);
    }
    // The newest entry is in sight.
    if (DBGrid3->currentIndex().isValid())
        DBGrid3->scrollTo(DBGrid3->currentIndex(), QAbstractItemView::PositionAtBottom);
}

void TLogView::OpenLog()
{
    Query &lx = *m_lx;
    Workspace::ResetQuery(lx);
    for (const QString &line : logQueryLines(m_workspace.context().DataDir))
        lx.appendSql(line);
    lx.open();
    m_workspace.yield();
    lx.last();
    DBGrid3->setFocus();
    exec();
    lx.close();
}

void TLogView::CloseButClick()
{
    reject();
}

bool TLogView::FormKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    close();
    return true;
}

} // namespace dosarium
