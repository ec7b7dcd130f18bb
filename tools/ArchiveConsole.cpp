#include "tools/ArchiveConsole.h"

#include "tools/ArchiveExport.h"
#include "tools/ArchiveRepair.h"

#include <QDir>
#include <QElapsedTimer>

#include <optional>

namespace dosarium {

namespace {

const char *const kHelp =
    "Folosire:\n"
    "  dosarium-arhiva verifica [--repara] [--rapid] DOSAR\n"
    "  dosarium-arhiva exporta [--separator C] DOSAR DEST\n"
    "  dosarium-arhiva --help\n"
    "\n"
    "verifica  Citeste tabelele, fisierul utilizatorilor, Dsm.in si arhiva dosarului de date\n"
    "          DOSAR, fara sa schimbe nimic, si scrie cate un rand pentru fiecare problema:\n"
    "          act fara fisier arhivat, fisier arhivat fara act, fisier arhivat de 0 octeti,\n"
    "          IDACT folosit de mai multe randuri, contor din Dsm.in ramas sub cel mai mare\n"
    "          IDACT sau IDLOG folosit, fisiere partiale si jurnal de recodare ramase dupa o\n"
    "          scriere intrerupta, domenii sau subdomenii care nu pot fi nume de director pe\n"
    "          toate statiile. Decodeaza fiecare document care are amprenta (Amprente.dbf)\n"
    "          si il numeste \"deteriorat\" cand continutul lui nu mai corespunde amprentei.\n"
    "  --repara  Face numai reparatiile sigure si spune ce a facut: ridica contoarele peste\n"
    "          cel mai mare numar folosit, duce la capat (sau intoarce) o recodare intrerupta,\n"
    "          sterge fisierele partiale, ia amprenta actelor care nu au. Nu sterge niciodata\n"
    "          un rand sau un document si nu inlocuieste o amprenta care nu se potriveste.\n"
    "  --rapid   Nu decodeaza documentele: numai numele si marimile.\n"
    "\n"
    "exporta   Scrie in dosarul DEST (nou sau gol) documentul fiecarui act, decodat, la\n"
    "          DEST/ANUL/DOMENIUL/SUBDOM/IDACT.EXTENSIE, apoi acte.csv (toate coloanele din\n"
    "          Acte.dbf, calea documentului exportat, amprenta lui SHA-256 si amprenta\n"
    "          din Amprente.dbf cand s-a potrivit cu ea), jurnal.csv\n"
    "          (jurnalul activitatii) si lipsa.csv (actele fara document). Fisierele CSV sunt\n"
    "          in UTF-8, cu ';' intre campuri, cum le deschide direct un program de calcul\n"
    "          tabelar cu setari romanesti. Dosarul de date doar este citit.\n"
    "  --separator C  Alt separator intre campuri: ',' sau 'tab'.\n"
    "\n"
    "Starea la iesire: 0 nicio problema; 1 probleme gasite, sau documente lipsa la export;\n"
    "2 dosarul nu poate fi citit, exportul nu a putut fi facut sau comanda este gresita.\n";

void usageError(QTextStream &err, const QString &message)
{
    err << message << QStringLiteral("\nScrieti \"dosarium-arhiva --help\" pentru folosire.\n");
    err.flush();
}

QString megabytes(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

// The export's progress as one line of standard error that redraws itself.
class TerminalProgress final : public ExportProgress {
public:
    TerminalProgress(QTextStream &err, QString label) : m_err(err), m_label(std::move(label)) {}
    void begin(qint64 bytes, int documents) override
    {
        m_total = bytes;
        m_documents = documents;
        m_clock.start();
        draw();
    }
    void advance(qint64 bytes) override
    {
        m_done += bytes;
        if (m_clock.elapsed() >= m_lastDraw + 100)
            draw();
    }
    void documentDone() override
    {
        ++m_finished;
        if (m_clock.elapsed() >= m_lastDraw + 100)
            draw();
    }
    void end() override
    {
        m_err << '\r' << QString(m_width, QLatin1Char(' ')) << '\r';
        m_err.flush();
    }

private:
    void draw()
    {
        m_lastDraw = m_clock.elapsed();
        const int percent = m_total > 0 ? int(m_done * 100 / m_total) : 100;
        constexpr int kBar = 30;
        const int filled = percent * kBar / 100;
        const QString line = QStringLiteral("%1 [%2%3] %4%  %5/%6 documente")
                                 .arg(m_label, QString(filled, QLatin1Char('#')),
                                      QString(kBar - filled, QLatin1Char('.')))
                                 .arg(percent, 3)
                                 .arg(m_finished)
                                 .arg(m_documents);
        m_width = std::max(m_width, int(line.size()));
        m_err << '\r' << line;
        m_err.flush();
    }

    QTextStream &m_err;
    QString m_label;
    QElapsedTimer m_clock;
    qint64 m_lastDraw = 0;
    qint64 m_total = 0;
    qint64 m_done = 0;
    int m_documents = 0;
    int m_finished = 0;
    int m_width = 0;
};

QString summaryOf(const CheckResult &result)
{
    return QStringLiteral("Verificare: %1, %2 in arhiva")
        .arg(countText(result.acts, QStringLiteral("act"), QStringLiteral("acte")),
             countText(result.documents, QStringLiteral("document"), QStringLiteral("documente")));
}

// The check, with the decoding's progress on a terminal; nothing when it failed (said on `err`).
std::optional<CheckResult> check(const QString &dataDir, bool decode, QTextStream &err,
                                 bool terminal)
{
    TerminalProgress bar(err, QStringLiteral("Verificare"));
    try {
        return checkDataFolder(dataDir, {decode, terminal ? &bar : nullptr});
    } catch (const Error &e) {
        err << e.message() << '\n';
        err.flush();
        return std::nullopt;
    }
}

void printNotes(const CheckResult &result, QTextStream &out)
{
    for (const QString &note : result.notes)
        out << QStringLiteral("Nota: ") << note << '\n';
}

int verify(const QString &dataDir, bool repair, bool decode, QTextStream &out, QTextStream &err,
           bool terminal)
{
    const std::optional<CheckResult> first = check(dataDir, decode, err, terminal);
    if (!first)
        return StatusFailed;
    const CheckResult &found = *first;
    for (const Finding &f : std::as_const(found.findings))
        out << f.text << '\n';
    printNotes(found, out);
    const QString problems =
        countText(found.findings.size(), QStringLiteral("problema"), QStringLiteral("probleme"));
    if (!repair || (found.findings.isEmpty() && found.withoutFingerprint.empty() &&
                    found.rewrittenSame.empty())) {
        out << summaryOf(found)
            << (found.findings.isEmpty() ? QStringLiteral("; nicio problema.\n")
                                         : QStringLiteral("; %1.\n").arg(problems));
        out.flush();
        return found.findings.isEmpty() ? StatusClean : StatusFound;
    }
    const RepairResult repaired = repairDataFolder(dataDir, found);
    out << QStringLiteral("Reparatii:\n");
    for (const QString &line : repaired.done)
        out << QStringLiteral("  ") << line << '\n';
    if (repaired.done.isEmpty())
        out << QStringLiteral("  niciuna: problemele gasite cer hotararea unei persoane.\n");
    for (const QString &line : repaired.failed)
        out << QStringLiteral("  NEREPARAT: ") << line << '\n';
    const std::optional<CheckResult> second = check(dataDir, decode, err, terminal);
    if (!second)
        return StatusFailed;
    const CheckResult &after = *second;
    if (!after.findings.isEmpty()) {
        out << QStringLiteral("Raman de rezolvat de o persoana:\n");
        for (const Finding &f : std::as_const(after.findings))
            out << QStringLiteral("  ") << f.text << '\n';
    }
    out << summaryOf(after)
        << QStringLiteral("; %1 gasite, %2 raman.\n")
               .arg(problems, QString::number(after.findings.size()));
    out.flush();
    return after.findings.isEmpty() ? StatusClean : StatusFound;
}

int exportFolder(const QString &dataDir, const QString &destination, char separator,
                 QTextStream &out, QTextStream &err, bool terminal)
{
    TerminalProgress bar(err, QStringLiteral("Export"));
    ExportResult result;
    try {
        result = exportDataFolder(dataDir, destination, ExportOptions{separator},
                                  terminal ? &bar : nullptr);
    } catch (const Error &e) {
        if (terminal)
            bar.end();
        err << e.message() << '\n';
        err.flush();
        return StatusFailed;
    }
    for (const MissingDocument &m : std::as_const(result.missing))
        out << QStringLiteral("Lipseste documentul actului %1 (%2): %3.\n")
                   .arg(m.id)
                   .arg(m.archivePath, m.reason);
    if (!result.logProblem.isEmpty())
        out << result.logProblem << '\n';
    for (const QString &note : std::as_const(result.notes))
        out << note << '\n';
    out << QStringLiteral("Export incheiat in %1: %2 (%3) din %4")
               .arg(QDir::toNativeSeparators(destination),
                    countText(result.documents, QStringLiteral("document"),
                              QStringLiteral("documente")),
                    megabytes(result.bytes),
                    countText(result.acts, QStringLiteral("act"), QStringLiteral("acte")));
    if (!result.missing.isEmpty())
        out << QStringLiteral(", %1 fara document (vezi lipsa.csv)")
                   .arg(countText(result.missing.size(), QStringLiteral("act"),
                                  QStringLiteral("acte")));
    out << QStringLiteral("; acte.csv");
    if (result.logProblem.isEmpty())
        out << QStringLiteral(", jurnal.csv (%1)")
                   .arg(countText(result.logEntries, QStringLiteral("intrare"),
                                  QStringLiteral("intrari")));
    out << QStringLiteral(".\n");
    out.flush();
    return result.missing.isEmpty() && result.logProblem.isEmpty() ? StatusClean : StatusFound;
}

} // namespace

int runArchiveTool(const QStringList &arguments, QTextStream &out, QTextStream &err, bool terminal)
{
    if (arguments.isEmpty()) {
        usageError(err, QStringLiteral("Lipseste comanda: verifica sau exporta."));
        return StatusFailed;
    }
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        out << QString::fromLatin1(kHelp);
        out.flush();
        return StatusClean;
    }
    const QString command = arguments.first();
    bool repair = false;
    bool decode = true;
    char separator = ';';
    QStringList folders;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (command == QLatin1String("verifica") && a == QLatin1String("--repara")) {
            repair = true;
        } else if (command == QLatin1String("verifica") && a == QLatin1String("--rapid")) {
            decode = false;
        } else if (command == QLatin1String("exporta") && a == QLatin1String("--separator")) {
            const QString value = i + 1 < arguments.size() ? arguments.at(++i) : QString();
            if (value == QLatin1String(",") || value == QLatin1String(";")) {
                separator = char(value.at(0).unicode());
            } else if (value == QLatin1String("tab") || value == QLatin1String("\t")) {
                separator = '\t';
            } else {
                usageError(err, QStringLiteral("Separatorul poate fi ';', ',' sau 'tab'."));
                return StatusFailed;
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            usageError(err, QStringLiteral("Optiune necunoscuta: %1.").arg(a));
            return StatusFailed;
        } else {
            folders << a;
        }
    }
    if (command == QLatin1String("verifica")) {
        if (folders.size() != 1) {
            usageError(err, QStringLiteral("verifica cere un singur dosar de date."));
            return StatusFailed;
        }
        return verify(folders.at(0), repair, decode, out, err, terminal);
    }
    if (command == QLatin1String("exporta")) {
        if (folders.size() != 2) {
            usageError(err, QStringLiteral("exporta cere dosarul de date si dosarul in care "
                                           "se scrie exportul."));
            return StatusFailed;
        }
        return exportFolder(folders.at(0), folders.at(1), separator, out, err, terminal);
    }
    usageError(err, QStringLiteral("Comanda necunoscuta: %1.").arg(command));
    return StatusFailed;
}

} // namespace dosarium
