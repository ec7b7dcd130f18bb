#include "tools/FingerprintCheck.h"

#include "access/ArchiveRecoding.h"
#include "app/FingerprintsTable.h"
#include "platform/FileStatus.h"
#include "store/FilePath.h"
#include "tools/ArchiveExport.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace dosarium {

namespace {

// One document compared with its fingerprint.
struct Comparison {
    const ArchivedDocument *document = nullptr;
    const StoredFingerprint *print = nullptr;
    std::optional<DocumentFingerprint> found; // nothing when it could not be read
    QString problem;                          // why it could not be read
};

// Decodes every document of `work` on every core, reporting the bytes to `progress`.
void decodeAll(std::vector<Comparison> &work, const QByteArray &key, ExportProgress *progress)
{
    qint64 total = 0;
    for (const Comparison &c : work)
        total += c.document->size;
    if (progress)
        progress->begin(total, int(work.size()));
    std::atomic<size_t> next{0};
    std::atomic<qint64> done{0};
    std::atomic<int> finished{0};
    const auto decode = [&] {
        for (size_t i; (i = next++) < work.size(); ++finished) {
            Comparison &c = work[i];
            try {
                c.found = fingerprintOfFile(c.document->path, key, false);
            } catch (const Error &e) {
                c.problem = e.message();
            }
            done += c.document->size;
        }
    };
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w)
        threads.emplace_back(decode);
    qint64 shownBytes = 0;
    int shownDocuments = 0;
    const auto show = [&] {
        if (!progress)
            return;
        if (const qint64 bytes = done; bytes > shownBytes)
            progress->advance(bytes - std::exchange(shownBytes, bytes));
        for (const int n = finished; shownDocuments < n; ++shownDocuments)
            progress->documentDone();
    };
    while (finished < int(work.size())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        show();
    }
    for (std::thread &t : threads)
        t.join();
    show();
    if (progress)
        progress->end();
}

// Whether the coded file was written again since its fingerprint was taken: every program that
// stores a document writes a new file, with a new modification time. Bytes that changed under
// the same time (a flipped bit, a file cut short in place) are damage.
bool writtenSince(const Comparison &c)
{
    const std::optional<FileStatus> now = statusAt(c.document->path);
    return !now || now->modified / 1000000 != c.print->codedModified;
}

QString takenText(const StoredFingerprint &print)
{
    QString text = print.taken.isValid()
                       ? print.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                       : QStringLiteral("o data necunoscuta");
    if (!print.workstation.isEmpty())
        text += QStringLiteral(", pe ") + print.workstation;
    return text;
}

void judge(const Comparison &c, const QString &dataDir, CheckResult &result)
{
    const ArchivedDocument &d = *c.document;
    if (!c.found) {
        if (!c.problem.isEmpty()) {
            result.notes << d.label +
                                QStringLiteral(": documentul nu a putut fi citit pentru "
                                               "verificarea amprentei: ") +
                                c.problem;
            return;
        }
        if (d.size == c.print->size)
            return; // names and sizes only: nothing more can be told
    } else if (c.found->sha256 == c.print->sha256 && c.found->size == c.print->size) {
        if (writtenSince(c))
            result.rewrittenSame.push_back(d);
        return;
    }
    if (writtenSince(c)) {
        result.notes << d.label +
                            QStringLiteral(": documentul arhivat %1 a fost scris din nou dupa ce "
                                           "i s-a luat amprenta (%2), probabil de o statie cu o "
                                           "versiune mai veche a programului; nu este socotit "
                                           "deteriorat.")
                                .arg(d.relative, takenText(*c.print));
        return;
    }
    result.findings.append(
        {Finding::Kind::DamagedDocument,
         d.label + QStringLiteral(": documentul arhivat %1 este deteriorat: continutul lui nu "
                                  "mai corespunde amprentei luate la %2. Puneti-l la loc dintr-o "
                                  "copie de siguranta.")
                       .arg(d.relative, takenText(*c.print)),
         joinPath(dataDir, d.relative),
         {},
         0});
}

} // namespace

std::optional<FingerprintSet> readFingerprints(const QString &dataDir, QStringList &notes)
{
    try {
        return FingerprintsTable::readAll(dataDir);
    } catch (const Error &e) {
        notes << QStringLiteral("Amprentele nu au putut fi citite: ") + e.message();
        return std::nullopt;
    }
}

void checkFingerprints(const QString &dataDir, const std::vector<ArchivedDocument> &documents,
                       const CheckOptions &options, CheckResult &result)
{
    const std::optional<FingerprintSet> read = readFingerprints(dataDir, result.notes);
    if (!read)
        return;
    const FingerprintSet &prints = *read;
    if (prints.unusable > 0)
        result.notes << QStringLiteral("Tabelul %1 are %2 care nu sunt amprente bune; nu sunt "
                                       "folosite.")
                            .arg(FingerprintsTable::kFileName,
                                 countText(prints.unusable, QStringLiteral("rand"),
                                           QStringLiteral("randuri")));
    std::vector<Comparison> work;
    for (const ArchivedDocument &d : documents) {
        const auto found = prints.byAct.constFind(d.id);
        if (found != prints.byAct.cend())
            work.push_back({&d, &found.value(), std::nullopt, {}});
        else if (prints.torn.contains(d.id))
            result.notes << d.label + QStringLiteral(": are mai multe amprente care nu se "
                                                     "potrivesc intre ele; nu este verificat.");
        else
            result.withoutFingerprint.push_back(d);
    }
    if (options.decode && !work.empty()) {
        // Mid-way through a re-coding some documents are under the old key: none is decoded,
        // so that none is taken for damaged.
        if (QFileInfo::exists(ArchiveRecoding::journalPath(dataDir))) {
            result.notes << QStringLiteral("Documentele nu au fost comparate cu amprentele lor: "
                                           "recodarea arhivei nu este incheiata.");
        } else {
            try {
                decodeAll(work, readArchiveKeyOnly(dataDir), options.progress);
            } catch (const Error &e) {
                result.notes << QStringLiteral("Documentele nu au fost comparate cu amprentele "
                                               "lor: ") +
                                    e.message();
            }
        }
    }
    for (const Comparison &c : work)
        judge(c, dataDir, result);
    result.fingerprinted = int(work.size());
    if (!result.withoutFingerprint.empty())
        result.notes << QStringLiteral("%1 nu au amprenta (adaugate de o statie cu o versiune mai "
                                       "veche a programului, sau inainte de amprente); --repara "
                                       "le-o ia.")
                            .arg(countText(qint64(result.withoutFingerprint.size()),
                                           QStringLiteral("act"), QStringLiteral("acte")));
}

int refreshFingerprintTimes(const QString &dataDir, const std::vector<ArchivedDocument> &documents,
                            QStringList &failed)
{
    int refreshed = 0;
    for (const ArchivedDocument &d : documents) {
        try {
            FingerprintsTable::recordCodedFile(dataDir, d.id, d.path);
            ++refreshed;
        } catch (const Error &e) {
            failed << d.label + QStringLiteral(": amprenta nu a putut fi adusa la zi: ") +
                          e.message();
        }
    }
    return refreshed;
}

int takeMissingFingerprints(const QString &dataDir, const std::vector<ArchivedDocument> &documents,
                            QStringList &failed)
{
    const QByteArray key = readArchiveKeyOnly(dataDir);
    const QString station =
        QSysInfo::machineHostName().left(15) + QStringLiteral(" - dosarium-arhiva");
    const FingerprintSet before = FingerprintsTable::readAll(dataDir);
    FingerprintsTable::create(dataDir);
    int taken = 0;
    for (const ArchivedDocument &d : documents) {
        if (before.byAct.contains(d.id) || before.torn.contains(d.id))
            continue; // taken meanwhile: never replaced
        try {
            FingerprintsTable::add(dataDir, d.id, fingerprintOfFile(d.path, key, false), d.path,
                                   QDateTime::currentDateTime(), station);
            ++taken;
        } catch (const Error &e) {
            failed << d.label + QStringLiteral(": amprenta nu a putut fi luata: ") + e.message();
        }
    }
    return taken;
}

} // namespace dosarium
