// dosarium-gallery: every painted control as the program's windows use them, on one window, so a
// person can look at them. With "--screenshot FILE" it writes a picture of the window and ends.
#include "widgets/CylinderProgressBar.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatButton.h"
#include "widgets/GradientPanel.h"
#include "widgets/HintBalloonControl.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStandardItemModel>
#include <QTimer>

using namespace dosarium;

namespace {

TGradientPanel *band(QWidget *parent, QRect place, const char *from, const char *to, int count,
                     TGradientDirection direction)
{
    auto *panel = new TGradientPanel(parent);
    panel->setGeometry(place);
    panel->setColorFrom(QColor(QLatin1String(from)));
    panel->setColorTo(QColor(QLatin1String(to)));
    panel->setColorCount(count);
    panel->setDirection(direction);
    return panel;
}

TCylinderProgressBar *bar(QWidget *parent, QRect place, const char *background, const char *start,
                          const char *final, int blockSize, int position)
{
    auto *b = new TCylinderProgressBar(parent);
    b->setGeometry(place);
    b->setBarKind(bkCylinder);
    b->setBarLook(blGlass);
    b->setRoundCorner(true);
    b->setBackgroundColor(QColor(QLatin1String(background)));
    b->setStartColor(QColor(QLatin1String(start)));
    b->setFinalColor(QColor(QLatin1String(final)));
    b->setBlockSize(blockSize);
    b->setSpaceSize(blockSize ? 1 : 0);
    b->setMaximum(100);
    b->setPosition(position);
    return b;
}

TFlatButton *button(QWidget *parent, int x, int y, const QString &caption, const char *face,
                    const char *hot)
{
    auto *b = new TFlatButton(caption, parent);
    b->setGeometry(x, y, 73, 25);
    b->setColor(QColor(QLatin1String(face)));
    b->setHotTrackColor(QColor(QLatin1String(hot)));
    b->setFontColor(Qt::white);
    QFont font = b->font();
    font.setBold(true);
    b->setFont(font);
    return b;
}

QStandardItemModel *logRows(QObject *parent)
{
    auto *model = new QStandardItemModel(0, 4, parent);
    model->setHorizontalHeaderLabels({QStringLiteral("DATAL"), QStringLiteral("ORA"),
                                      QStringLiteral("ACTIUNE"), QStringLiteral("UTILIZATOR")});
    const QStringList actions = {
        QStringLiteral("Acces in program."),
        QStringLiteral("Adaugare Act 12/03.02.2026 - Domeniul: Contracte"),
        QStringLiteral("Modificare Act 12/03.02.2026 - Domeniul: Contracte"),
        QStringLiteral("Inchidere program.")};
    for (int i = 0; i < 12; ++i)
        model->appendRow({new QStandardItem(QStringLiteral("08.12.2026")),
                          new QStandardItem(QStringLiteral("09:%1:05").arg(10 + i)),
                          new QStandardItem(actions.at(i % actions.size())),
                          new QStandardItem(QStringLiteral("BIROU1 - maria"))});
    return model;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Dosarium - controale"));
    window.setFixedSize(760, 560);
    auto *palette =
        band(&window, window.rect(), "#FFFFFF", "#E1E1E1", 64, TGradientDirection::RightToLeft);
    palette->lower();

    // The start-up window's background and bar.
    band(&window, QRect(8, 8, 395, 187), "#ACB8CC", "#4D6080", 64,
         TGradientDirection::HCenterToEdges);
    auto *title = new QLabel(QStringLiteral("Fundal si bara de pornire"), &window);
    title->move(28, 120);
    bar(&window, QRect(32, 152, 353, 25), "#8080FF", "#000080", "#00FFFF", 0, 60);

    // The progress window.
    band(&window, QRect(416, 8, 332, 65), "#ACB8CC", "#526687", 32,
         TGradientDirection::HCenterToEdges);
    auto *descr = new QLabel(QStringLiteral("Copiere fisier in arhiva ..."), &window);
    descr->move(432, 20);
    bar(&window, QRect(430, 36, 300, 24), "#000040", "#455774", "#00CCCC", 4, 45);

    // The message box bands and buttons of the confirmation and error kinds.
    band(&window, QRect(416, 84, 332, 49), "#81A2D3", "#365F9C", 64,
         TGradientDirection::RightToLeft);
    button(&window, 470, 96, QStringLiteral("DA"), "#3966A8", "#7196CE");
    button(&window, 600, 96, QStringLiteral("NU"), "#3966A8", "#7196CE");
    band(&window, QRect(416, 140, 332, 42), "#FFD5D5", "#FF0000", 64,
         TGradientDirection::RightToLeft);
    TFlatButton *ok = button(&window, 545, 148, QStringLiteral("OK"), "#FF0000", "#FF9B9B");

    // The grid of the activity log window, with its band title.
    band(&window, QRect(8, 204, 740, 40), "#FFFFFF", "#ACB8CC", 64,
         TGradientDirection::EdgesToHCenter);
    auto *grid = new DataGrid(&window);
    grid->setGeometry(8, 250, 740, 300);
    grid->setModel(logRows(grid));
    grid->setColumns(
        {{QStringLiteral("DATAL"), QStringLiteral("Data"), 80, Qt::AlignCenter,
          QStringLiteral("Data si ora")},
         {QStringLiteral("ORA"), QStringLiteral("Ora"), 70, Qt::AlignCenter,
          QStringLiteral("Data si ora")},
         {QStringLiteral("ACTIUNE"), QStringLiteral("Actiune"), 420, Qt::AlignLeft, QString()},
         {QStringLiteral("UTILIZATOR"), QStringLiteral("Utilizator"), 140, Qt::AlignLeft,
          QString()}});
    grid->setRowColors(QColor(0xFF, 0xFF, 0xF0), QColor(0xE8, 0xEE, 0xF8));
    grid->setTitleShadeColor(QColor(0xAC, 0xB8, 0xCC));

    THintBalloonControl hints;
    hints.setDuration(0);
    hints.setAnimationSpeed(50);
    window.show();
    QTimer::singleShot(300, &window, [&] {
        hints.showBalloon(1, QStringLiteral("Problema !"), 0, ok, 0, 0, 300,
                          QStringLiteral("Nume sau parola incorecta!"));
    });

    const QStringList args = QCoreApplication::arguments();
    const qsizetype shot = args.indexOf(QStringLiteral("--screenshot"));
    if (shot >= 0 && shot + 1 < args.size()) {
        QTimer::singleShot(1200, &window, [&] {
            const QPixmap picture = window.screen()->grabWindow(0);
            QApplication::exit(picture.save(args.at(shot + 1)) ? 0 : 1);
        });
    }
    return QApplication::exec();
}
