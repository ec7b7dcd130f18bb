// TAddAct: the act dialog where an act is entered or corrected: its date, series, number, code,
// domain, subdomain, title, observation and the file attached to it.
#pragma once

#include "register/ActStatements.h"
#include "ui/ProblemReport.h"

#include <QDialog>
#include <functional>
#include <future>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;

namespace dosarium {

class DateBox;
class TFlatSpeedButton;
class TGradientPanel;
class Workspace;

class TAddAct : public QDialog {
    Q_OBJECT
public:
    TAddAct(Workspace &workspace, ProblemReport showProblem, QWidget *parent = nullptr);
    ~TAddAct() override;

    // Empties the entries and refills the four pick lists; the date stays.
    void PrepareFields();
    // Shows the dialog modally with `title` in its header; true when "Memoreaza" accepted it.
    bool RunDialog(const QString &title);
    // Puts an act's values into the entries, with its archived file as the attached file. An
    // empty date shows as an empty box.
    void load(const StoredAct &act, const QString &archivedFile);
    // The entries as they stand; a loaded date the person did not change is the row's own.
    ActEntry entry() const;

    void BitBtn1Click();
    void SpeedButton12Click();
    void SpeedButton1Click();
    bool EnterTab(QWidget *source, QKeyEvent *event);
    // How the dialog asks a question (the message box's Mesaj): DA gives 6.
    using Ask = std::function<quint16(const QString &title, const QString &text, quint8 kind,
                                      quint16 buttons)>;
    void setAsk(Ask ask) { m_ask = std::move(ask); }
    bool FormKeyDown(QKeyEvent *event);
    void FormCreate();

    TGradientPanel *Header = nullptr;
    QLabel *Label2 = nullptr;
    DateBox *DataAct = nullptr;
    QLineEdit *Seria = nullptr;
    QLineEdit *Nr = nullptr;
    QComboBox *COD = nullptr;
    QComboBox *Domeniul = nullptr;
    QComboBox *SubDom = nullptr;
    QComboBox *Titlu = nullptr;
    QLineEdit *Obs = nullptr;
    QLabel *Fisier = nullptr;
    TFlatSpeedButton *SpeedButton1 = nullptr;
    TFlatSpeedButton *BitBtn1 = nullptr;
    TFlatSpeedButton *SpeedButton12 = nullptr;

private:
    // The parts of the window, built once by the constructor in this order.
    void buildHeader();
    void buildEntries();
    void buildFileRow();
    void buildButtons();
    void wireControls();
    QList<QWidget *> inputs() const;
    // A document that is already an act's archived document is stored again only on DA.
    bool confirmNewDocument();
    // The chosen file's fingerprint: the one taken since it was chosen, or taken now.
    DocumentFingerprint chosenFingerprint(const QString &file);

    Workspace &m_workspace;
    ProblemReport m_showProblem;
    bool m_saved = false;
    // The act loaded for a modification, as its row holds it.
    bool m_loaded = false;
    QDate m_loadedDate;
    QString m_loadedDomeniul, m_loadedSubdom, m_loadedId, m_loadedFile;
    // The chosen file's fingerprint, taken by "Memoreaza".
    std::optional<DocumentFingerprint> m_fingerprint;
    // The fingerprint of the file just chosen, taken beside the window while the person fills
    // in the rest, so that "Memoreaza" seldom waits for it.
    QString m_takingFile;
    std::future<DocumentFingerprint> m_taking;
    Ask m_ask;
};

} // namespace dosarium
