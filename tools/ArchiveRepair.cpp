#include "tools/ArchiveRepair.h"

#include "access/ArchiveRecoding.h"
#include "app/DamagedFiles.h"
#include "app/SettingsFile.h"
#include "app/Workspace.h"
#include "archive/ProgressSink.h"
#include "platform/FileNames.h"
#include "platform/Names.h"
#include "platform/ReplacementFile.h"
#include "store/PlainFile.h"
#include "tools/FingerprintCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace dosarium {

namespace {

// The fingerprints of the acts that have none, once every document is under the user file's key.
void takeFingerprints(const QString &dataDir, const CheckResult &found, RepairResult &result)
{
    if (found.withoutFingerprint.empty() && found.rewrittenSame.empty())
        return;
    if (found.count(Finding::Kind::RecodingRunning) > 0 ||
        QFileInfo::exists(ArchiveRecoding::journalPath(dataDir))) {
        result.failed << QStringLiteral("Amprentele lipsa nu au fost luate: recodarea arhivei nu "
                                        "este incheiata.");
        return;
    }
    try {
        if (!found.rewrittenSame.empty())
            result.done << QStringLiteral("Amprente aduse la zi (fisier scris din nou cu acelasi "
                                          "continut, de exemplu la recodarea arhivei): %1.")
                               .arg(countText(refreshFingerprintTimes(dataDir, found.rewrittenSame,
                                                                      result.failed),
                                              QStringLiteral("document"),
                                              QStringLiteral("documente")));
        if (found.withoutFingerprint.empty())
            return;
        const int taken = takeMissingFingerprints(dataDir, found.withoutFingerprint, result.failed);
        result.done << QStringLiteral("Am luat amprenta pentru %1.")
                           .arg(countText(taken, QStringLiteral("act"), QStringLiteral("acte")));
    } catch (const Error &e) {
        result.failed << QStringLiteral("Amprentele lipsa nu au putut fi luate: ") + e.message();
    }
}

// An interrupted re-coding brought to the key the user file holds.
void finishRecoding(const QString &dataDir, const CheckResult &found, RepairResult &result)
{
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::RecodingLeft)
            continue;
        try {
            Workspace workspace(Workstation{dataDir, computerName(), QString()});
            workspace.context().DataDir = dataDir;
            ArchiveRecoding recoding(workspace, [dataDir] { return readArchiveKeyOnly(dataDir); });
            NoProgress progress;
            if (recoding.finishPending(progress))
                result.done << QStringLiteral("Recodarea intrerupta a fost dusa la capat: %1 "
                                              "la parola de acum; jurnalul Recodare.jrn a fost "
                                              "sters.")
                                   .arg(countText(recoding.filesRecoded(),
                                                  QStringLiteral("document adus"),
                                                  QStringLiteral("documente aduse")));
            else
                result.failed << QStringLiteral("Recodarea intrerupta nu a fost atinsa: jurnalul "
                                                "Recodare.jrn este folosit acum de alt program.");
        } catch (const Error &e) {
            result.failed
                << QStringLiteral("Recodarea intrerupta nu a putut fi dusa la capat: ") +
                       QString(e.message()).replace(QLatin1Char('\r'), QLatin1Char(' ')).trimmed();
        }
    }
}

// The partial files that no writer owns any more.
void removePartialFiles(const QString &dataDir, const CheckResult &found, RepairResult &result)
{
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::PartialFile)
            continue;
        const QString shown = QDir(dataDir).relativeFilePath(f.path);
        if (!QFileInfo::exists(f.path)) {
            result.done << QStringLiteral("Fisierul partial %1 nu mai exista.").arg(shown);
        } else if (!firstForeignLevel(dataDir, shown.split(QLatin1Char('/'))).isEmpty()) {
            result.failed << QStringLiteral("%1 nu este un fisier obisnuit (poate o legatura "
                                            "simbolica): nu l-am sters.")
                                 .arg(shown);
        } else if (!ReplacementFile::isAbandoned(f.path, kLeftoverIdle)) {
            result.failed
                << QStringLiteral("Fisierul partial %1 a fost scris in ultimele %2 "
                                  "minute, poate chiar acum de alta statie: nu l-am "
                                  "sters. Verificati din nou mai tarziu.")
                       .arg(shown)
                       .arg(
                           std::chrono::duration_cast<std::chrono::minutes>(kLeftoverIdle).count());
        } else if (removeEntry(f.path) || errno == ENOENT) {
            result.done << QStringLiteral("Am sters fisierul partial %1.").arg(shown);
        } else {
            result.failed << QStringLiteral("Nu pot sterge fisierul partial %1: %2.")
                                 .arg(shown, systemErrorText(errno));
        }
    }
}

// The counters raised past the highest id in use.
void raiseCounters(const QString &dataDir, const CheckResult &found, RepairResult &result)
{
    bool settingsKept = false;
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::CounterBehind)
            continue;
        try {
            // A damaged settings file keeps a copy of its bytes before it is first written, as
            // at the program's start.
            if (!settingsKept) {
                settingsKept = true;
                if (QFile file(f.path); file.open(QIODevice::ReadOnly)) {
                    if (const QString damage = settingsDamage(file.readAll()); !damage.isEmpty())
                        result.done << keepDamagedCopy(f.path, damage);
                }
            }
            QString before;
            QString after;
            SettingsFile(dataDir).update(
                QStringLiteral("INDEX"), f.counter, [&](const QString &value) {
                    before = value;
                    bool ok = true;
                    const qint64 next = value.isEmpty() ? 1 : value.toLongLong(&ok);
                    // Raised meanwhile by another workstation: left as it is.
                    after = ok && next > f.highestId ? value : QString::number(f.highestId + 1);
                    return after;
                });
            if (after == before)
                result.done
                    << QStringLiteral("Contorul %1 din Dsm.in era deja %2.").arg(f.counter, before);
            else
                result.done << QStringLiteral("Contorul %1 din Dsm.in a fost ridicat de la %2 la "
                                              "%3.")
                                   .arg(f.counter, before.isEmpty() ? QStringLiteral("1") : before,
                                        after);
        } catch (const Error &e) {
            result.failed << QStringLiteral("Contorul %1 nu a putut fi ridicat: %2")
                                 .arg(f.counter, e.message());
        }
    }
}

} // namespace

RepairResult repairDataFolder(const QString &dataFolder, const CheckResult &found)
{
    const QString dataDir = QDir(dataFolder).absolutePath();
    RepairResult result;
    // The re-coding first: it brings documents to one key and may leave temporaries of its own;
    // the fingerprints last, once every document is under one key.
    finishRecoding(dataDir, found, result);
    removePartialFiles(dataDir, found, result);
    raiseCounters(dataDir, found, result);
    takeFingerprints(dataDir, found, result);
    return result;
}

} // namespace dosarium
