// Hostile input through the real dialogs, typed key by key: every text box of the act dialog,
// the user dialog and the sign-in strip gets quotes, parentheses, a star, dots, separators, a
// colon, 300 characters and characters Windows-1250 cannot hold. Each is either stored exactly
// as the box shows it (cleaned where the lists clean their texts), or refused with a message the
// user reads; a box never drops what was typed without saying so. No other row changes and no
// file appears outside the archive tree.
#include "ProofFolder.h"
#include "TestApplication.h"
#include "access/AdminWindow.h"
#include "access/MainWindow.h"
#include "access/UserAdministration.h"
#include "access/UserDialog.h"
#include "register/ActDialog.h"
#include "register/RegisterData.h"
#include "register/RegisterWindow.h"
#include "store/CodePageTables.h"
#include "store/Query.h"
#include "ui/ErrorReport.h"
#include "ui/FileChooser.h"
#include "ui/MessageDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/FlatSpeedButton.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

QStringList hostileTexts()
{
    return {
        QStringLiteral("\""),
        QStringLiteral("'"),
        QStringLiteral(")("),
        QStringLiteral("*"),
        QStringLiteral(".."),
        QStringLiteral("\\"),
        QStringLiteral("/"),
        QStringLiteral(":"),
        QString(300, QLatin1Char('w')),
        QStringLiteral("A\"B'C)(D*E..F\\G/H:I"),
        QStringLiteral("ok \u00D8\u4E2D\u20AC")}; // O with a stroke and a CJK letter: not in 1250
}

// What a box shows for `typed` when it takes every character: upper case where it asks for it,
// cut to its length.
QString shownFor(const QString &typed, bool upper, int maxLength)
{
    return (upper ? typed.toUpper() : typed).left(maxLength);
}

// How the lists clean a text before it is stored: blanks trimmed and runs of them made one,
// double quotes made backquotes.
QString cleaned(const QString &text)
{
    QString out = text.simplified();
    out.replace(QLatin1Char('"'), QLatin1Char('`'));
    return out;
}

// Every file under `root`, relative to it.
QSet<QString> filesUnder(const QString &root)
{
    QSet<QString> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(QDir(root).relativeFilePath(it.next()));
    return files;
}

// The files that appeared and may not: anything but the data folder's own files, the archive's
// files (Data/year/domain/subdomain/id) and the temporary folder's.
QStringList strayFiles(const QSet<QString> &before, const QSet<QString> &after)
{
    static const QStringList own = {
        QStringLiteral("Data/Acte.DBF"),     QStringLiteral("Data/LOG.DBF"),
        QStringLiteral("Data/Dsm.in"),       QStringLiteral("Data/Dsm.lck"),
        QStringLiteral("Data/ini.mpg"),      QStringLiteral("Data/Acte.jrn"),
        QStringLiteral("Data/Acte.jrn.lck"), QStringLiteral("Data/Acte.sch")};
    static const QRegularExpression archived(QStringLiteral("^Data/[0-9]+/[^/]+/[^/]+/[0-9]+$"));
    QStringList stray;
    for (const QString &file : after) {
        if (!before.contains(file) && !own.contains(file) && !archived.match(file).hasMatch() &&
            !file.startsWith(QLatin1String("TEMP/")))
            stray << file;
    }
    return stray;
}

// The column of the act added last.
QString newestAct(RegisterData &data, const QByteArray &column)
{
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.actePath()));
    q.appendSql(QStringLiteral("ORDER BY IDACT"));
    q.open();
    q.last();
    return q.asString(QString::fromLatin1(column));
}

class HostileInputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }
    void SetUp() override
    {
        previousReport = setErrorReportHook([this](const QString &m) { reports << m; });
        TErori::setAnswerHook([this](TErori &box) {
            messages << box.EroText->text();
            box.BE1->click();
        });
    }
    void TearDown() override
    {
        setErrorReportHook(previousReport);
        TErori::setAnswerHook(nullptr);
        setChooserHook(nullptr);
    }
    // Runs `action` once `window` shows.
    static void once(QWidget *window, const std::function<void()> &action)
    {
        QTimer::singleShot(0, window, [window, action] {
            if (window->isVisible())
                action();
            else
                once(window, action);
        });
    }
    // Types `text` into `box` key by key and says whether every key was taken or a message
    // said why not.
    void typeInto(QWidget *box, const QString &text, bool upper, int maxLength, std::string what)
    {
        problems.clear();
        box->setFocus();
        // One key event per character, as a keyboard sends them (any character, not only the
        // ones the test library knows by key).
        QWidget *target = box;
        if (auto *list = qobject_cast<QComboBox *>(box))
            target = list->lineEdit();
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        auto *line = qobject_cast<QLineEdit *>(box);
        if (!line)
            line = qobject_cast<QComboBox *>(box)->lineEdit();
        if (line->text() != shownFor(text, upper, maxLength) || text.size() > maxLength) {
            EXPECT_FALSE(problems.isEmpty())
                << what << ": the box dropped what was typed without a word";
            refusedAtTheBox += problems.isEmpty() ? 0 : 1;
        }
    }

    QStringList problems, messages, reports;
    int refusedAtTheBox = 0;
    ErrorReportHook previousReport;
};

TEST_F(HostileInputTest, actDialog_storesEveryTextAsShownOrSaysWhyNot)
{
    RegisterData data;
    QTemporaryDir sources;
    // A scan of its own each time: the same one again would be asked about first.
    int scans = 0;
    setChooserHook([&](ChooserKind, const QString &) {
        ++scans;
        return writeSourceFile(sources, QStringLiteral("scan%1.pdf").arg(scans),
                               QByteArrayLiteral("%PDF scan ") + QByteArray::number(scans));
    });
    TErori erori;
    TAddAct dialog{data.workspace, [this](const QString &text, QWidget *) { problems << text; }};
    TEvidente register_{data.workspace};
    register_.attach(dialog, erori);
    // One act before, with its file, as the program would have stored it.
    data.add({1, QDate(2009, 3, 5), QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
              QStringLiteral("T"), QStringLiteral("S"), QStringLiteral("1")});
    data.workspace.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT"),
                                QStringLiteral("2"));
    const QString firstFolder =
        data.workspace.context().DataDir + QStringLiteral("/2009/CONTRACTE/FURNIZORI");
    ASSERT_TRUE(QDir().mkpath(firstFolder));
    QFile first(firstFolder + QStringLiteral("/1"));
    ASSERT_TRUE(first.open(QIODevice::WriteOnly));
    first.close();
    const QString root = data.folder.path();
    const QSet<QString> filesBefore = filesUnder(root);

    struct Box {
        const char *name;
        QWidget *widget;
        bool upper;
        int maxLength;
        bool cleans;
        QByteArray column;
    };
    const Box boxes[] = {
        {"Seria", dialog.Seria, true, 24, false, "SERIA"},
        {"Nr", dialog.Nr, true, 24, false, "NR"},
        {"COD", dialog.COD, true, 16, true, "COD"},
        {"Domeniul", dialog.Domeniul, true, 60, true, "DOMENIUL"},
        {"SubDom", dialog.SubDom, true, 60, true, "SUBDOM"},
        {"Titlu", dialog.Titlu, true, 60, true, "TITLU"},
        {"Obs", dialog.Obs, false, 240, false, "OBS"},
    };
    int stored = 0, refused = 0;
    QTimer::singleShot(0, &register_, [&] {
        for (const Box &box : boxes) {
            for (const QString &text : hostileTexts()) {
                const std::string what =
                    std::string(box.name) + " <- " + text.left(20).toStdString();
                bool saved = false;
                QString shown;
                once(&dialog, [&] {
                    dialog.SpeedButton1->click();
                    if (box.widget != dialog.Domeniul)
                        dialog.Domeniul->setEditText(QStringLiteral("CONTRACTE"));
                    if (box.widget != dialog.SubDom)
                        dialog.SubDom->setEditText(QStringLiteral("FURNIZORI"));
                    typeInto(box.widget, text, box.upper, box.maxLength, what);
                    auto *line = qobject_cast<QLineEdit *>(box.widget);
                    shown =
                        line ? line->text() : qobject_cast<QComboBox *>(box.widget)->currentText();
                    problems.clear();
                    dialog.BitBtn1->click();
                    saved = !dialog.isVisible();
                    if (!saved) {
                        EXPECT_FALSE(problems.isEmpty()) << what << ": not saved, not told why";
                        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                    }
                });
                register_.AddBut->click();
                if (!saved) {
                    ++refused;
                    continue;
                }
                ++stored;
                EXPECT_EQ(newestAct(data, box.column), box.cleans ? cleaned(shown) : shown) << what;
            }
        }
        QTest::keyClick(register_.ANUL, Qt::Key_Escape);
    });
    register_.OpenRegister(0);

    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    const proof::FolderState state = proof::inspectFolder(data.workspace.context().DataDir);
    // The act that stood before is as it was; the others are the ones stored.
    ASSERT_TRUE(state.acts.contains(1));
    EXPECT_EQ(state.acts.value(1).domeniul, QStringLiteral("CONTRACTE"));
    EXPECT_EQ(state.acts.value(1).nr, QStringLiteral("1"));
    EXPECT_EQ(state.acts.size(), 1 + stored);
    EXPECT_TRUE(state.problems.isEmpty()) << state.problems.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(strayFiles(filesBefore, filesUnder(root)), QStringList());
    std::cout << "[ figures  ] act dialog: " << stored + refused << " entries, " << stored
              << " stored as shown, " << refused << " refused with a message, " << refusedAtTheBox
              << " keys refused at the box with a message\n";
}

// The user file's entries as bytes: (name, password, rank).
QList<std::tuple<QByteArray, QByteArray, int>> storedUsers(const QString &dataDir)
{
    QFile f(dataDir + QStringLiteral("/ini.mpg"));
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    QList<std::tuple<QByteArray, QByteArray, int>> out;
    for (qsizetype at = 0; at + 67 <= bytes.size(); at += 67)
        out.append({bytes.mid(at + 1, uchar(bytes[at])), bytes.mid(at + 34, uchar(bytes[at + 33])),
                    uchar(bytes[at + 66])});
    return out;
}

// The byte of each character Windows-1250 holds, from the page's own table (the Windows
// build's Qt has no converter for it).
std::optional<char> codePageByte(QChar c)
{
    const auto &characters = *codePageCharacters("windows-1250");
    for (int byte = 0; byte < 256; ++byte)
        if (characters[byte] == c.unicode())
            return char(byte);
    return std::nullopt;
}

QByteArray inCodePage(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += codePageByte(c).value_or('?');
    return bytes;
}

bool holdable(QChar c)
{
    return codePageByte(c).has_value();
}

void writeUsers(const QString &dataDir, const QList<std::tuple<QByteArray, QByteArray, int>> &users)
{
    QFile f(dataDir + QStringLiteral("/ini.mpg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(proof::userFileBytes(users));
}

TEST_F(HostileInputTest, userDialog_storesNameAndPasswordAsShownOrSaysWhyNot)
{
    RegisterData data;
    const QString dataDir = data.workspace.context().DataDir;
    writeUsers(dataDir, {{"ADMIN", "", 0}, {"ION", "P1", 1}});
    const QSet<QString> filesBefore = filesUnder(data.folder.path());
    UserEntry current{QByteArrayLiteral("ADMIN"), {}, 0};
    TErori erori;
    TAddUser addUser{[this](const QString &text, QWidget *) { problems << text; }};
    TForm4 form4{data.workspace,
                 {[&current] { return current; },
                  [&current](const QByteArray &password) { current.Password = password; },
                  [] { return QStringLiteral("ADMIN"); }},
                 [this](const QString &text, QWidget *) { problems << text; }};
    form4.attach(addUser, erori);

    int stored = 0, refused = 0;
    QList<std::tuple<QByteArray, QByteArray, int>> expected = storedUsers(dataDir);
    once(&form4, [&] {
        for (const QString &text : hostileTexts()) {
            const std::string what = "user <- " + text.left(20).toStdString();
            bool saved = false;
            QString name, password;
            once(&addUser, [&] {
                typeInto(addUser.Utilizator, text, true, 32, what);
                typeInto(addUser.Pass1, text, true, 32, what);
                typeInto(addUser.Pass2, text, true, 32, what);
                password = addUser.Pass1->text();
                addUser.Rang->setCurrentIndex(RankOperator);
                problems.clear();
                addUser.BitBtn1->click();
                name = addUser.Utilizator->text();
                saved = !addUser.isVisible();
                if (!saved) {
                    EXPECT_FALSE(problems.isEmpty()) << what << ": not saved, not told why";
                    QTest::keyClick(addUser.Pass1, Qt::Key_Escape);
                }
            });
            messages.clear();
            form4.AddBut->click();
            if (!saved || !messages.isEmpty()) {
                ++refused;
                continue;
            }
            ++stored;
            EXPECT_EQ(name, cleaned(name)) << what << ": the name was not cleaned";
            expected.append({inCodePage(name), inCodePage(password), RankOperator});
        }
        QTest::keyClick(&form4, Qt::Key_Escape);
    });
    form4.ShowAdministration();

    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    auto now = storedUsers(dataDir);
    std::sort(now.begin(), now.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(now, expected);
    EXPECT_EQ(strayFiles(filesBefore, filesUnder(data.folder.path())), QStringList());
    std::cout << "[ figures  ] user dialog: " << stored + refused << " entries, " << stored
              << " stored as shown, " << refused << " refused with a message, " << refusedAtTheBox
              << " keys refused at a box with a message\n";
}

TEST_F(HostileInputTest, signInStrip_signsInWithWhatTheBoxesShowOrSaysWhyNot)
{
    RegisterData data;
    const QString dataDir = data.workspace.context().DataDir;
    const QSet<QString> filesBefore = filesUnder(data.folder.path());
    int signedIn = 0, refused = 0;
    for (const QString &text : hostileTexts()) {
        const std::string what = "sign-in <- " + text.left(20).toStdString();
        // A user whose name and password are what the boxes will show for the typed text.
        QString shown;
        for (const QChar c : shownFor(text, true, 32)) {
            if (holdable(c))
                shown += c;
        }
        writeUsers(dataDir, {{"ADMIN", "", 0}, {inCodePage(shown), inCodePage(shown), 1}});
        TErori erori;
        TForm3 form3{data.workspace, [this](const QString &t, QWidget *) { problems << t; }};
        form3.attach(erori);
        form3.show();
        typeInto(form3.UtzNume, text, true, 32, what);
        typeInto(form3.UtzParola, text, true, 32, what);
        EXPECT_EQ(form3.UtzNume->text(), shown) << what;
        problems.clear();
        form3.StartB->click();
        if (form3.isSignedIn()) {
            ++signedIn;
            EXPECT_EQ(form3.CurrentUser().Name, inCodePage(shown)) << what;
        } else {
            ++refused;
            EXPECT_FALSE(problems.isEmpty()) << what << ": not signed in, not told why";
        }
        form3.hide();
    }
    EXPECT_TRUE(reports.isEmpty()) << reports.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(strayFiles(filesBefore, filesUnder(data.folder.path())), QStringList());
    std::cout << "[ figures  ] sign-in strip: " << signedIn + refused << " entries, " << signedIn
              << " signed in with what the boxes show, " << refused << " refused with a message, "
              << refusedAtTheBox << " keys refused at a box with a message\n";
}

} // namespace
