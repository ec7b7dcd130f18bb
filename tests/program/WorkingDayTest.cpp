// A whole working day through the program's own windows: every window created as the entry
// creates them, the real start-up sequence in a fresh executable folder, and an office's day
// walked with key presses and clicks, from the first start to a server folder and back. After
// every step the data folder is read through the table engine, never through a window.
#include "LogEntries.h"
#include "TestApplication.h"
#include "TestText.h"
#include "access/AdminWindow.h"
#include "access/MainWindow.h"
#include "access/UserDialog.h"
#include "access/UserFile.h"
#include "app/SettingsFile.h"
#include "app/StartupWindow.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "program/ToolTipPolicy.h"
#include "program/Windows.h"
#include "register/ActDialog.h"
#include "register/DateBox.h"
#include "register/LogWindow.h"
#include "register/RegisterWindow.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "ui/DocumentViewer.h"
#include "ui/ErrorReport.h"
#include "ui/FileChooser.h"
#include "ui/MessageDialog.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/GridHeader.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write(bytes);
}

// A file as the archive keeps it: byte i XORed with key byte i mod L (plain with no key).
QByteArray coded(QByteArray bytes, const QByteArray &key)
{
    if (!key.isEmpty())
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(bytes[i] ^ key[i % key.size()]);
    return bytes;
}

// A small but real PDF: one page of text, long enough to be coded in several blocks.
QByteArray pdfDocument()
{
    QByteArray text = "BT /F1 11 Tf 40 800 Td 14 TL\n";
    for (int line = 1; line <= 400; ++line)
        text += "(Contract de livrare nr. 101, clauza " + QByteArray::number(line) + ") '\n";
    text += "ET\n";
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + QByteArray::number(text.size()) + " >>\nstream\n" + text + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// A scanned page as an image file of the given format; noise keeps it from compressing away.
QByteArray scanImage(const char *format)
{
    QImage page(160, 120, QImage::Format_RGB32);
    QRandomGenerator noise(15);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            page.setPixel(x, y, qRgb(200 + int(noise.bounded(56)), 190 + x / 4, 120 + y));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    page.save(&buffer, format, 95);
    return bytes;
}

// What the act dialog is given for one act.
struct ActInput {
    QDate date;
    QString seria, nr, cod, domeniul, subdom, titlu, obs;
    QString file;
};

// One row of the documents table.
struct ActRow {
    qint64 id = 0, year = 0, month = 0;
    QDate date;
    QString seria, nr, domeniul, subdom, titlu, extensie;
};

class WorkingDayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ensureApplication();
        // As the entry sets them: the hidden splash keeps the program alive, white hints.
        QApplication::setQuitOnLastWindowClosed(false);
        ToolTipPolicy::install();
    }

    void SetUp() override
    {
        previousReport = setErrorReportHook([this](const QString &m) { reports << m; });
        previousViewer = setViewerHook([this](const QString &path) {
            viewed << path;
            viewedBytes << readAll(path);
        });
        previousChooser = setChooserHook([this](ChooserKind kind, const QString &title) {
            chooserTitles << title;
            EXPECT_FALSE(chosen.isEmpty()) << qPrintable(title);
            EXPECT_EQ(kind, chosenKind);
            return chosen.isEmpty() ? QString() : chosen.takeFirst();
        });
        // Every question is answered DA, every notice OK, as the person at the desk would.
        TErori::setAnswerHook([this](TErori &box) {
            messages << box.Label1->text() + QLatin1Char('|') + box.EroText->text();
            QTest::mouseClick(box.BE1->isVisible() ? box.BE1 : box.BE4, Qt::LeftButton);
        });
        pdfFile = sources.filePath(QStringLiteral("contract.pdf"));
        pngFile = sources.filePath(QStringLiteral("plan.png"));
        jpgFile = sources.filePath(QStringLiteral("foto.jpg"));
        writeAll(pdfFile, pdfDocument());
        writeAll(pngFile, scanImage("PNG"));
        writeAll(jpgFile, scanImage("JPG"));
    }

    void TearDown() override
    {
        TErori::setAnswerHook(nullptr);
        setChooserHook(previousChooser);
        setViewerHook(previousViewer);
        setErrorReportHook(previousReport);
    }

    // ---- the program and its windows ----

    // One start of the program in the executable folder: the windows as the entry makes them,
    // the splash shown, and `day` run inside the event loop once the main window shows. The day
    // ends the program as a person does (the exit question, or a server change); the event
    // loop's exit code is returned.
    int startProgram(const std::function<void(Windows &)> &day)
    {
        Windows windows;
        windows.workspace->setWorkstation(
            {exe.path(), QStringLiteral("BIROU1"), QStringLiteral("maria")});
        bool splashFirst = false;
        bool ran = false;
        QTimer::singleShot(0, windows.Form1.get(), [&] {
            windows.Form1->show();
            splashFirst = windows.Form1->isVisible() && !windows.Form3->isVisible();
            whenShown(
                windows.Form3.get(),
                [&] {
                    EXPECT_FALSE(windows.Form1->isVisible());
                    day(windows);
                    ran = true;
                },
                3000);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the program did not end";
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            QCoreApplication::exit(99);
        });
        watchdog.start(40000);
        const int code = QApplication::exec();
        EXPECT_TRUE(splashFirst);
        EXPECT_TRUE(ran);
        EXPECT_TRUE(reports.isEmpty()) << qPrintable(reports.join(QLatin1Char('\n')));
        reports.clear();
        return code;
    }

    // Runs `steps` once `window` shows (as the active modal window when it is one); the caller
    // then does what opens it. A window the steps leave open is closed, so the walk goes on.
    // It is looked for every 10 ms, `triesLeft` times.
    static void whenShown(QWidget *window, const std::function<void()> &steps, int triesLeft = 1000)
    {
        QTimer::singleShot(10, window, [=] {
            const bool modal = window->isModal();
            if (window->isVisible() && (!modal || QApplication::activeModalWidget() == window)) {
                // The window system makes a new window the active one.
                window->activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(window))
                    << qPrintable(window->objectName());
                steps();
                if (modal && window->isVisible()) {
                    ADD_FAILURE() << qPrintable(window->objectName()) << " stayed open";
                    window->close();
                }
            } else if (triesLeft > 0) {
                whenShown(window, steps, triesLeft - 1);
            } else {
                ADD_FAILURE() << qPrintable(window->objectName()) << " never showed";
            }
        });
    }

    static void click(QWidget *control) { QTest::mouseClick(control, Qt::LeftButton); }
    static void type(QWidget *box, const QString &text) { QTest::keyClicks(box, text); }
    static void key(QWidget *control, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(control, k, mods);
    }

    // Signs in from the sign-in strip: name, Enter, password, Enter.
    static void signIn(TForm3 &form3, const QString &name, const QString &password)
    {
        click(form3.UtzNume);
        type(form3.UtzNume, name);
        key(form3.UtzNume, Qt::Key_Return);
        type(form3.UtzParola, password);
        key(form3.UtzParola, Qt::Key_Return);
        EXPECT_TRUE(form3.isSignedIn()) << qPrintable(name);
    }

    // A key pressed in the main window, where its focus is.
    static void mainKey(TForm3 &form3, Qt::Key k)
    {
        QWidget *focused = QApplication::focusWidget();
        key(focused && focused->window() == &form3 ? focused : static_cast<QWidget *>(&form3), k);
    }

    // "Arhiva", with `steps` run in the register; "Inchide" closes it.
    static void inRegister(Windows &w, const std::function<void(TEvidente &)> &steps)
    {
        TEvidente &evidente = *w.Evidente;
        whenShown(&evidente, [&] {
            steps(evidente);
            click(evidente.CloseBut);
        });
        click(w.Form3->MBut1);
        EXPECT_FALSE(evidente.isVisible());
    }

    // An entry of the "Setari/Utilitare" menu, clicked as a person clicks it.
    static void menuEntry(TForm3 &form3, QAction *entry)
    {
        click(form3.MButAdm);
        ASSERT_TRUE(QTest::qWaitFor([&] { return form3.PopupMenu1->isVisible(); }));
        QTest::mouseClick(form3.PopupMenu1, Qt::LeftButton, {},
                          form3.PopupMenu1->actionGeometry(entry).center());
    }

    // "Setari", with `steps` run in the administrator window; Escape closes it if still open.
    static void inAdministration(Windows &w, const std::function<void(TForm4 &)> &steps)
    {
        TForm4 &form4 = *w.Form4;
        whenShown(&form4, [&] {
            steps(form4);
            if (form4.isVisible())
                key(form4.DBGrid3, Qt::Key_Escape);
        });
        menuEntry(*w.Form3, w.Form3->Setari1);
        EXPECT_FALSE(form4.isVisible());
    }

    // The date box is reached with Shift+Tab from the series box, and the date typed whole.
    static void typeDate(TAddAct &dialog, const QDate &date)
    {
        click(dialog.Seria);
        key(dialog.Seria, Qt::Key_Backtab, Qt::ShiftModifier);
        type(dialog.DataAct, date.toString(QStringLiteral("dd.MM.yyyy")));
        EXPECT_EQ(dialog.DataAct->date(), date);
    }

    // Fills the act dialog field by field, Enter moving on, chooses the file and presses
    // "Memoreaza".
    void fillActDialog(TAddAct &dialog, const ActInput &act)
    {
        typeDate(dialog, act.date);
        click(dialog.Seria);
        for (auto [box, text] : {std::pair<QWidget *, QString>{dialog.Seria, act.seria},
                                 {dialog.Nr, act.nr},
                                 {dialog.COD, act.cod},
                                 {dialog.Domeniul, act.domeniul},
                                 {dialog.SubDom, act.subdom},
                                 {dialog.Titlu, act.titlu},
                                 {dialog.Obs, act.obs}}) {
            QWidget *focused = QApplication::focusWidget();
            EXPECT_TRUE(focused == box || box->isAncestorOf(focused))
                << qPrintable(box->objectName());
            type(focused, text);
            key(focused, Qt::Key_Return);
        }
        if (!act.file.isEmpty()) {
            chosen << act.file;
            chosenKind = ChooserKind::File;
            click(dialog.SpeedButton1);
            EXPECT_EQ(dialog.Fisier->text(), QDir::toNativeSeparators(act.file));
        }
        click(dialog.BitBtn1);
    }

    // "Adauga Act" with the dialog filled in.
    void addAct(Windows &w, const ActInput &act)
    {
        whenShown(w.AddAct.get(), [&] { fillActDialog(*w.AddAct, act); });
        click(w.Evidente->AddBut);
    }

    // ---- the data folder, read through the engine ----

    QString dataDir() const { return joinPath(exe.path(), QStringLiteral("Data")); }
    QString tempDir() const { return joinPath(exe.path(), QStringLiteral("TEMP")); }

    static QList<ActRow> acts(const QString &folder)
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") +
                    quoteText(joinPath(folder, QStringLiteral("Acte.dbf"))));
        q.appendSql(QStringLiteral("ORDER BY IDACT"));
        q.open();
        QList<ActRow> rows;
        for (q.first(); !q.eof(); q.next()) {
            ActRow r;
            r.id = q.asInteger(QStringLiteral("IDACT"));
            r.year = q.asInteger(QStringLiteral("ANUL"));
            r.month = q.asInteger(QStringLiteral("LUNA"));
            r.date = q.asDate(QStringLiteral("DATAACT"));
            r.seria = q.asString(QStringLiteral("SERIA"));
            r.nr = q.asString(QStringLiteral("NR"));
            r.domeniul = q.asString(QStringLiteral("DOMENIUL"));
            r.subdom = q.asString(QStringLiteral("SUBDOM"));
            r.titlu = q.asString(QStringLiteral("TITLU"));
            r.extensie = q.asString(QStringLiteral("EXTENSIE"));
            rows << r;
        }
        return rows;
    }

    static QStringList logActions(const QString &folder)
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") +
                    quoteText(joinPath(folder, QStringLiteral("Log.dbf"))));
        q.appendSql(QStringLiteral("ORDER BY IDLOG"));
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next()) {
            EXPECT_EQ(q.asString(QStringLiteral("UTILIZATOR")), QStringLiteral("BIROU1 - maria"));
            out << q.asString(QStringLiteral("ACTIUNE"));
        }
        return out;
    }

    static QString archived(const QString &folder, const ActRow &act)
    {
        return ArchivePath(folder, act.year, act.domeniul, act.subdom, act.id);
    }

    static QStringList gridColumn(const DataGrid &grid, const QString &field)
    {
        QStringList out;
        const int column = grid.logicalColumn(
            int(std::find_if(grid.columns().begin(), grid.columns().end(),
                             [&](const DataGridColumn &c) { return c.field == field; }) -
                grid.columns().begin()));
        for (int row = 0; row < grid.model()->rowCount(); ++row)
            out << grid.model()->index(row, column).data().toString().trimmed();
        return out;
    }

    static void clickRow(DataGrid &grid, int row)
    {
        const QModelIndex cell = grid.model()->index(row, grid.logicalColumn(1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
        EXPECT_EQ(grid.currentRow(), row);
    }

    static void clickTitle(DataGrid &grid, int column)
    {
        GridHeader *header = grid.gridHeader();
        const int logical = grid.logicalColumn(column);
        const QPoint at(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                        header->height() - 6);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir exe;     // the folder the program runs from, empty at first
    QTemporaryDir sources; // the office's scans
    QTemporaryDir server;  // the shared folder of another installation
    QString pdfFile, pngFile, jpgFile;
    QStringList reports, messages, chooserTitles, viewed;
    QList<QByteArray> viewedBytes;
    QStringList chosen;
    ChooserKind chosenKind = ChooserKind::File;
    ErrorReportHook previousReport;
    ViewerHook previousViewer;
    ChooserHook previousChooser;
};

const QByteArray kKey = QByteArrayLiteral("TAINA");

TEST_F(WorkingDayTest, fromTheFirstStartToTheServerFolderAndBack)
{
    const ActInput contract{QDate(2023, 3, 12),
                            QStringLiteral("AB"),
                            QStringLiteral("101"),
                            QStringLiteral("C1"),
                            QStringLiteral("contracte"),
                            QStringLiteral("furnizori"),
                            QStringLiteral("contract de livrare"),
                            QStringLiteral("Semnat de ambele parti"),
                            pdfFile};
    const ActInput plan{QDate(2024, 7, 5),
                        QStringLiteral("AB"),
                        QStringLiteral("102"),
                        QStringLiteral("C2"),
                        QStringLiteral("adrese"),
                        QStringLiteral("primite"),
                        QStringLiteral("plan cadastral"),
                        QString(),
                        pngFile};
    const ActInput photo{QDate(2024, 1, 20),
                         QStringLiteral("CD"),
                         QStringLiteral("7"),
                         QString(),
                         QStringLiteral("contracte"),
                         QStringLiteral("clienti"),
                         QStringLiteral("proces verbal"),
                         QString(),
                         jpgFile};

    // ---- Morning: the first start in an empty folder, the administrator at work ----
    const int firstDay = startProgram([&](Windows &w) {
        TForm3 &form3 = *w.Form3;
        // The folders and the two empty tables are there; the status bar names the data folder.
        for (const char *folder : {"Data", "TEMP", "TMPSQL"})
            EXPECT_TRUE(QFileInfo(joinPath(exe.path(), QLatin1String(folder))).isDir()) << folder;
        EXPECT_EQ(w.workspace->context().DataDir, dataDir());
        EXPECT_TRUE(acts(dataDir()).isEmpty());
        EXPECT_TRUE(logActions(dataDir()).isEmpty());
        EXPECT_EQ(form3.statusText(1), QStringLiteral("Baza : ") + dataDir());
        EXPECT_EQ(form3.windowTitle(), QStringLiteral("Dosarium v.1.08"));

        // ADMIN with no password: the user file is made with its one entry.
        signIn(form3, QStringLiteral("admin"), QString());
        EXPECT_EQ(ReadUserFile(dataDir()).size(), 1);
        EXPECT_EQ(logActions(dataDir()), QStringList{QStringLiteral("Acces in program.")});

        // The first act, while the archive has no key: its file is kept as it is.
        inRegister(w, [&](TEvidente &evidente) {
            EXPECT_FALSE(evidente.ShowBut->isEnabled());
            addAct(w, contract);
            EXPECT_EQ(evidente.SMDBGrid3->model()->rowCount(), 1);
        });
        QList<ActRow> rows = acts(dataDir());
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].domeniul, QStringLiteral("CONTRACTE"));
        EXPECT_EQ(rows[0].titlu, QStringLiteral("CONTRACT DE LIVRARE"));
        EXPECT_EQ(rows[0].year, 2023);
        EXPECT_EQ(rows[0].month, 3);
        EXPECT_EQ(rows[0].extensie, QStringLiteral(".pdf"));
        EXPECT_EQ(readAll(archived(dataDir(), rows[0])), readAll(pdfFile));

        // A password for ADMIN: the archive is re-coded with it, and no journal stays.
        inAdministration(w, [&](TForm4 &form4) {
            EXPECT_TRUE(form4.BitBtn1->isEnabled());
            whenShown(w.AddUser.get(), [&] {
                TAddUser &dialog = *w.AddUser;
                EXPECT_FALSE(dialog.Utilizator->isEnabled());
                EXPECT_EQ(dialog.Utilizator->text(), QStringLiteral("ADMIN"));
                click(dialog.Pass1);
                type(dialog.Pass1, QStringLiteral("taina"));
                key(dialog.Pass1, Qt::Key_Return);
                type(dialog.Pass2, QStringLiteral("taina"));
                click(dialog.BitBtn1);
            });
            click(form4.ModBut);
        });
        EXPECT_EQ(ReadArchiveKey(dataDir()), kKey);
        EXPECT_EQ(form3.CurrentUser().Password, kKey);
        EXPECT_EQ(readAll(archived(dataDir(), rows[0])), coded(readAll(pdfFile), kKey));
        EXPECT_FALSE(QFile::exists(joinPath(dataDir(), QStringLiteral("Recodare.jrn"))));
        EXPECT_FALSE(QFile::exists(joinPath(tempDir(), QStringLiteral("u.dbf"))));

        // Two more acts, coded with the key as they are stored.
        inRegister(w, [&](TEvidente &evidente) {
            addAct(w, plan);
            addAct(w, photo);
            DataGrid &grid = *evidente.SMDBGrid3;
            // Oldest first; the new act is the current one.
            EXPECT_EQ(gridColumn(grid, QStringLiteral("NR")), strs({"101", "7", "102"}));
            EXPECT_EQ(grid.currentRow(), 1);
            EXPECT_EQ(evidente.ANUL->count(), 3);     // indiferent, 2023, 2024
            EXPECT_EQ(evidente.Domeniul->count(), 3); // indiferent, ADRESE, CONTRACTE
        });
        rows = acts(dataDir());
        ASSERT_EQ(rows.size(), 3);
        EXPECT_EQ(rows[1].extensie, QStringLiteral(".png"));
        EXPECT_EQ(rows[2].extensie, QStringLiteral(".jpg"));
        EXPECT_EQ(rows[2].seria, QStringLiteral("CD"));
        EXPECT_EQ(readAll(archived(dataDir(), rows[1])), coded(readAll(pngFile), kKey));
        EXPECT_EQ(readAll(archived(dataDir(), rows[2])), coded(readAll(jpgFile), kKey));

        // Finding, sorting, looking, correcting, throwing away.
        inRegister(w, [&](TEvidente &evidente) {
            DataGrid &grid = *evidente.SMDBGrid3;
            evidente.ANUL->setFocus();
            key(evidente.ANUL, Qt::Key_End); // 2024
            EXPECT_EQ(gridColumn(grid, QStringLiteral("NR")), strs({"7", "102"}));
            key(evidente.ANUL, Qt::Key_Return); // on to the month
            EXPECT_EQ(QApplication::focusWidget(), evidente.Luna);
            evidente.Domeniul->setFocus();
            key(evidente.Domeniul, Qt::Key_End); // CONTRACTE
            EXPECT_EQ(evidente.Ox().filter(),
                      QStringLiteral("(ANUL=2024) AND (DOMENIUL='CONTRACTE')"));
            EXPECT_EQ(gridColumn(grid, QStringLiteral("NR")), QStringList{QStringLiteral("7")});
            key(evidente.Domeniul, Qt::Key_Home);
            evidente.ANUL->setFocus();
            key(evidente.ANUL, Qt::Key_Home);
            EXPECT_TRUE(evidente.Ox().filter().isEmpty());
            evidente.Luna->setFocus();
            for (int month = 1; month <= 3; ++month)
                key(evidente.Luna, Qt::Key_Down); // 03
            EXPECT_EQ(gridColumn(grid, QStringLiteral("NR")), QStringList{QStringLiteral("101")});
            key(evidente.Luna, Qt::Key_Home);
            EXPECT_EQ(grid.model()->rowCount(), 3);

            // A click on "Domeniul" sorts by it and keeps the act in hand.
            clickRow(grid, 2); // 102
            clickTitle(grid, 4);
            EXPECT_EQ(gridColumn(grid, QStringLiteral("DOMENIUL")),
                      strs({"ADRESE", "CONTRACTE", "CONTRACTE"}));
            EXPECT_EQ(evidente.Ox().asString(QStringLiteral("NR")), QStringLiteral("102"));

            // Looking at the plan: a readable copy in TEMP, the same bytes as the scan.
            click(evidente.ShowBut);
            ASSERT_EQ(viewed.size(), 1);
            EXPECT_EQ(viewed[0], joinPath(tempDir(), QStringLiteral("%1.png").arg(rows[1].id)));
            EXPECT_EQ(viewedBytes[0], readAll(pngFile));

            // The contract was signed a year later: its file moves to the new year's folder.
            clickRow(grid, 1);
            EXPECT_EQ(evidente.Ox().asString(QStringLiteral("NR")), QStringLiteral("101"));
            whenShown(w.AddAct.get(), [&] {
                TAddAct &dialog = *w.AddAct;
                EXPECT_EQ(dialog.Domeniul->currentText(), QStringLiteral("CONTRACTE"));
                EXPECT_EQ(dialog.Fisier->text(),
                          QDir::toNativeSeparators(archived(dataDir(), rows[0])));
                typeDate(dialog, QDate(2024, 3, 12));
                click(dialog.BitBtn1);
            });
            click(evidente.ModBut);
            EXPECT_EQ(evidente.Ox().asString(QStringLiteral("NR")), QStringLiteral("101"));

            // The photo goes, after the question.
            const int photoRow =
                int(gridColumn(grid, QStringLiteral("NR")).indexOf(QStringLiteral("7")));
            clickRow(grid, photoRow);
            click(evidente.DelBut);
            EXPECT_EQ(messages.last(),
                      QStringLiteral("Stergere Act|Vreti sa stergeti actul nr.7?"));
            EXPECT_EQ(grid.model()->rowCount(), 2);
        });
        const QList<ActRow> before = rows;
        rows = acts(dataDir());
        ASSERT_EQ(rows.size(), 2);
        EXPECT_EQ(rows[0].date, QDate(2024, 3, 12));
        EXPECT_EQ(rows[0].year, 2024);
        EXPECT_FALSE(QFile::exists(archived(dataDir(), before[0])));
        EXPECT_EQ(readAll(archived(dataDir(), rows[0])), coded(readAll(pdfFile), kKey));
        EXPECT_EQ(rows[1].id, before[1].id);
        EXPECT_FALSE(QFile::exists(archived(dataDir(), before[2])));

        // The log window shows the day so far, oldest first, standing on the newest entry.
        const QStringList day{
            QStringLiteral("Acces in program."),
            QStringLiteral("Adaugare Act 101/12.03.2023 - Domeniul: CONTRACTE"),
            QStringLiteral("Modificare Parola Utilizator ADMIN"),
            QStringLiteral("Recodare Arhiva"),
            QStringLiteral("Adaugare Act 102/05.07.2024 - Domeniul: ADRESE"),
            QStringLiteral("Adaugare Act 7/20.01.2024 - Domeniul: CONTRACTE"),
            QStringLiteral("Modificare Act 101/12.03.2024 - Domeniul: CONTRACTE"),
            QStringLiteral("Stergere Act Domeniul: CONTRACTE/2024 - Nr. 7/20.01.2024 - Titlul: "
                           "PROCES VERBAL"),
        };
        EXPECT_EQ(logActions(dataDir()), day);
        whenShown(w.LogView.get(), [&] {
            DataGrid &grid = *w.LogView->DBGrid3;
            EXPECT_EQ(gridColumn(grid, QStringLiteral("ACTIUNE")), day);
            EXPECT_EQ(grid.currentRow(), day.size() - 1);
            click(w.LogView->CloseBut);
        });
        menuEntry(form3, form3.IstoricModificaridate1);

        // A colleague joins as OPERATOR.
        inAdministration(w, [&](TForm4 &form4) {
            whenShown(w.AddUser.get(), [&] {
                TAddUser &dialog = *w.AddUser;
                type(dialog.Utilizator, QStringLiteral("ion"));
                key(dialog.Utilizator, Qt::Key_Return);
                type(dialog.Pass1, QStringLiteral("parola"));
                key(dialog.Pass1, Qt::Key_Return);
                type(dialog.Pass2, QStringLiteral("parola"));
                key(dialog.Pass2, Qt::Key_Return);
                key(dialog.Rang, Qt::Key_Up); // from PRIVITOR to OPERATOR
                key(dialog.Rang, Qt::Key_Return);
            });
            click(form4.AddBut);
            EXPECT_EQ(gridColumn(*form4.DBGrid3, QStringLiteral("NUME")), strs({"ADMIN", "ION"}));
        });
        EXPECT_EQ(FindUser(dataDir(),
                           UserEntry::fromText(QStringLiteral("ION"), QStringLiteral("PAROLA")))
                      .Rank,
                  RankOperator);

        // The end of the shift: Escape, DA.
        mainKey(form3, Qt::Key_Escape);
        EXPECT_EQ(messages.last(),
                  QStringLiteral("Inchidere program|\nVreti sa inchideti programul?"));
    });
    EXPECT_EQ(firstDay, 0);
    EXPECT_FALSE(QFileInfo::exists(tempDir()));
    EXPECT_EQ(logActions(dataDir()).last(), QStringLiteral("Inchidere program."));
    EXPECT_EQ(logActions(dataDir()).at(8),
              QStringLiteral("Adaugare Utilizator ION - Rang: Operator"));
    EXPECT_EQ(logActions(dataDir()).size(), 10);

    // ---- Afternoon: the operator at the same computer ----
    EXPECT_EQ(startProgram([&](Windows &w) {
                  signIn(*w.Form3, QStringLiteral("ion"), QStringLiteral("parola"));
                  EXPECT_EQ(w.Form3->CurrentUser().Rank, RankOperator);
                  inRegister(w, [&](TEvidente &evidente) {
                      EXPECT_TRUE(evidente.AddBut->isVisible());
                      EXPECT_TRUE(evidente.ModBut->isVisible());
                      EXPECT_FALSE(evidente.DelBut->isVisible());
                      // The operator reads the coded archive through the key of the user file.
                      clickRow(*evidente.SMDBGrid3, 0);
                      QTest::mouseDClick(
                          evidente.SMDBGrid3->viewport(), Qt::LeftButton, {},
                          evidente.SMDBGrid3->visualRect(evidente.SMDBGrid3->model()->index(0, 1))
                              .center());
                  });
                  inAdministration(w, [&](TForm4 &form4) {
                      EXPECT_FALSE(form4.AddBut->isVisible());
                      EXPECT_FALSE(form4.BitBtn1->isEnabled());
                  });
                  mainKey(*w.Form3, Qt::Key_F12);
              }),
              0);
    ASSERT_EQ(viewed.size(), 2);
    EXPECT_EQ(viewed[1],
              joinPath(tempDir(), QStringLiteral("%1.pdf").arg(acts(dataDir()).at(0).id)));
    EXPECT_EQ(viewedBytes[1], readAll(pdfFile));
    EXPECT_EQ(logActions(dataDir()).mid(10), strs({"Acces in program.", "Inchidere program."}));
    // Each entry names who was signed in at the time.
    EXPECT_EQ(dosarium::testing::logColumn(dataDir(), QStringLiteral("NUMEUTIL")).mid(8),
              strs({"ADMIN", "ADMIN", "ION", "ION"}));

    // ---- Evening: the office moves to a shared folder another installation keeps ----
    {
        Workspace other({server.path(), QStringLiteral("SERVER"), QStringLiteral("root")});
        other.prepareFolders();
        other.CreateTables();
        other.UpgradeActe();
    }
    const QString shared = joinPath(server.path(), QStringLiteral("Data"));
    EXPECT_EQ(startProgram([&](Windows &w) {
                  signIn(*w.Form3, QStringLiteral("admin"), QStringLiteral("taina"));
                  inAdministration(w, [&](TForm4 &form4) {
                      chosen << shared;
                      chosenKind = ChooserKind::Folder;
                      click(form4.BitBtn1);
                  });
              }),
              0);
    EXPECT_EQ(chooserTitles.last(), QStringLiteral("Indicati baza de date din retea"));
    EXPECT_EQ(messages.last(),
              QStringLiteral("Conectat la server|Conectarea la server a reusit!\nPorniti "
                             "programul din nou !"));
    EXPECT_EQ(SettingsFile(dataDir()).read(QStringLiteral("CONST"), QStringLiteral("SERVER")),
              shared);
    // The program ended at once: no exit question, no last log entry.
    EXPECT_EQ(logActions(dataDir()).size(), 13);

    // Started again, it works on the shared folder, which has no users of its own yet.
    EXPECT_EQ(startProgram([&](Windows &w) {
                  EXPECT_EQ(w.workspace->context().DataDir, shared);
                  EXPECT_EQ(w.Form3->statusText(1), QStringLiteral("Baza : ") + shared);
                  EXPECT_EQ(w.Form4->CaleServer->text(), shared);
                  signIn(*w.Form3, QStringLiteral("admin"), QString());
                  inRegister(w, [&](TEvidente &evidente) {
                      EXPECT_EQ(evidente.SMDBGrid3->model()->rowCount(), 0);
                      addAct(w, photo);
                  });
                  inAdministration(w, [&](TForm4 &form4) { click(form4.BitBtn2); });
              }),
              0);
    EXPECT_EQ(messages.mid(messages.size() - 2),
              strs({"Stergere cale server|Doriti sa va deconectati de la server?",
                    "Deconectat de la server|Sunteti deconectat de la server!\nPorniti "
                    "programul din nou !"}));
    EXPECT_EQ(ReadUserFile(shared).size(), 1);
    const QList<ActRow> sharedActs = acts(shared);
    ASSERT_EQ(sharedActs.size(), 1);
    EXPECT_EQ(readAll(archived(shared, sharedActs[0])), readAll(jpgFile));
    EXPECT_EQ(logActions(shared),
              strs({"Acces in program.", "Adaugare Act 7/20.01.2024 - Domeniul: CONTRACTE"}));
    EXPECT_EQ(acts(dataDir()).size(), 2);
    EXPECT_EQ(logActions(dataDir()).size(), 13);
    EXPECT_TRUE(
        SettingsFile(dataDir()).read(QStringLiteral("CONST"), QStringLiteral("SERVER")).isEmpty());

    // The next start is local again.
    EXPECT_EQ(startProgram([&](Windows &w) {
                  EXPECT_EQ(w.Form3->statusText(1), QStringLiteral("Baza : ") + dataDir());
                  mainKey(*w.Form3, Qt::Key_Escape);
              }),
              0);
    EXPECT_EQ(logActions(dataDir()).last(), QStringLiteral("Inchidere program."));
}

} // namespace
