// TLogView: the activity log window, the log of entries, exits and changes read-only, oldest
// first, opened on the newest entry.
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

class QKeyEvent;
class QLabel;

namespace dosarium {

class DataGrid;
class Query;
class TFlatSpeedButton;
class TGradientPanel;
class Workspace;

// The log query's two lines over the log of `dataDir`.
QStringList logQueryLines(const QString &dataDir);

class TLogView : public QDialog {
    Q_OBJECT
public:
    static constexpr int OuterWidth = 757;
    static constexpr int OuterHeight = 660;
    static constexpr int BandHeight = 41;

    explicit TLogView(Workspace &workspace, QWidget *parent = nullptr);
    ~TLogView() override;

    // Reads the log afresh, stands on its newest entry, shows the window modally and closes the
    // rows when it closes.
    void OpenLog();
    bool FormKeyDown(QKeyEvent *event);
    void CloseButClick();

    Query &Lx() const { return *m_lx; }

    TGradientPanel *Header = nullptr;
    QLabel *Label1 = nullptr;
    DataGrid *DBGrid3 = nullptr;
    QWidget *Footer = nullptr;
    TFlatSpeedButton *CloseBut = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void placeControls();

    Workspace &m_workspace;
    std::unique_ptr<Query> m_lx;
    bool m_placed = false;
};

} // namespace dosarium
