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

class DataGrid;
class Query;
class RegisterListing;
class TFlatSpeedButton;
class TGradientPanel;
class Workspace;
struct RegisterChoices;

class TEvidente : public QDialog {
    Q_OBJECT
public:
    explicit TEvidente(Workspace &workspace, QWidget *parent = nullptr);
    ~TEvidente() override;

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
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildFilterPanel();
    void placeControls();
    void fillPickLists();
    // Runs a user action of this window; its failure is reported and the window goes on.
    void act(const std::function<void()> &action);

    Workspace &m_workspace;
    std::unique_ptr<RegisterListing> m_listing;
};

} // namespace dosarium
