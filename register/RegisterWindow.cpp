#include "register/RegisterWindow.h"

#include "access/UserFile.h"
#include "app/ActsTable.h"
#include "app/QueryModel.h"
#include "app/Workspace.h"
#include "register/ActDialog.h"
#include "register/ActOperations.h"
#include "register/RegisterListing.h"
#include "store/Query.h"
#include "ui/ButtonLook.h"
#include "ui/DocumentViewer.h"
#include "ui/KeyPreview.h"
#include "ui/MessageChoices.h"
#include "ui/MessageDialog.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace dosarium {

namespace {

constexpr int DesignWidth = 801;
constexpr int DesignHeight = 649;
constexpr int HeaderHeight = 49;
constexpr int FilterHeight = 135;

const QColor WindowColor(0x40, 0x50, 0x6A);

// A bound register with a magnifying glass over it, 33 x 33.
QPixmap registerPicture()
{
    QPixmap picture(33, 33);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(0x10, 0x18, 0x30);
    p.setPen(QPen(outline, 1));
    QLinearGradient cover(0, 0, 33, 0);
    cover.setColorAt(0, QColor(0x1E, 0x3C, 0x78));
    cover.setColorAt(1, QColor(0x4A, 0x70, 0xB8));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(3.5, 2.5, 20, 27), 2, 2);
    p.setBrush(QColor(0xF4, 0xF4, 0xEE));
    p.drawRect(QRectF(7.5, 5.5, 13, 21));
    p.setPen(QPen(QColor(0x70, 0x80, 0xA0), 1));
    for (int y = 9; y <= 22; y += 3)
        p.drawLine(QPointF(9.5, y + 0.5), QPointF(18.5, y + 0.5));
    p.setPen(QPen(outline, 2.5));
    p.drawLine(QPointF(25, 25), QPointF(30.5, 30.5));
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(0xC8, 0xE6, 0xFF, 0xC0));
    p.drawEllipse(QPointF(21, 21), 6, 6);
    return picture;
}

QComboBox *pickList(const QString &name, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    list->setMaxVisibleItems(20);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Text, QColor(0x00, 0x00, 0x80));
    palette.setColor(QPalette::ButtonText, QColor(0x00, 0x00, 0x80));
    list->setPalette(palette);
    return list;
}

void refill(QComboBox *list, const QStringList &entries)
{
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(0);
}

PickChoice choiceOf(const QComboBox *list)
{
    return {list->currentIndex(), list->currentText()};
}

} // namespace

TEvidente::TEvidente(Workspace &workspace, QWidget *parent)
    : QDialog(parent), m_workspace(workspace),
      m_listing(std::make_unique<RegisterListing>(workspace)),
      m_acts(std::make_unique<ActOperations>(
          workspace, [&workspace] { return ReadArchiveKey(workspace.context().DataDir); }))
{
    setObjectName(QStringLiteral("Evidente"));
    setWindowTitle(QStringLiteral("Dosarium"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    resize(DesignWidth, DesignHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, WindowColor);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    Header = headerBand(this);
    Picture = new QLabel(Header);
    Picture->setGeometry(8, 8, 33, 33);
    Picture->setPixmap(registerPicture());
    Title = new QLabel(QStringLiteral("Evidenta acte"), Header);
    Title->setFont(captionFont(13));
    QPalette titlePalette = Title->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::black);
    Title->setPalette(titlePalette);
    Title->adjustSize();
    Title->move(48, 16);

    SMDBGrid3 = new DataGrid(this);
    SMDBGrid3->setObjectName(QStringLiteral("SMDBGrid3"));
    SMDBGrid3->setBackgroundColor(QColor(0xC1, 0xCA, 0xD9));
    SMDBGrid3->setRowColors(QColor(0xD9, 0xF4, 0xFF), QColor(0xBF, 0xDF, 0xFF));
    SMDBGrid3->setTitleShadeColor(QColor(0xB8, 0xCB, 0xF1));
    SMDBGrid3->setTitleRowHeight(24);
    SMDBGrid3->setRowHeight(17);
    SMDBGrid3->setTextColor(QColor(0x00, 0x00, 0x80));
    // Columns without a width of their own are as wide as their field's text.
    const QFontMetrics metrics(SMDBGrid3->font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    SMDBGrid3->setColumns({
        {ActsTable::kDate, QStringLiteral("Data"), digit * 10 + 8, Qt::AlignCenter, {}},
        {ActsTable::kSeries, QStringLiteral("Seria"), 75, Qt::AlignLeft, {}},
        {ActsTable::kNumber, QStringLiteral("Nr."), 75, Qt::AlignRight, {}},
        {ActsTable::kCode, QStringLiteral("Cod"), 78, Qt::AlignRight, {}},
        {ActsTable::kDomain, QStringLiteral("Domeniul"), 167, Qt::AlignLeft, {}},
        {ActsTable::kSubdomain, QStringLiteral("Subdomeniul"), 163, Qt::AlignLeft, {}},
        {ActsTable::kTitle, QStringLiteral("Titlul actului"), 146, Qt::AlignLeft, {}},
        {ActsTable::kNote, QStringLiteral("Observatii"), digit * 240 + 4, Qt::AlignLeft, {}},
    });
    showQuery(*SMDBGrid3, m_listing->Ox());

    buildFilterPanel();
    placeControls();

    m_listing->setChoices([this] { return choices(); });
    connect(&m_listing->Ox(), &Query::afterScroll, this, [this] { OxAfterScroll(); });
    connect(&m_listing->Ox(), &Query::afterOpen, this, [this] { OxAfterScroll(); });
    connect(SMDBGrid3, &DataGrid::titleClicked, this,
            [this](int column) { act([this, column] { DBGrid3TitleClick(column); }); });
    connect(SMDBGrid3, &DataGrid::rowDoubleClicked, this,
            [this](int) { act([this] { ShowButClick(); }); });
    for (QComboBox *list : {ANUL, Luna, SERIA, Nr, Domeniul, SubDom, Titlu})
        connect(list, &QComboBox::currentIndexChanged, this,
                [this] { act([this] { Filtreaza(); }); });
    connect(AddBut, &QAbstractButton::clicked, this, [this] { act([this] { AddButClick(); }); });
    connect(ModBut, &QAbstractButton::clicked, this, [this] { act([this] { ModButClick(); }); });
    connect(DelBut, &QAbstractButton::clicked, this, [this] { act([this] { DelButClick(); }); });
    connect(ShowBut, &QAbstractButton::clicked, this, [this] { act([this] { ShowButClick(); }); });
    connect(CloseBut, &QAbstractButton::clicked, this, [this] { CloseButClick(); });

    // Key preview: every key of this window reaches FormKeyDown before the focused control.
    installKeyPreview(this, [this](QWidget *source, QKeyEvent *key) {
        return FormKeyDown(key) || EnterTab(source, key);
    });
    OxAfterScroll();
}

TEvidente::~TEvidente() = default;

void TEvidente::buildFilterPanel()
{
    FilterPanel = new QWidget(this);
    FilterPanel->setObjectName(QStringLiteral("FilterPanel"));

    Cautare = new QGroupBox(QStringLiteral(" Cautare "), FilterPanel);
    Cautare->setObjectName(QStringLiteral("Cautare"));
    QFont bold = Cautare->font();
    bold.setBold(true);
    Cautare->setFont(bold);

    QFont plain = font();
    plain.setBold(false);
    auto place = [this, &plain](QComboBox *list, const QString &caption, int labelX, int x, int y,
                                int width) {
        list->setFont(plain);
        list->setGeometry(x, y, width, 21);
        auto *label = new QLabel(caption, Cautare);
        label->setFont(plain);
        label->adjustSize();
        label->setGeometry(labelX, y, label->width(), 21);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setBuddy(list);
        list->raise();
    };
    ANUL = pickList(QStringLiteral("ANUL"), Cautare);
    place(ANUL, QStringLiteral("Anul"), 24, 72, 24, 97);
    Luna = pickList(QStringLiteral("Luna"), Cautare);
    place(Luna, QStringLiteral("Luna"), 24, 72, 48, 97);
    SERIA = pickList(QStringLiteral("SERIA"), Cautare);
    place(SERIA, QStringLiteral("Seria"), 24, 72, 72, 97);
    Nr = pickList(QStringLiteral("Nr"), Cautare);
    place(Nr, QStringLiteral("Numarul"), 24, 72, 96, 97);
    Domeniul = pickList(QStringLiteral("Domeniul"), Cautare);
    place(Domeniul, QStringLiteral("Domeniul"), 192, 264, 48, 263);
    SubDom = pickList(QStringLiteral("SubDom"), Cautare);
    place(SubDom, QStringLiteral("Subdomeniul"), 192, 264, 72, 263);
    Titlu = pickList(QStringLiteral("Titlu"), Cautare);
    place(Titlu, QStringLiteral("Titlul actului"), 192, 264, 96, 263);

    QStringList months{RegisterListing::kAny};
    for (int month = 1; month <= 12; ++month)
        months << QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    refill(Luna, months);
    for (QComboBox *list : {ANUL, SERIA, Nr, Domeniul, SubDom, Titlu})
        refill(list, {RegisterListing::kAny});
    setTabOrder(ANUL, Luna);
    setTabOrder(Luna, SERIA);
    setTabOrder(SERIA, Nr);
    setTabOrder(Nr, Domeniul);
    setTabOrder(Domeniul, SubDom);
    setTabOrder(SubDom, Titlu);

    auto button = [this](TFlatSpeedButton *&target, const char *name, const QString &caption) {
        target = new TFlatSpeedButton(caption, FilterPanel);
        target->setObjectName(QLatin1String(name));
        paintNavy(target, 11);
        target->setFocusPolicy(Qt::NoFocus);
    };
    button(AddBut, "AddBut", QStringLiteral("Adauga Act"));
    button(ModBut, "ModBut", QStringLiteral("Modifica Act"));
    button(DelBut, "DelBut", QStringLiteral("Sterge Act"));
    button(ShowBut, "ShowBut", QStringLiteral("Arata Actul"));
    button(CloseBut, "CloseBut", QStringLiteral("Inchide"));
}

void TEvidente::placeControls()
{
    const int w = width();
    const int h = height();
    Header->setGeometry(0, 0, w, HeaderHeight);
    SMDBGrid3->setGeometry(0, HeaderHeight, w, std::max(0, h - HeaderHeight - FilterHeight));
    FilterPanel->setGeometry(0, h - FilterHeight, w, FilterHeight);
    // The frame and the right-hand lists stretch; the buttons keep their distance to the edge.
    const int grow = w - DesignWidth;
    Cautare->setGeometry(8, 8, std::max(200, 535 + grow), 121);
    for (QComboBox *list : {Domeniul, SubDom, Titlu})
        list->resize(std::max(60, 263 + grow), list->height());
    AddBut->setGeometry(566 + grow, 16, 89, 25);
    ModBut->setGeometry(566 + grow, 41, 89, 25);
    DelBut->setGeometry(566 + grow, 66, 89, 25);
    ShowBut->setGeometry(670 + grow, 16, 105, 25);
    CloseBut->setGeometry(670 + grow, 66, 105, 25);
}

void TEvidente::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeControls();
}

Query &TEvidente::Ox() const
{
    return m_listing->Ox();
}

RegisterChoices TEvidente::choices() const
{
    return {choiceOf(ANUL),     choiceOf(Luna),   choiceOf(SERIA), choiceOf(Nr),
            choiceOf(Domeniul), choiceOf(SubDom), choiceOf(Titlu)};
}

void TEvidente::act(const std::function<void()> &action)
{
    m_workspace.guard(action);
}

void TEvidente::fillPickLists()
{
    const RegisterPickLists lists = m_listing->readPickLists();
    refill(ANUL, lists.anul);
    refill(SERIA, lists.seria);
    refill(Nr, lists.nr);
    refill(Domeniul, lists.domeniul);
    refill(SubDom, lists.subdom);
    refill(Titlu, lists.titlu);
}

void TEvidente::OpenRegister(int rank)
{
    m_listing->open([this, rank] {
        fillPickLists();
        AddBut->setVisible(rank != 2);
        ModBut->setVisible(rank != 2);
        DelBut->setVisible(rank == 0);
        ShowBut->setVisible(true);
        CloseBut->setVisible(true);
    });
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
    m_listing->close();
}

void TEvidente::Filtreaza()
{
    m_listing->Filtreaza();
}

void TEvidente::DBGrid3TitleClick(int column)
{
    m_listing->sortBy(SMDBGrid3->columnField(column));
}

void TEvidente::OxAfterScroll()
{
    const bool rows = m_listing->hasRows();
    ShowBut->setEnabled(rows);
    ModBut->setEnabled(rows);
    DelBut->setEnabled(rows);
    AddBut->setEnabled(true);
    CloseBut->setEnabled(true);
}

bool TEvidente::FormKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    close();
    return true;
}

bool TEvidente::EnterTab(QWidget *source, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    const QList<QComboBox *> lists{ANUL, Luna, SERIA, Nr, Domeniul, SubDom, Titlu};
    if (!lists.contains(qobject_cast<QComboBox *>(source)))
        return false;
    focusNextChild();
    return true;
}

void TEvidente::CloseButClick()
{
    close();
}

void TEvidente::attach(TAddAct &addAct, TErori &erori)
{
    m_addAct = &addAct;
    m_erori = &erori;
    addAct.setAsk([this](const QString &title, const QString &text, quint8 kind, quint16 buttons) {
        return Mesaj(title, text, kind, buttons);
    });
}

quint16 TEvidente::Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons)
{
    if (!m_erori)
        throw Error(QStringLiteral("Fereastra de mesaje nu este pregatita."));
    return m_erori->Mesaj(title, text, kind, buttons);
}

bool TEvidente::refusedShown(const std::function<void()> &operation)
{
    try {
        operation();
        return false;
    } catch (const ActRefused &refused) {
        Mesaj(refused.title(), refused.message(), kKindError, kButtonOk);
        return true;
    }
}

StoredAct TEvidente::currentAct() const
{
    return ActsTable::readAct(Ox());
}

void TEvidente::appendNewValues(const ActEntry &act)
{
    // A value joins its list unless the list holds it in any letter case; blank values never
    // appear in the lists. Each joins where an opening would have put it.
    const std::pair<QComboBox *, QString> values[] = {
        {ANUL, QString::number(act.date.year())},
        {SERIA, act.seria},
        {Nr, act.nr},
        {Domeniul, act.domeniul},
        {SubDom, act.subdom},
        {Titlu, act.titlu},
    };
    for (const auto &[list, value] : values) {
        if (value.trimmed().isEmpty())
            continue;
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->itemText(i);
        const int place = RegisterListing::pickListPlace(entries, value, list == ANUL);
        if (place >= 0) {
            const QSignalBlocker quiet(list);
            list->insertItem(place, value);
        }
    }
}

void TEvidente::AddButClick()
{
    if (!m_addAct)
        return;
    m_addAct->PrepareFields();
    if (!m_addAct->RunDialog(QStringLiteral("Adaugare Act")))
        return;
    const ActEntry entry = m_addAct->entry();
    QString id;
    if (refusedShown([&] { id = m_acts->add(entry, m_workspace.progress()); }))
        return;
    appendNewValues(entry);
    if (m_listing->reopenAt(id))
        return;
    // Stored, but the lists' choices hide it: the person is told, so as not to add it again.
    if (Mesaj(QStringLiteral("Memorare act"),
              QStringLiteral("\rActul a fost memorat, dar nu se vede cu filtrele alese.\r"
                             "Renuntati la filtre?"),
              kKindConfirmation, kButtonsDaNu) != kResultYes)
        return;
    for (QComboBox *list : {ANUL, Luna, SERIA, Nr, Domeniul, SubDom, Titlu}) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(0);
    }
    Filtreaza();
    Ox().locate(ActsTable::kId, id);
}

void TEvidente::ModButClick()
{
    if (!m_addAct || !m_listing->hasRows())
        return;
    const StoredAct old = currentAct();
    QString archived;
    if (refusedShown(
            [&] { archived = m_acts->archivedFile(old, QStringLiteral("Modificare Act")); }))
        return;
    m_addAct->PrepareFields();
    m_addAct->load(old, archived);
    if (!m_addAct->RunDialog(QStringLiteral("Modificare Act")))
        return;
    const ActEntry edited = m_addAct->entry();
    if (refusedShown([&] { m_acts->modify(old, edited, m_workspace.progress()); }))
        return;
    m_listing->reopenAt(old.id);
}

void TEvidente::DelButClick()
{
    if (!m_listing->hasRows())
        return;
    const StoredAct act = currentAct();
    if (Mesaj(QStringLiteral("Stergere Act"),
              QStringLiteral("Vreti sa stergeti actul nr.") + act.nr + QLatin1Char('?'),
              kKindConfirmation, kButtonsDaNu) != kResultYes)
        return;
    if (refusedShown([&] { m_acts->remove(act); }))
        return;
    m_listing->reopenAtLast();
}

void TEvidente::ShowButClick()
{
    const StoredAct act = currentAct();
    QString copy;
    if (refusedShown([&] { copy = m_acts->readableCopy(act, m_workspace.progress()); }))
        return;
    openDocument(copy);
}

} // namespace dosarium
