// The act dialog and the register's edit buttons as a user meets them: the entries, the checks of
// "Memoreaza", the keys, and a whole addition, modification, deletion and viewing.
#include "register/ActDialog.h"
#include "RegisterData.h"
#include "TestApplication.h"
#include "TestText.h"
#include "register/ActOperations.h"
#include "register/DateBox.h"
#include "register/RegisterListing.h"
#include "register/RegisterWindow.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "ui/DocumentViewer.h"
#include "ui/FileChooser.h"
#include "ui/MessageDialog.h"
#include "widgets/DataGrid.h"
#include "widgets/FlatSpeedButton.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

class ActDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override
    {
        register_.attach(dialog, erori);
        previousChooser = setChooserHook([this](ChooserKind, const QString &title) {
            chooserTitles << title;
            return chosen;
        });
        previousViewer = setViewerHook([this](const QString &path) { viewed << path; });
        TErori::setAnswerHook([this](TErori &box) {
            messages << box.Label1->text() + QLatin1Char('|') + box.EroText->text();
            (answerYes ? box.BE1 : box.BE2)->click();
        });
    }
    void TearDown() override
    {
        setChooserHook(previousChooser);
        setViewerHook(previousViewer);
        TErori::setAnswerHook(nullptr);
    }
    QString writeSource(const QString &name, const QByteArray &bytes)
    {
        return writeSourceFile(sources, name, bytes);
    }
    // Runs `inside` while the dialog shows; returns whether it was saved.
    bool runDialog(const std::function<void()> &inside)
    {
        QTimer::singleShot(0, &dialog, [this, inside] {
            dialog.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            inside();
            if (dialog.isVisible())
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        return dialog.RunDialog(QStringLiteral("Adaugare Act"));
    }
    void fill(QWidget *box, const QString &text)
    {
        box->setFocus();
        QTest::keyClicks(box, text);
    }

    RegisterData data;
    const bool clockSet =
        (data.workspace.setClock([] { return QDateTime(QDate(2009, 3, 5), QTime(9, 0)); }),
         true); // before the dialog takes today's date
    QTemporaryDir sources;
    QStringList problems, chooserTitles, viewed, messages;
    QString chosen;
    bool answerYes = true;
    TErori erori;
    TAddAct dialog{data.workspace, [this](const QString &text, QWidget *) { problems << text; }};
    TEvidente register_{data.workspace};
    ChooserHook previousChooser;
    ViewerHook previousViewer;
};

TEST_F(ActDialogTest, entries_keepTheirLimitsCaseAndTabOrder_andTheDateIsSetOnce)
{
    EXPECT_EQ(dialog.size(), QSize(513, 407));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dosarium"));
    EXPECT_EQ(dialog.DataAct->date(), QDate(2009, 3, 5));
    EXPECT_EQ(dialog.Domeniul->geometry(), QRect(120, 176, 369, 21));
    dialog.PrepareFields();
    EXPECT_EQ(dialog.Fisier->text(), QStringLiteral("-"));
    const bool saved = runDialog([&] {
        EXPECT_EQ(dialog.Label2->text(), QStringLiteral("Adaugare Act"));
        EXPECT_TRUE(dialog.DataAct->hasFocus());
        fill(dialog.Seria, QStringLiteral("ab-12"));
        QTest::keyClick(dialog.Seria, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), dialog.Nr);
        fill(dialog.Obs, QStringLiteral("Scris de mana"));
        fill(dialog.Domeniul, QString(70, QLatin1Char('d')));
    });
    EXPECT_FALSE(saved);
    EXPECT_EQ(dialog.Seria->text(), QStringLiteral("AB-12"));
    EXPECT_EQ(dialog.Obs->text(), QStringLiteral("Scris de mana"));
    EXPECT_EQ(dialog.Domeniul->currentText(), QString(60, QLatin1Char('D')));
    dialog.DataAct->setDate(QDate(2001, 1, 1));
    dialog.PrepareFields();
    EXPECT_EQ(dialog.DataAct->date(), QDate(2001, 1, 1));
}

TEST_F(ActDialogTest, memoreaza_cleansTheListsAndPointsAtTheFirstWrongEntry)
{
    dialog.PrepareFields();
    const QString scan = writeSource(QStringLiteral("scan.pdf"), "pdf");
    const struct {
        QString domeniul, subdom, file, problem;
    } cases[] = {
        {QStringLiteral("   "), QStringLiteral("X"), scan,
         QStringLiteral("Nu ati trecut Domeniul!")},
        {QStringLiteral("CON"), QStringLiteral("X"), scan,
         QStringLiteral("Domeniul contine caractere nepermise!")},
        {QStringLiteral("A"), QString(), scan, QStringLiteral("Nu ati trecut Subdomeniul!")},
        {QStringLiteral("A"), QStringLiteral("../X"), scan,
         QStringLiteral("Subdomeniul contine caractere nepermise!")},
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("-"),
         QStringLiteral("Nu ati ales fisierul cu scanarea!")},
        {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("/nu/mai/este.pdf"),
         QStringLiteral("Fisierul ales nu mai exista: ") +
             QDir::toNativeSeparators(QStringLiteral("/nu/mai/este.pdf"))},
        {QStringLiteral("A"), QStringLiteral("B"), writeSource(QStringLiteral("a.longext"), "x"),
         QStringLiteral("Extensia fisierului are mai mult de 5 caractere!")},
    };
    for (const auto &c : cases) {
        problems.clear();
        dialog.Domeniul->setEditText(c.domeniul);
        dialog.SubDom->setEditText(c.subdom);
        dialog.Fisier->setText(c.file);
        dialog.BitBtn1Click();
        EXPECT_EQ(problems, QStringList{c.problem}) << c.problem.toStdString();
    }
    // Blanks tidied, quotes turned into backquotes; series, number and observation left alone.
    dialog.Domeniul->setEditText(QStringLiteral("  CONTRACTE   NOI "));
    dialog.Titlu->setEditText(QStringLiteral("CONTRACT \"12\""));
    dialog.Fisier->setText(scan);
    problems.clear();
    EXPECT_TRUE(runDialog([&] { dialog.BitBtn1Click(); }));
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_EQ(dialog.entry().domeniul, QStringLiteral("CONTRACTE NOI"));
    EXPECT_EQ(dialog.entry().titlu, QStringLiteral("CONTRACT `12`"));
}

// Typed key by key, as a person types it, after each way the focus can reach the date box.
TEST_F(ActDialogTest, dateBox_keepsExactlyTheTypedDate_andRefusesAnImpossibleOne)
{
    dialog.PrepareFields();
    const QString scan = writeSource(QStringLiteral("scan.pdf"), "pdf");
    const auto enterDate = [&](const std::function<void()> &reach, const QString &typed) {
        problems.clear();
        const bool saved = runDialog([&] {
            dialog.Domeniul->setEditText(QStringLiteral("A"));
            dialog.SubDom->setEditText(QStringLiteral("B"));
            dialog.Fisier->setText(scan);
            reach();
            QTest::keyClicks(QApplication::focusWidget(), typed);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            EXPECT_EQ(QApplication::focusWidget(), dialog.Seria);
            dialog.BitBtn1->click();
        });
        return saved ? dialog.entry().date : QDate();
    };
    const std::pair<const char *, std::function<void()>> ways[] = {
        {"as the dialog opens", [] {}},
        {"Shift+Tab from the series",
         [&] {
             QTest::keyClick(dialog.DataAct, Qt::Key_Tab);
             QTest::keyClick(dialog.Seria, Qt::Key_Backtab, Qt::ShiftModifier);
         }},
        {"a click in its middle",
         [&] {
             dialog.Seria->setFocus();
             QTest::mouseClick(dialog.DataAct, Qt::LeftButton, {},
                               QPoint(dialog.DataAct->width() / 3, 10));
         }},
        {"Ctrl+A after typing",
         [&] {
             QTest::keyClicks(dialog.DataAct, QStringLiteral("1"));
             QTest::keyClick(dialog.DataAct, Qt::Key_A, Qt::ControlModifier);
         }},
    };
    for (const auto &[way, reach] : ways) {
        for (const auto &[typed, date] : {std::pair{"05.06.2017", QDate(2017, 6, 5)},
                                          {"15.04.2023", QDate(2023, 4, 15)},
                                          {"05062017", QDate(2017, 6, 5)},
                                          {"5.6.2017", QDate(2017, 6, 5)},
                                          {"29.02.2024", QDate(2024, 2, 29)}}) {
            EXPECT_EQ(enterDate(reach, QLatin1String(typed)), date) << way << ": " << typed;
            EXPECT_TRUE(problems.isEmpty()) << way << ": " << typed;
        }
    }
    // Never changed silently: the balloon, and the text stays as typed.
    for (const char *typed :
         {"31.02.2024", "00.13.2020", "01.01.1899", "01.01.2101", "5.6.17", "0506201", "1..2024"}) {
        EXPECT_FALSE(enterDate([] {}, QLatin1String(typed)).isValid()) << typed;
        EXPECT_EQ(problems, QStringList{QStringLiteral("Data actului nu este corecta!")}) << typed;
    }
    // The calendar stays: Escape there closes only the calendar, a day picked is the date.
    const bool saved = runDialog([&] {
        dialog.Fisier->setText(scan);
        dialog.DataAct->showCalendar();
        QTest::keyClick(dialog.DataAct->calendar(), Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        dialog.DataAct->showCalendar();
        emit dialog.DataAct->calendar()->clicked(QDate(2016, 2, 29));
        dialog.BitBtn1->click();
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(dialog.entry().date, QDate(2016, 2, 29));
}

TEST_F(ActDialogTest, newActs_joinThePickListsInOrder_andOneTheFiltersHideIsSaidAndShownOnDa)
{
    data.add({1, QDate(2019, 1, 4), QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
              QStringLiteral("FACTURA"), QString(), QStringLiteral("1")});
    data.add({2, QDate(2021, 6, 2), QStringLiteral("DIVERSE"), QStringLiteral("X"),
              QStringLiteral("PLAN"), QString(), QStringLiteral("2")});
    data.workspace.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT"),
                                QStringLiteral("3"));
    chosen = writeSource(QStringLiteral("scan.pdf"), "%PDF-1.4 scanare");
    const auto items = [](QComboBox *list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->itemText(i);
        return out;
    };
    const auto addAct = [&](const QDate &date, const char *nr, const char *domain,
                            const char *title) {
        // A scan of its own for each act: the same one twice would be asked about.
        chosen = writeSource(QStringLiteral("scan%1.pdf").arg(QLatin1String(nr)),
                             QByteArray("%PDF-1.4 scanare ") + nr);
        QTimer::singleShot(0, &dialog, [&, date, nr, domain, title] {
            dialog.DataAct->setDate(date);
            dialog.SpeedButton1->click();
            dialog.Nr->setText(QLatin1String(nr));
            dialog.Domeniul->setEditText(QLatin1String(domain));
            dialog.SubDom->setEditText(QStringLiteral("ANUAL"));
            dialog.Titlu->setEditText(QLatin1String(title));
            dialog.BitBtn1->click();
        });
        register_.AddBut->click();
    };
    QTimer::singleShot(0, &register_, [&] {
        register_.Luna->setCurrentIndex(6); // June, as a month kept from an earlier opening
        ASSERT_EQ(register_.Ox().recordCount(), 1);

        // A March act under the June filter: stored, said, and NU keeps the filter.
        answerYes = false;
        addAct(QDate(2018, 3, 5), "3", "BUGET", "BILANT");
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.last().startsWith(QStringLiteral("Memorare act|")));
        EXPECT_TRUE(messages.last().contains(
            QStringLiteral("Actul a fost memorat, dar nu se vede cu filtrele alese.")))
            << qPrintable(messages.last());
        EXPECT_EQ(register_.Luna->currentIndex(), 6);
        EXPECT_EQ(register_.Ox().recordCount(), 1);
        EXPECT_EQ(items(register_.ANUL), strs({"indiferent", "2018", "2019", "2021"}));
        EXPECT_EQ(items(register_.Domeniul), strs({"indiferent", "BUGET", "CONTRACTE", "DIVERSE"}));
        EXPECT_EQ(items(register_.Titlu), strs({"indiferent", "BILANT", "FACTURA", "PLAN"}));

        // DA clears every filter and stands on the new act.
        answerYes = true;
        addAct(QDate(2020, 3, 9), "4", "ACTE", "AVIZ");
        EXPECT_EQ(messages.size(), 2);
        EXPECT_EQ(register_.Luna->currentIndex(), 0);
        EXPECT_EQ(register_.Ox().recordCount(), 4);
        EXPECT_EQ(register_.Ox().asString(QStringLiteral("NR")), QStringLiteral("4"));
        EXPECT_EQ(items(register_.ANUL), strs({"indiferent", "2018", "2019", "2020", "2021"}));
        // Under no filter nothing is said.
        addAct(QDate(2020, 3, 10), "5", "ACTE", "AVIZ");
        EXPECT_EQ(messages.size(), 2);
        QTest::keyClick(register_.ANUL, Qt::Key_Escape);
    });
    register_.OpenRegister(0);
}

TEST_F(ActDialogTest, aWorkingDay_addModifyViewAndDeleteThroughTheRegister)
{
    chosen = writeSource(QStringLiteral("scan.pdf"), "%PDF-1.4 scanare");
    QTimer::singleShot(0, &register_, [&] {
        // Two additions in a year new to the register: the year joins the list once.
        for (const char *nr : {"7", "8"}) {
            QTimer::singleShot(0, &dialog, [&, nr] {
                dialog.SpeedButton1->click();
                dialog.Nr->setText(QLatin1String(nr));
                dialog.Domeniul->setEditText(QStringLiteral("CONTRACTE"));
                dialog.SubDom->setEditText(QStringLiteral("FURNIZORI"));
                dialog.BitBtn1->click();
            });
            register_.AddBut->click();
        }
        EXPECT_EQ(chooserTitles.first(), QStringLiteral("Alege Fisierul de arhivat"));
        EXPECT_EQ(register_.ANUL->count(), 2);
        EXPECT_EQ(register_.ANUL->itemText(1), QStringLiteral("2009"));
        EXPECT_EQ(register_.Ox().recordCount(), 2);
        EXPECT_EQ(register_.Ox().asString(QStringLiteral("NR")), QStringLiteral("8"));

        // A new date moves the act; the register stands on it again.
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_EQ(dialog.Label2->text(), QStringLiteral("Modificare Act"));
            EXPECT_EQ(dialog.Nr->text(), QStringLiteral("8"));
            dialog.DataAct->setDate(QDate(2010, 2, 1));
            dialog.BitBtn1->click();
        });
        register_.ModBut->click();
        EXPECT_EQ(register_.Ox().asString(QStringLiteral("ANUL")), QStringLiteral("2010"));

        // A double click views the current act.
        emit register_.SMDBGrid3->rowDoubleClicked(0);
        ASSERT_EQ(viewed.size(), 1);
        EXPECT_TRUE(
            viewed.first().endsWith(QDir::toNativeSeparators(QStringLiteral("/TEMP/2.pdf"))));

        // NU keeps the act; DA removes it.
        answerYes = false;
        register_.DelBut->click();
        EXPECT_EQ(register_.Ox().recordCount(), 2);
        answerYes = true;
        register_.DelBut->click();
        EXPECT_EQ(register_.Ox().recordCount(), 1);
        EXPECT_EQ(messages.last(), QStringLiteral("Stergere Act|Vreti sa stergeti actul nr.8?"));
        QTest::keyClick(register_.ANUL, Qt::Key_Escape);
    });
    register_.OpenRegister(0);
    EXPECT_FALSE(QFile::exists(data.workspace.context().DataDir +
                               QStringLiteral("/2010/CONTRACTE/FURNIZORI/2")));
}

TEST_F(ActDialogTest, aScanArchivedBefore_isAskedAboutFirst_NUKeepsTheDialog_DAStoresItAgain)
{
    chosen = writeSource(QStringLiteral("scan.pdf"), "%PDF-1.4 o singura scanare");
    QTimer::singleShot(0, &register_, [&] {
        QTimer::singleShot(0, &dialog, [&] {
            dialog.SpeedButton1->click();
            dialog.Nr->setText(QStringLiteral("7"));
            dialog.Domeniul->setEditText(QStringLiteral("CONTRACTE"));
            dialog.SubDom->setEditText(QStringLiteral("FURNIZORI"));
            dialog.Titlu->setEditText(QStringLiteral("CONTRACT"));
            dialog.BitBtn1->click();
        });
        register_.AddBut->click();
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join(QLatin1Char('\n')));

        // The same scan again, copied under another name: asked before anything is written.
        chosen = writeSource(QStringLiteral("copie.pdf"), "%PDF-1.4 o singura scanare");
        QTimer::singleShot(0, &dialog, [&] {
            dialog.SpeedButton1->click();
            dialog.Nr->setText(QStringLiteral("9"));
            dialog.Domeniul->setEditText(QStringLiteral("DIVERSE"));
            dialog.SubDom->setEditText(QStringLiteral("ALTELE"));
            answerYes = false;
            dialog.BitBtn1->click();
            ASSERT_EQ(messages.size(), 1);
            EXPECT_EQ(messages.last(),
                      QStringLiteral("Adaugare Act|Fisierul ales este deja arhivat la actul nr. 7 "
                                     "(05.03.2009, CONTRACTE, CONTRACT). Il arhivati din nou?"));
            // NU: back in the dialog, everything typed kept, nothing written.
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.Nr->text(), QStringLiteral("9"));
            EXPECT_EQ(dialog.Domeniul->currentText(), QStringLiteral("DIVERSE"));
            EXPECT_EQ(dialog.Fisier->text(), QDir::toNativeSeparators(chosen));
            EXPECT_EQ(register_.Ox().recordCount(), 1);
            answerYes = true;
            dialog.BitBtn1->click();
        });
        register_.AddBut->click();
        EXPECT_EQ(messages.size(), 2);
        EXPECT_EQ(register_.Ox().recordCount(), 2);
        EXPECT_EQ(register_.Ox().asString(QStringLiteral("NR")), QStringLiteral("9"));

        // Modifying an act while keeping its own document asks nothing.
        QTimer::singleShot(0, &dialog, [&] {
            dialog.Obs->setText(QStringLiteral("verificat"));
            dialog.BitBtn1->click();
        });
        register_.ModBut->click();
        EXPECT_EQ(messages.size(), 2);
        QTest::keyClick(register_.ANUL, Qt::Key_Escape);
    });
    register_.OpenRegister(0);
}

TEST_F(ActDialogTest, oldRows_keepTheirUntouchedDateAndReachTheNestedFoldersTheyWereFiledIn)
{
    // Written by the older program: no date, a domain with a separator, filed in nested
    // folders; and a date before 1900.
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, LUNA, DATAACT, DOMENIUL, SUBDOM, "
                                   "NR, EXTENSIE) VALUES (1, 2005, 12, \"\", \"ACTE/2005\", "
                                   "\"PRIMITE\", \"5\", \".pdf\")")
                        .arg(quoteText(data.workspace.actePath())));
    data.add({2, QDate(1850, 6, 15), QStringLiteral("ACTE"), QStringLiteral("VECHI"), QString(),
              QString(), QStringLiteral("6")});
    const QString dataDir = data.workspace.context().DataDir;
    const QString nested = dataDir + QStringLiteral("/2005/ACTE/2005/PRIMITE/1");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(nested).path()));
    QFile(nested).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QDir().mkpath(dataDir + QStringLiteral("/1850/ACTE/VECHI")));
    QFile(dataDir + QStringLiteral("/1850/ACTE/VECHI/2")).open(QIODevice::WriteOnly);

    const auto row = [this](const char *id) {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.actePath()));
        q.open();
        EXPECT_TRUE(q.locate(QStringLiteral("IDACT"), QLatin1String(id)));
        return q.asString(QStringLiteral("DATAACT")) + QLatin1Char('|') +
               q.asString(QStringLiteral("ANUL")) + QLatin1Char('|') +
               q.asString(QStringLiteral("DOMENIUL")) + QLatin1Char('|') +
               q.asString(QStringLiteral("OBS"));
    };
    QTimer::singleShot(0, &register_, [&] {
        // Only the observation changes: the empty date, shown empty, and the nested folders stay.
        ASSERT_TRUE(register_.Ox().locate(QStringLiteral("IDACT"), QStringLiteral("1")));
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_EQ(dialog.DataAct->text().trimmed(), QString());
            EXPECT_EQ(dialog.Fisier->text(), QDir::toNativeSeparators(nested));
            dialog.Obs->setText(QStringLiteral("vazut"));
            dialog.BitBtn1->click();
        });
        register_.ModBut->click();
        EXPECT_TRUE(problems.isEmpty()) << qPrintable(problems.join(QLatin1Char('\n')));
        EXPECT_EQ(row("1"), QStringLiteral("|2005|ACTE/2005|vazut"));
        EXPECT_TRUE(QFile::exists(nested));

        // Viewing finds the file there.
        ASSERT_TRUE(register_.Ox().locate(QStringLiteral("IDACT"), QStringLiteral("1")));
        emit register_.SMDBGrid3->rowDoubleClicked(register_.Ox().recNo());
        EXPECT_EQ(viewed.size(), 1) << qPrintable(messages.join(QLatin1Char('\n')));

        // A date before 1900 stays; a date the person empties is refused.
        ASSERT_TRUE(register_.Ox().locate(QStringLiteral("IDACT"), QStringLiteral("2")));
        QTimer::singleShot(0, &dialog, [&] {
            EXPECT_EQ(dialog.DataAct->date(), QDate(1850, 6, 15));
            dialog.Obs->setText(QStringLiteral("vechi"));
            dialog.BitBtn1->click();
        });
        register_.ModBut->click();
        EXPECT_EQ(row("2"), QStringLiteral("15.06.1850|1850|ACTE|vechi"));
        ASSERT_TRUE(register_.Ox().locate(QStringLiteral("IDACT"), QStringLiteral("2")));
        QTimer::singleShot(0, &dialog, [&] {
            dialog.DataAct->selectAll();
            QTest::keyClick(dialog.DataAct, Qt::Key_Backspace);
            dialog.BitBtn1->click();
            EXPECT_TRUE(dialog.isVisible());
            QTest::keyClick(dialog.Obs, Qt::Key_Escape);
        });
        register_.ModBut->click();
        EXPECT_EQ(problems, QStringList{QStringLiteral("Nu ati trecut data actului!")});

        // Deleting takes the file from the nested folders.
        ASSERT_TRUE(register_.Ox().locate(QStringLiteral("IDACT"), QStringLiteral("1")));
        register_.DelBut->click();
        EXPECT_FALSE(QFile::exists(nested));
        QTest::keyClick(register_.ANUL, Qt::Key_Escape);
    });
    register_.OpenRegister(0);
}

TEST_F(ActDialogTest, anIdThatIsNoActNumber_isNeverTakenForTheActItRoundsTo)
{
    const QString dataDir = data.workspace.context().DataDir;
    data.add({2, QDate(2009, 3, 5), QStringLiteral("ACTE"), QStringLiteral("PRIMITE"), QString(),
              QString(), QStringLiteral("2")});
    data.add({7777, QDate(2009, 3, 5), QStringLiteral("ACTE"), QStringLiteral("PRIMITE"), QString(),
              QString(), QStringLiteral("ciudat")});
    const QString file2 = dataDir + QStringLiteral("/2009/ACTE/PRIMITE/2");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file2).path()));
    QFile(file2).open(QIODevice::WriteOnly);
    // Written elsewhere: an IDACT that reads 1.5.
    QFile table(resolveFileName(data.workspace.actePath()));
    ASSERT_TRUE(table.open(QIODevice::ReadWrite));
    QByteArray bytes = table.readAll();
    ASSERT_EQ(bytes.count("      7777"), 1);
    bytes.replace("      7777", "       1.5");
    table.seek(0);
    table.write(bytes);
    table.close();

    QTimer::singleShot(0, &register_, [&] {
        ASSERT_TRUE(register_.Ox().locate(QStringLiteral("NR"), QStringLiteral("ciudat")));
        register_.DelBut->click();
        register_.ModBut->click();
        emit register_.SMDBGrid3->rowDoubleClicked(register_.Ox().recNo());
        QTest::keyClick(register_.ANUL, Qt::Key_Escape);
    });
    register_.OpenRegister(0);
    ASSERT_EQ(messages.size(), 4) << qPrintable(messages.join(QLatin1Char('\n')));
    for (const QString &refused : messages.mid(1))
        EXPECT_TRUE(refused.contains(QStringLiteral("IDACT \"1.5\""))) << qPrintable(refused);
    EXPECT_TRUE(viewed.isEmpty());
    EXPECT_TRUE(QFile::exists(file2));
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.actePath()));
    q.open();
    EXPECT_EQ(q.recordCount(), 2);
}

} // namespace
