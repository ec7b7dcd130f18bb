// Speed of the activity log window on a log of 200,000 entries (read, ordered, standing on the
// newest entry, shown and painted), and of the re-coding of an archive of 10,000 files of 100 KB
// when ADMIN's password changes, against a plain copy of the same files in the same run.
#include "access/UserAdministration.h"
#include "app/ActsTable.h"
#include "app/LogTable.h"
#include "app/Workspace.h"
#include "platform/FileHandles.h"
#include "platform/ReplacementFile.h"
#include "register/LogWindow.h"
#include "store/Engine.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/TableFile.h"
#include "widgets/DataGrid.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace dosarium;

namespace {

constexpr int kLogEntries = 200'000;
constexpr int kFiles = 10'000;
constexpr qint64 kFileSize = 100 * 1000;

struct Office {
    QTemporaryDir exe;
    Workspace workspace;

    Office()
    {
        workspace.setWorkstation({exe.path(), QStringLiteral("BIROU"), QStringLiteral("bench")});
        workspace.prepareFolders();
        workspace.setReports({[] { QCoreApplication::processEvents(); }, {}, {}, {}, {}, {}});
        workspace.CreateTables();
        workspace.UpgradeActe();
    }
    QString dataDir() const { return workspace.context().DataDir; }
};

// The log written whole, as years of work leave it: ids in order, actions of varying length.
void writeLog(Office &office)
{
    const QString path = resolveFileName(office.workspace.logPath());
    auto file = TableFile::open(path, TableFile::Mode::Exclusive);
    const TableLayout layout = file->readSnapshot().layout;
    QByteArray records(qsizetype(kLogEntries) * layout.recordLength, ' ');
    auto set = [&](char *rec, const QString &name, const QString &value, bool number = false) {
        const Field &f = layout.fields.at(layout.fieldIndex(name));
        writeField(layout, f, rec, number ? Literal::ofNumber(value) : Literal::ofText(value));
    };
    QRandomGenerator rng(7);
    for (int i = 0; i < kLogEntries; ++i) {
        char *rec = records.data() + qsizetype(i) * layout.recordLength;
        set(rec, LogTable::kId, QString::number(i + 1), true);
        set(rec, LogTable::kDate,
            QDate(2010, 1, 1).addDays(i / 40).toString(QStringLiteral("dd.MM.yyyy")));
        set(rec, LogTable::kTime,
            QStringLiteral("%1:%2:%3").arg(8 + i % 10).arg(i % 60).arg(i % 59));
        set(rec, LogTable::kAction,
            QStringLiteral("Adaugare Act %1/05.03.2015 - Domeniul: %2")
                .arg(i)
                .arg(QStringLiteral("CONTRACTE ").repeated(1 + rng.bounded(6))));
        set(rec, LogTable::kWorkstationUser, QStringLiteral("BIROU%1 - ana").arg(i % 7));
    }
    QByteArray header = layout.headerBytes;
    stampHeader(header.data(), quint32(kLogEntries), QDate::currentDate());
    file->replace(header, records);
}

Office &logOffice()
{
    static Office office;
    static const bool written = (writeLog(office), true);
    (void)written;
    return office;
}

// Runs `action` once `window` shows.
void once(QWidget *window, const std::function<void()> &action)
{
    QTimer::singleShot(0, window, [window, action] {
        if (window->isVisible())
            action();
        else
            once(window, action);
    });
}

// From the menu entry to the window shown with its grid painted on the newest entry.
void openLog(benchmark::State &state)
{
    Office &office = logOffice();
    TLogView window(office.workspace);
    int row = 0;
    for (auto _ : state) {
        once(&window, [&window, &row] {
            window.DBGrid3->viewport()->repaint();
            row = window.DBGrid3->currentRow();
            window.reject();
        });
        window.OpenLog();
    }
    state.counters["row"] = row;
}
BENCHMARK(openLog)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// The archive: acts spread over years, domains and subdomains, each with a file of 100 KB
// coded with ADMIN's password.
struct Archive {
    Office office;
    QStringList files;
    UserEntry admin{QByteArrayLiteral("ADMIN"), QByteArrayLiteral("PAROLA2005"), 0};
    std::unique_ptr<UserAdministration> administration;

    Archive()
    {
        const QString acte = office.workspace.actePath();
        WriteUserFile(office.dataDir(),
                      {admin, UserEntry::fromText(QStringLiteral("ION"), QStringLiteral("X"), 1)});
        auto table = TableFile::open(acte, TableFile::Mode::Exclusive);
        const TableLayout layout = table->readSnapshot().layout;
        QByteArray records(qsizetype(kFiles) * layout.recordLength, ' ');
        auto set = [&](char *rec, const QString &name, const QString &value, bool number = false) {
            const Field &f = layout.fields.at(layout.fieldIndex(name));
            writeField(layout, f, rec, number ? Literal::ofNumber(value) : Literal::ofText(value));
        };
        QRandomGenerator rng(11);
        QByteArray plain(kFileSize, Qt::Uninitialized);
        for (int i = 0; i < kFiles; ++i) {
            const int year = 2005 + i % 10;
            const QString domain = QStringLiteral("Domeniul %1").arg(i % 7);
            const QString subdom = QStringLiteral("SUB %1").arg(i % 5);
            char *rec = records.data() + qsizetype(i) * layout.recordLength;
            set(rec, ActsTable::kId, QString::number(i + 1), true);
            set(rec, ActsTable::kYear, QString::number(year), true);
            set(rec, ActsTable::kDomain, domain);
            set(rec, ActsTable::kSubdomain, subdom);
            const QString folder =
                QStringLiteral("%1/%2/%3/%4").arg(office.dataDir()).arg(year).arg(domain, subdom);
            QDir().mkpath(folder);
            const QString path = folder + QStringLiteral("/%1").arg(i + 1);
            rng.fillRange(reinterpret_cast<quint32 *>(plain.data()), plain.size() / 4);
            QByteArray stored = plain;
            for (qsizetype b = 0; b < stored.size(); ++b)
                stored[b] = char(stored[b] ^ admin.Password[b % admin.Password.size()]);
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                std::abort();
            f.write(stored);
            files << path;
        }
        QByteArray header = layout.headerBytes;
        stampHeader(header.data(), quint32(kFiles), QDate::currentDate());
        table->replace(header, records);
        table.reset();
        syncAllFiles();

        administration = std::make_unique<UserAdministration>(
            office.workspace,
            SignedInUser{[this] { return admin; },
                         [this](const QByteArray &password) { admin.Password = password; },
                         [] { return QStringLiteral("ADMIN"); }});
        administration->open();
    }
};

Archive &archive()
{
    static Archive a;
    return a;
}

void settle(benchmark::State &state)
{
    state.PauseTiming();
    syncAllFiles();
    state.ResumeTiming();
}

// The reference: every file read in blocks of 128 KB and written, without a key, to a new file
// beside it that is put on the disk and renamed into place, as the program writes every file.
void plainCopyOfTheArchive(benchmark::State &state)
{
    Archive &a = archive();
    QByteArray block(128 << 10, Qt::Uninitialized);
    for (auto _ : state) {
        for (const QString &path : a.files) {
            QFile in(path);
            if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                state.SkipWithError("source");
            ReplacementFile out(path + QStringLiteral(".copie"));
            for (qint64 n; (n = in.read(block.data(), block.size())) > 0;)
                out.write(block.constData(), n);
            out.commit();
        }
        settle(state);
    }
    state.SetBytesProcessed(state.iterations() * kFiles * kFileSize);
}

// ADMIN's new password, from the dialog's values to the last file re-coded: the users table,
// the user file, the journal and every file.
void recodeArchive(benchmark::State &state)
{
    Archive &a = archive();
    const QString keys[] = {QStringLiteral("NOUA PAROLA"), QStringLiteral("PAROLA2005")};
    int turn = 0;
    for (auto _ : state) {
        a.administration->changePassword(QStringLiteral("ADMIN"), keys[turn++ % 2],
                                         a.office.workspace.progress());
        settle(state);
    }
    state.counters["recoded"] = a.administration->recoding().filesRecoded();
    state.SetBytesProcessed(state.iterations() * kFiles * kFileSize);
}

// Interleaved, so that both meet the disk in the same state.
BENCHMARK(plainCopyOfTheArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(recodeArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(plainCopyOfTheArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(recodeArchive)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
