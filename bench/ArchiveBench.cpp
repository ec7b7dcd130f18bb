// Speed of the archive's file operations on a 200 MB scan, against a plain copy of the same file
// measured in the same run.
#include "archive/CodedCopy.h"
#include "archive/ProgressSink.h"
#include "platform/FileHandles.h"
#include "platform/ReplacementFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace dosarium;

namespace {

constexpr qint64 kFileSize = 200LL * 1000 * 1000;

struct Scan {
    QTemporaryDir dir;
    QString source;

    Scan() : source(dir.filePath(QStringLiteral("scan.tif")))
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        QRandomGenerator rng(42);
        for (qint64 done = 0; done < kFileSize; done += chunk.size()) {
            rng.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
            file.write(chunk.constData(), std::min<qint64>(chunk.size(), kFileSize - done));
        }
        // On the disk before the clock starts, so its writing does not slow the first runs.
        file.flush();
        syncFile(file.handle());
    }
    QString target(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
};

Scan &scan()
{
    static Scan s;
    return s;
}

// Every run starts with nothing left to write from the runs before it.
void settle(benchmark::State &state)
{
    state.PauseTiming();
    syncAllFiles();
    state.ResumeTiming();
}

// What the progress strip is handed: a counter that moves once per block.
struct CountingProgress : ProgressSink {
    qint64 steps = 0;
    void start(qint64, const QString &) override { steps = 0; }
    void step() override { benchmark::DoNotOptimize(++steps); }
    void finish() override {}
};

const QByteArray kKey("Parola#Arhiva2005");

// The plain copy the archive's operations are measured against: the file read in blocks of
// 128 KB (as the system's copy tools do) and written, without a key, to a new file beside the
// target that is put on the disk and renamed into place, as every file the program writes whole is.
void plainCopy(benchmark::State &state)
{
    const QString target = scan().target("plain");
    QByteArray block(128 << 10, Qt::Uninitialized);
    for (auto _ : state) {
        QFile in(scan().source);
        if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            state.SkipWithError("source");
        ReplacementFile out(target);
        for (qint64 n; (n = in.read(block.data(), block.size())) > 0;)
            out.write(block.constData(), n);
        out.commit();
        settle(state);
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK(plainCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

// The kernel's own copy of the file (QFile::copy), without writing it to the disk at the end.
void kernelCopy(benchmark::State &state)
{
    const QString target = scan().target("kernel");
    for (auto _ : state) {
        QFile::remove(target);
        if (!QFile::copy(scan().source, target))
            state.SkipWithError("copy");
        settle(state);
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK(kernelCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void copyCodedWithKey(benchmark::State &state)
{
    const QString target = scan().target("17");
    CountingProgress progress;
    for (auto _ : state) {
        CopyCoded(scan().source, target, kKey, progress);
        settle(state);
    }
    state.counters["steps"] = double(progress.steps);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK(copyCodedWithKey)->Unit(benchmark::kMillisecond)->UseRealTime();

void recodeFile(benchmark::State &state)
{
    const QString target = scan().target("18");
    NoProgress none;
    CopyCoded(scan().source, target, kKey, none);
    syncAllFiles();
    QByteArray from = kKey;
    QByteArray to("NouaParola");
    for (auto _ : state) {
        RecodeFile(target, from, to);
        std::swap(from, to);
        settle(state);
    }
    state.SetBytesProcessed(state.iterations() * kFileSize);
}
BENCHMARK(recodeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
