// Speed of the table engine on a documents table of 100,000 acts.
#include "SampleRegister.h"
#include "app/ActsTable.h"
#include "store/Engine.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/RowChange.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

using namespace dosarium;

namespace {

constexpr int kActs = 100'000;

struct Register {
    QTemporaryDir dir;
    QString path;
    QString quoted;

    Register()
    {
        bench::writeSampleRegister(dir.path(), kActs);
        path = resolveFileName(ActsTable::path(dir.path()));
        quoted = quoteText(path);
    }
};

Register &reg()
{
    static Register r;
    return r;
}

void openSortedByDate(benchmark::State &state)
{
    reg(); // the table is written before the clock starts
    for (auto _ : state) {
        Query q;
        q.appendSql(QStringLiteral("SELECT *"));
        q.appendSql(QStringLiteral("FROM ") + reg().quoted);
        q.appendSql(QStringLiteral("ORDER BY ") + ActsTable::kDate);
        q.open();
        for (q.first(); !q.eof(); q.next())
            benchmark::DoNotOptimize(q.recNo());
    }
}
BENCHMARK(openSortedByDate)->Unit(benchmark::kMillisecond);

void distinctDomain(benchmark::State &state)
{
    reg();
    for (auto _ : state) {
        Query q;
        q.appendSql(QStringLiteral("SELECT DISTINCT DOMENIUL"));
        q.appendSql(QStringLiteral("FROM ") + reg().quoted);
        q.appendSql(QStringLiteral("ORDER BY DOMENIUL"));
        q.open();
        benchmark::DoNotOptimize(q.recordCount());
    }
}
BENCHMARK(distinctDomain)->Unit(benchmark::kMillisecond);

void filterTwoConditions(benchmark::State &state)
{
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + reg().quoted);
    q.open();
    q.setFiltered(true);
    int flip = 0;
    for (auto _ : state) {
        q.setFilter(QStringLiteral("(ANUL=%1) AND (SERIA='S7')").arg(2010 + (flip++ % 2)));
        benchmark::DoNotOptimize(q.recordCount());
    }
}
BENCHMARK(filterTwoConditions)->Unit(benchmark::kMillisecond);

void insertOne(benchmark::State &state)
{
    reg();
    int id = kActs;
    for (auto _ : state)
        Engine::execute(
            QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DATAACT, DOMENIUL) VALUES (%2, "
                           "2026, \"08.12.2026\", \"Nou\")")
                .arg(reg().quoted)
                .arg(++id));
}
BENCHMARK(insertOne)->Unit(benchmark::kMillisecond);

void updateOneById(benchmark::State &state)
{
    reg();
    for (auto _ : state)
        Engine::execute(
            QStringLiteral("UPDATE %1 SET OBS=\"schimbat\" WHERE IDACT=50000").arg(reg().quoted));
}
BENCHMARK(updateOneById)->Unit(benchmark::kMillisecond);

// The part of the same UPDATE that holds the other users of the table off: apply() takes the
// header lock exclusive, checks the row found, writes it and lets the lock go. The search before
// it reads beside other readers and writers and is left out of the clock.
void updateOneByIdExclusivePart(benchmark::State &state)
{
    reg();
    const Statement statement = parseStatement(
        QStringLiteral("UPDATE %1 SET OBS=\"schimbat\" WHERE IDACT=50000").arg(reg().quoted));
    for (auto _ : state) {
        RowChange change(statement);
        change.search();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(change.apply());
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(updateOneByIdExclusivePart)->Unit(benchmark::kMillisecond)->UseManualTime();

// Peak memory of an open row set, against the size of the table file: the kernel's high-water mark
// of this process is reset, the register opened sorted and walked, and the new mark read.
qint64 residentKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(strlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void peakMemoryOfOpenRows(benchmark::State &state)
{
    reg();
    const double fileBytes = double(QFileInfo(reg().path).size());
    double ratio = 0;
    for (auto _ : state) {
        QFile reset(QStringLiteral("/proc/self/clear_refs"));
        if (!reset.open(QIODevice::WriteOnly) || reset.write("5") != 1) {
            state.SkipWithError("the peak resident size cannot be reset");
            return;
        }
        reset.close();
        const qint64 before = residentKiB("VmRSS:");
        {
            Query q;
            q.appendSql(QStringLiteral("SELECT * FROM ") + reg().quoted);
            q.appendSql(QStringLiteral("ORDER BY DATAACT"));
            q.open();
            for (q.first(); !q.eof(); q.next())
                benchmark::DoNotOptimize(q.asString(ActsTable::kTitle));
        }
        ratio = double(residentKiB("VmHWM:") - before) * 1024.0 / fileBytes;
    }
    state.counters["peak_over_file_size"] = ratio;
}
BENCHMARK(peakMemoryOfOpenRows)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
