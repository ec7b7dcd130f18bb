#include "register/ActDialog.h"

#include "app/ActsTable.h"
#include "app/QueryText.h"
#include "app/StoredTextValidator.h"
#include "app/Workspace.h"
#include "register/ActDialogRules.h"
#include "register/DateBox.h"
#include "store/FieldCodec.h"
#include "ui/ButtonLook.h"
#include "ui/FileChooser.h"
#include "ui/KeyPreview.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/WindowPlacement.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <future>

namespace dosarium {

namespace {

const QColor Navy(0x00, 0x00, 0x80);

void navyText(QWidget *control)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Text, Navy);
    palette.setColor(QPalette::ButtonText, Navy);
    control->setPalette(palette);
}

QLineEdit *editBox(const char *name, int maxLength, bool upper, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    box->setValidator(new StoredTextValidator(maxLength, upper, box));
    navyText(box);
    return box;
}

QComboBox *pickBox(const char *name, int maxLength, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxVisibleItems(20);
    box->lineEdit()->setMaxLength(maxLength);
    box->setValidator(new StoredTextValidator(maxLength, true, box));
    navyText(box);
    return box;
}

} // namespace

TAddAct::TAddAct(Workspace &workspace, ProblemReport showProblem, QWidget *parent)
    : QDialog(parent), m_workspace(workspace), m_showProblem(std::move(showProblem))
{
    setObjectName(QStringLiteral("AddAct"));
    setWindowTitle(QStringLiteral("Dosarium"));
    fixedDialog(this, 513, 407, QColor(0x1F, 0x27, 0x34));
    buildHeader();
    buildEntries();
    buildFileRow();
    buildButtons();
    wireControls();
    FormCreate();
}

void TAddAct::buildHeader()
{
    Header = headerBand(this);
    Header->setGeometry(0, 0, 513, 49);
    Label2 = new QLabel(Header);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(captionFont(13));
    QPalette headerText = Label2->palette();
    headerText.setColor(QPalette::WindowText, QColor(0x2D, 0x38, 0x4A));
    Label2->setPalette(headerText);
    Label2->setGeometry(16, 0, 480, 49);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TAddAct::buildEntries()
{
    DataAct = new DateBox(this);
    DataAct->setObjectName(QStringLiteral("DataAct"));
    navyText(DataAct);
    Seria = editBox("Seria", 24, true, this);
    Nr = editBox("Nr", 24, true, this);
    COD = pickBox("COD", 16, this);
    Domeniul = pickBox("Domeniul", 60, this);
    SubDom = pickBox("SubDom", 60, this);
    Titlu = pickBox("Titlu", 60, this);
    Obs = editBox("Obs", 240, false, this);
    for (QLineEdit *box : {Seria, Nr, Obs})
        explainRefusedKeys(box, m_showProblem);
    for (QComboBox *list : {COD, Domeniul, SubDom, Titlu})
        explainRefusedKeys(list->lineEdit(), m_showProblem, list);

    const struct {
        QWidget *control;
        const char *label;
        int top, width;
    } rows[] = {
        {DataAct, "Data actului", 72, 105}, {Seria, "Seria", 96, 153},
        {Nr, "Numarul", 120, 153},          {COD, "Cod", 144, 153},
        {Domeniul, "Domeniul", 176, 369},   {SubDom, "Subdomeniul", 200, 369},
        {Titlu, "Titlul", 224, 369},        {Obs, "Observatie", 256, 369},
    };
    for (const auto &row : rows) {
        row.control->setGeometry(120, row.top, row.width, 21);
        auto *label = new QLabel(QLatin1String(row.label), this);
        label->setGeometry(32, row.top, 86, 21);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
}

void TAddAct::buildFileRow()
{
    auto *fileLabel = new QLabel(QStringLiteral("Fisier atasat"), this);
    fileLabel->setGeometry(32, 296, 86, 17);
    Fisier = new QLabel(kNoFile, this);
    Fisier->setObjectName(QStringLiteral("Fisier"));
    Fisier->setGeometry(120, 296, 385, 17);
    Fisier->setTextFormat(Qt::PlainText);

    SpeedButton1 = new TFlatSpeedButton(QStringLiteral("Alege fisierul"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(120, 316, 107, 25);
    SpeedButton1->setButtonStyle(TFlatSpeedButton::bsModern);
    SpeedButton1->setColor(QColor(0x94, 0xCE, 0xEC));
    SpeedButton1->setHotTrackColor(QColor(0xB8, 0xE0, 0xF4));
    SpeedButton1->setFontColor(Qt::black);
    SpeedButton1->setHotTrackFontColor(Qt::black);
    SpeedButton1->setFocusPolicy(Qt::NoFocus);
    SpeedButton1->setCursor(Qt::PointingHandCursor);
}

void TAddAct::buildButtons()
{
    auto *bottom = new QWidget(this);
    bottom->setGeometry(0, 407 - 43, 513, 43);
    bottom->setAutoFillBackground(true);
    QPalette band = bottom->palette();
    band.setColor(QPalette::Window, QColor(0x40, 0x50, 0x6A));
    bottom->setPalette(band);
    BitBtn1 = new TFlatSpeedButton(QStringLiteral("Memoreaza"), bottom);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(32, 9, 107, 25);
    SpeedButton12 = new TFlatSpeedButton(QStringLiteral("Renunt"), bottom);
    SpeedButton12->setObjectName(QStringLiteral("SpeedButton12"));
    SpeedButton12->setGeometry(376, 9, 107, 25);
    for (TFlatSpeedButton *button : {BitBtn1, SpeedButton12}) {
        paintNavy(button);
        button->setFocusPolicy(Qt::NoFocus);
    }
}

void TAddAct::wireControls()
{
    QWidget *previous = nullptr;
    for (QWidget *control : inputs()) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    connect(BitBtn1, &QAbstractButton::clicked, this,
            [this] { m_workspace.guard([this] { BitBtn1Click(); }); });
    connect(SpeedButton12, &QAbstractButton::clicked, this, [this] { SpeedButton12Click(); });
    connect(SpeedButton1, &QAbstractButton::clicked, this,
            [this] { m_workspace.guard([this] { SpeedButton1Click(); }); });

    // Key preview: every key of this window reaches FormKeyDown before the focused control.
    installKeyPreview(this, [this](QWidget *source, QKeyEvent *key) {
        // The date box's calendar is a window of its own: Escape there closes only the calendar.
        if (source && source->window() != this)
            return false;
        return FormKeyDown(key) || EnterTab(source, key);
    });
}

TAddAct::~TAddAct() = default;

QList<QWidget *> TAddAct::inputs() const
{
    return {DataAct, Seria, Nr, COD, Domeniul, SubDom, Titlu, Obs};
}

void TAddAct::FormCreate()
{
    DataAct->setDate(m_workspace.now().date());
}

void TAddAct::PrepareFields()
{
    Seria->clear();
    Nr->clear();
    const std::pair<QComboBox *, QString> boxes[] = {{Domeniul, ActsTable::kDomain},
                                                     {SubDom, ActsTable::kSubdomain},
                                                     {COD, ActsTable::kCode},
                                                     {Titlu, ActsTable::kTitle}};
    QStringList entries[std::size(boxes)];
    std::vector<std::pair<QStringList *, QString>> lists;
    for (size_t i = 0; i < std::size(boxes); ++i)
        lists.emplace_back(&entries[i], boxes[i].second);
    m_workspace.FillDistinct(lists, m_workspace.actePath());
    for (size_t i = 0; i < std::size(boxes); ++i) {
        QComboBox *box = boxes[i].first;
        box->clear();
        box->addItems(entries[i]);
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    Obs->clear();
    Fisier->setText(kNoFile);
    m_loaded = false;
    m_fingerprint.reset();
}

bool TAddAct::RunDialog(const QString &title)
{
    m_saved = false;
    Label2->setText(title);
    centreWindow(this);
    // The date is shown as the box's own value again, so that typing replaces it whole; a text
    // that named no date when the dialog was last left gives way to today's.
    DataAct->setDate(DataAct->holdsDate() ? DataAct->date() : m_workspace.now().date());
    DataAct->setFocus();
    DataAct->selectAll();
    exec();
    return m_saved;
}

void TAddAct::load(const StoredAct &act, const QString &archivedFile)
{
    m_loaded = true;
    m_loadedDate = act.date;
    m_loadedDomeniul = act.domeniul;
    m_loadedSubdom = act.subdom;
    m_loadedId = act.id;
    m_loadedFile = archivedFile;
    DataAct->setDate(act.date);
    Seria->setText(act.seria);
    Nr->setText(act.nr);
    COD->setEditText(act.cod);
    Domeniul->setEditText(act.domeniul);
    SubDom->setEditText(act.subdom);
    Titlu->setEditText(act.titlu);
    Obs->setText(act.obs);
    Fisier->setText(archivedFile);
}

ActEntry TAddAct::entry() const
{
    ActEntry e;
    // An empty date the person left as the row held it stays empty; any other untouched date
    // is written back exactly as it was read (the box shows it as it is, before 1900 too).
    e.keepsStoredDate = m_loaded && !DataAct->isModified() && !m_loadedDate.isValid();
    e.date = DataAct->date();
    e.seria = Seria->text();
    e.nr = Nr->text();
    e.cod = COD->currentText();
    e.domeniul = Domeniul->currentText();
    e.subdom = SubDom->currentText();
    e.titlu = Titlu->currentText();
    e.obs = Obs->text();
    e.file = Fisier->text();
    e.fingerprint = m_fingerprint;
    return e;
}

void TAddAct::BitBtn1Click()
{
    for (QComboBox *list : {Domeniul, SubDom, Titlu, COD})
        list->setEditText(CleanText(list->currentText()));
    if (DataAct->isModified() && DataAct->text().trimmed().isEmpty()) {
        // An empty date is kept only as a row held it; the person never empties one.
        if (m_showProblem)
            m_showProblem(QStringLiteral("Nu ati trecut data actului!"), DataAct);
        return;
    }
    if (!DataAct->holdsDate()) {
        if (m_showProblem)
            m_showProblem(kWrongDate, DataAct);
        return;
    }
    const std::optional<ActProblem> problem = checkActEntry(
        Domeniul->currentText(), SubDom->currentText(), Fisier->text(),
        m_loaded ? m_loadedDomeniul : QString(), m_loaded ? m_loadedSubdom : QString());
    if (problem) {
        QWidget *at = problem->field == ActField::Domeniul ? static_cast<QWidget *>(Domeniul)
                      : problem->field == ActField::SubDom ? static_cast<QWidget *>(SubDom)
                                                           : static_cast<QWidget *>(Fisier);
        if (m_showProblem)
            m_showProblem(problem->text, at);
        return;
    }
    if (!confirmNewDocument())
        return; // back to the dialog, everything typed kept
    m_saved = true;
    accept();
}

bool TAddAct::confirmNewDocument()
{
    m_fingerprint.reset();
    if (m_loaded && Fisier->text() == m_loadedFile)
        return true; // the act's own archived document stays
    const DocumentFingerprint print = chosenFingerprint(Fisier->text());
    const QString question = alreadyArchivedQuestion(m_workspace.context().DataDir, print,
                                                     m_loaded ? m_loadedId : QString());
    if (!question.isEmpty() && m_ask && m_ask(Label2->text(), question, 3, 1 | 2) != 6)
        return false;
    m_fingerprint = print;
    return true;
}

void TAddAct::SpeedButton12Click()
{
    reject();
}

void TAddAct::SpeedButton1Click()
{
    const QString chosen = chooseFile(this, QStringLiteral("Alege Fisierul de arhivat"));
    if (chosen.isEmpty())
        return;
    Fisier->setText(QDir::toNativeSeparators(chosen));
    m_takingFile = Fisier->text();
    m_taking =
        std::async(std::launch::async, [file = m_takingFile] { return fingerprintOfFile(file); });
}

DocumentFingerprint TAddAct::chosenFingerprint(const QString &file)
{
    if (m_taking.valid() && m_takingFile == file) {
        // A failure to read the file is thrown here, as it would be now.
        const DocumentFingerprint taken = m_taking.get();
        const QFileInfo now(file);
        if (now.size() == taken.size &&
            now.lastModified().toMSecsSinceEpoch() == taken.modified / 1000000)
            return taken;
    }
    return fingerprintOfFile(file);
}

bool TAddAct::FormKeyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape)
        return false;
    SpeedButton12Click();
    return true;
}

bool TAddAct::EnterTab(QWidget *source, QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    for (QWidget *control : inputs()) {
        if (source == control || control->isAncestorOf(source)) {
            focusNextChild();
            return true;
        }
    }
    return false;
}

} // namespace dosarium
