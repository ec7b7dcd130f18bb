// Speed of the start-up's column upgrade: LUNA added to a documents table of 100,000 acts and
// filled row by row, letting window events run after every row as the splash does.
#include "app/DataTables.h"
#include "store/Engine.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace dosarium;

namespace {

constexpr int kActs = 100'000;

void writeOldRegister(const QString &dir)
{
    {
        Query sx;
        ActsTable::create(sx, dir, [] {}); // without LUNA, as older registers are
    }
    const QString path = resolveFileName(ActsTable::path(dir));
    auto file = TableFile::open(path, TableFile::Mode::Exclusive);
    const TableLayout layout = file->readSnapshot().layout;
    QByteArray records(qsizetype(kActs) * layout.recordLength, ' ');
    const Field &id = layout.fields.at(layout.fieldIndex(ActsTable::kId));
    const Field &date = layout.fields.at(layout.fieldIndex(ActsTable::kDate));
    for (int i = 0; i < kActs; ++i) {
        char *rec = records.data() + qsizetype(i) * layout.recordLength;
        writeField(layout, id, rec, Literal::ofNumber(QString::number(i + 1)));
        writeField(layout, date, rec,
                   Literal::ofText(
                       QDate(2005, 1, 1).addDays(i % 7000).toString(QStringLiteral("dd.MM.yyyy"))));
    }
    QByteArray header = layout.headerBytes;
    stampHeader(header.data(), kActs, QDate::currentDate());
    file->replace(header, records);
}

void upgradeActeFillsLuna(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        writeOldRegister(dir.path());
        state.ResumeTiming();
        Query sx;
        Table tx;
        ActsTable::upgrade(sx, tx, dir.path(), [] { QCoreApplication::processEvents(); });
    }
}
BENCHMARK(upgradeActeFillsLuna)->Unit(benchmark::kMillisecond)->Iterations(2);

// The tables' upkeep at every start on local data, on a current register of 100,000 acts
// without deleted rows: the column check and the pack, which leaves the file as it is.
void startUpkeepOnCurrentRegister(benchmark::State &state)
{
    QTemporaryDir dir;
    writeOldRegister(dir.path());
    Query sx;
    Table tx;
    const Yield yield = [] { QCoreApplication::processEvents(); };
    ActsTable::upgrade(sx, tx, dir.path(), yield);
    for (auto _ : state) {
        CreateTables(sx, dir.path(), yield);
        ActsTable::upgrade(sx, tx, dir.path(), yield);
        Table sursa;
        PackTable(sursa, ActsTable::path(dir.path()), yield);
    }
}
BENCHMARK(startUpkeepOnCurrentRegister)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
