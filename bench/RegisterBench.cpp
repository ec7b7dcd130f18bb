// Speed of the register window's listing on 100,000 acts (or DOSARIUM_BENCH_ACTS of them): the
// opening (six pick lists, the rows, the first filter pass, the painted grid), a filter change, a
// re-sort, paging through the grid, the refresh after an act is added, changed or deleted, the
// bytes each reads from the data folder, and memory.
#include "SampleAct.h"
#include "SampleRegister.h"
#include "app/ActsTable.h"
#include "app/QueryModel.h"
#include "app/Workspace.h"
#include "archive/ProgressSink.h"
#include "register/ActOperations.h"
#include "register/RegisterListing.h"
#include "register/RegisterWindow.h"
#include "store/IoCount.h"
#include "store/Query.h"
#include "widgets/DataGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <benchmark/benchmark.h>

using namespace dosarium;

namespace {

int actsWanted()
{
    const int acts = qEnvironmentVariableIntValue("DOSARIUM_BENCH_ACTS");
    return acts > 0 ? acts : 100'000;
}

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024 * 1024);
}

struct Office {
    QTemporaryDir exe;
    Workspace workspace;
    RegisterListing listing{workspace};
    RegisterChoices choices;

    Office()
    {
        workspace.setWorkstation({exe.path(), QStringLiteral("BIROU"), QStringLiteral("bench")});
        workspace.prepareFolders();
        workspace.setReports({[] { QCoreApplication::processEvents(); }, {}, {}, {}, {}, {}});
        workspace.CreateTables();
        bench::writeSampleRegister(workspace.context().DataDir, actsWanted());
        listing.setChoices([this] { return choices; });
    }
};

Office &office()
{
    static Office o;
    return o;
}

// From the key to the window standing with its six lists filled and its grid painted.
void openRegisterWindow(benchmark::State &state)
{
    Office &o = office();
    TEvidente window(o.workspace);
    IoCount read;
    for (auto _ : state) {
        const IoMeter meter;
        // The opening lets events run before the window shows: it is closed once it stands.
        QTimer closer;
        closer.setInterval(0);
        QObject::connect(&closer, &QTimer::timeout, &window, [&window, &closer] {
            if (!window.isVisible())
                return;
            window.SMDBGrid3->viewport()->repaint();
            closer.stop();
            window.close();
        });
        closer.start();
        window.OpenRegister(0);
        read = meter.sinceStart();
    }
    state.counters["read_MB"] = megabytes(read.read);
    state.counters["peak_MB"] = megabytes(bench::peakResidentBytes());
}
BENCHMARK(openRegisterWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

void openRegister(benchmark::State &state)
{
    Office &o = office();
    for (auto _ : state) {
        o.listing.close();
        o.listing.open([&o] { benchmark::DoNotOptimize(o.listing.readPickLists()); });
    }
    state.counters["peak_MB"] = megabytes(bench::peakResidentBytes());
}
BENCHMARK(openRegister)->Unit(benchmark::kMillisecond)->Iterations(5);

void filterChange(benchmark::State &state)
{
    Office &o = office();
    o.listing.open({});
    bool year = false;
    for (auto _ : state) {
        year = !year;
        o.choices = {};
        if (year)
            o.choices.anul = {1, QStringLiteral("2010")};
        else
            o.choices.domeniul = {1, QStringLiteral("Domeniul 7")};
        o.listing.Filtreaza();
    }
    o.choices = {};
    o.listing.Filtreaza();
}
BENCHMARK(filterChange)->Unit(benchmark::kMillisecond)->Iterations(20);

void reSort(benchmark::State &state)
{
    Office &o = office();
    o.listing.open({});
    bool domain = false;
    IoCount read;
    for (auto _ : state) {
        domain = !domain;
        const IoMeter meter;
        o.listing.sortBy(domain ? ActsTable::kDomain : ActsTable::kTitle);
        read = meter.sinceStart();
    }
    state.counters["read_KB"] = double(read.read) / 1024;
}
BENCHMARK(reSort)->Unit(benchmark::kMillisecond)->Iterations(6);

void pageDownThroughTheGrid(benchmark::State &state)
{
    Office &o = office();
    o.listing.open({});
    DataGrid grid;
    grid.resize(1200, 700);
    showQuery(grid, o.listing.Ox());
    grid.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&grid, Qt::Key_PageDown);
        grid.viewport()->repaint();
    }
    state.counters["row"] = o.listing.Ox().recNo();
    state.counters["peak_MB"] = megabytes(bench::peakResidentBytes());
}
BENCHMARK(pageDownThroughTheGrid)->Unit(benchmark::kMillisecond)->Iterations(300);

// From "Memoreaza" to the register standing on the new act: the log entry, the id, the row, a
// 1 MB file coded into the archive, and the rows reopened.
void addAnAct(benchmark::State &state)
{
    Office &o = office();
    o.listing.open({});
    ActOperations acts(o.workspace, [] { return QByteArrayLiteral("cheie"); });
    NoProgress progress;
    const QString scan = o.exe.filePath(QStringLiteral("scan.pdf"));
    QFile file(scan);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(1024 * 1024, 'p'));
    file.close();
    const ActEntry act = bench::sampleAct(scan);
    IoCount refresh;
    double refreshMs = 0;
    for (auto _ : state) {
        const QString id = acts.add(act, progress);
        const IoMeter meter;
        QElapsedTimer took;
        took.start();
        o.listing.reopenAt(id);
        refreshMs = double(took.nsecsElapsed()) / 1e6;
        refresh = meter.sinceStart();
    }
    state.counters["refresh_read_KB"] = double(refresh.read) / 1024;
    state.counters["refresh_ms"] = refreshMs;
}
BENCHMARK(addAnAct)->Unit(benchmark::kMillisecond)->Iterations(5);

// A changed observation, no file operation, and the rows reopened on the act.
void modifyAnAct(benchmark::State &state)
{
    Office &o = office();
    o.listing.open({});
    ActOperations acts(o.workspace, [] { return QByteArray(); });
    NoProgress progress;
    o.listing.Ox().moveTo(5000);
    int round = 0;
    IoCount refresh;
    double refreshMs = 0;
    for (auto _ : state) {
        const StoredAct old = ActsTable::readAct(o.listing.Ox());
        ActEntry edited;
        edited.date = old.date;
        edited.seria = old.seria;
        edited.nr = old.nr;
        edited.cod = old.cod;
        edited.domeniul = old.domeniul;
        edited.subdom = old.subdom;
        edited.titlu = old.titlu;
        edited.obs = QStringLiteral("Revizia %1").arg(++round);
        edited.file = acts.archivedFile(old);
        acts.modify(old, edited, progress);
        const IoMeter meter;
        QElapsedTimer took;
        took.start();
        o.listing.reopenAt(old.id);
        refreshMs = double(took.nsecsElapsed()) / 1e6;
        refresh = meter.sinceStart();
    }
    state.counters["refresh_read_KB"] = double(refresh.read) / 1024;
    state.counters["refresh_ms"] = refreshMs;
}
BENCHMARK(modifyAnAct)->Unit(benchmark::kMillisecond)->Iterations(5);

void deleteAnAct(benchmark::State &state)
{
    Office &o = office();
    o.listing.open({});
    ActOperations acts(o.workspace, [] { return QByteArray(); });
    IoCount refresh;
    double refreshMs = 0;
    for (auto _ : state) {
        o.listing.Ox().moveTo(7000);
        acts.remove(ActsTable::readAct(o.listing.Ox()));
        const IoMeter meter;
        QElapsedTimer took;
        took.start();
        o.listing.reopenAtLast();
        refreshMs = double(took.nsecsElapsed()) / 1e6;
        refresh = meter.sinceStart();
    }
    state.counters["refresh_read_KB"] = double(refresh.read) / 1024;
    state.counters["refresh_ms"] = refreshMs;
}
BENCHMARK(deleteAnAct)->Unit(benchmark::kMillisecond)->Iterations(5);

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
