// TEvidente: the register window, where users find acts through seven pick lists and a grid
// that re-sorts on a title click, and add, modify, delete and view them as their rank allows.
#pragma once

#include <QDialog>
#include <memory>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;

namespace dosarium {

class ActOperations;
class DataGrid;
class Query;
class TAddAct;
class TErori;
class RegisterListing;
class TFlatSpeedButton;
class TGradientPanel;
class Workspace;
struct RegisterChoices;
struct ActEntry;
struct StoredAct;

class TEvidente : public QDialog {
    Q_OBJECT
public:
    explicit TEvidente(Workspace &workspace, QWidget *parent = nullptr);
    ~TEvidente() override;

    // The act dialog and the message box are created after this window; the program entry hands
    // them over.
    void attach(TAddAct &addAct, TErori &erori);

    // Fills the lists, opens the rows, sets the buttons by the signed-in user's rank and shows
    // the window modally; the rows close with the window.
    void OpenRegister(int rank);

    void Filtreaza();
    void DBGrid3TitleClick(int column);
    void OxAfterScroll();
    bool EnterTab(QWidget *source, QKeyEvent *event);
    bool FormKeyDown(QKeyEvent *event);
    void CloseButClick();
    void AddButClick();
    void ModButClick();
    void DelButClick();
    void ShowButClick();

    RegisterListing &listing() const { return *m_listing; }
    Query &Ox() const;
    RegisterChoices choices() const;
    // The act of the current row (empty values without rows).
    StoredAct currentAct() const;
    ActOperations &acts() const { return *m_acts; }

    TGradientPanel *Header = nullptr;
    QLabel *Picture = nullptr;
    QLabel *Title = nullptr;
    DataGrid *SMDBGrid3 = nullptr;
    QWidget *FilterPanel = nullptr;
    QGroupBox *Cautare = nullptr;
    QComboBox *ANUL = nullptr;
    QComboBox *Luna = nullptr;
    QComboBox *SERIA = nullptr;
    QComboBox *Nr = nullptr;
    QComboBox *Domeniul = nullptr;
    QComboBox *SubDom = nullptr;
    QComboBox *Titlu = nullptr;
    TFlatSpeedButton *AddBut = nullptr;
    TFlatSpeedButton *ModBut = nullptr;
    TFlatSpeedButton *DelBut = nullptr;
    TFlatSpeedButton *ShowBut = nullptr;
    TFlatSpeedButton *CloseBut = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildFilterPanel();
    void placeControls();
    void fillPickLists();
    // Runs a user action of this window; its failure is reported and the window goes on.
    void act(const std::function<void()> &action);
    quint16 Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons);
    // Runs an operation on acts; a refusal it foresees is shown in the message box.
    bool refusedShown(const std::function<void()> &operation);
    void appendNewValues(const ActEntry &act);

    Workspace &m_workspace;
    std::unique_ptr<RegisterListing> m_listing;
    std::unique_ptr<ActOperations> m_acts;
    TAddAct *m_addAct = nullptr;
    TErori *m_erori = nullptr;
};

} // namespace dosarium
