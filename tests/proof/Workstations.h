// Workstations started as real processes on one shared data folder, for the proof tests: a
// temporary root holding the server installation (whose data folder the others share) and one
// folder per workstation.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace dosarium::proof {

// What one workstation printed and how it ended.
struct StationRun {
    int exitCode = -1;
    bool killed = false; // ended by a signal
    QStringList lines;   // its output lines, tab separated fields
    QString errors;      // what it wrote to stderr

    // The fields of every line that starts with `kind` ("DONE", "BEGIN", ...) and the op.
    QList<QStringList> linesOf(const QString &kind, const QString &op = QString()) const;
    QString text() const { return lines.join(QLatin1Char('\n')) + errors; }
};

// ADMIN's password in the shared folders the tests make: the archive key.
inline constexpr char kArchiveKey[] = "CHEIA-9";

class Workstations {
public:
    // The server installation started once: its tables made, and the user file holding ADMIN
    // with the archive key and OPERATOR with the password OP1.
    explicit Workstations(const QByteArray &archiveKey = QByteArray(kArchiveKey));

    QString root() const { return m_root.path(); }
    // The shared data folder.
    QString server() const;
    QString home(int station) const;
    static QString name(int station) { return QStringLiteral("STATIA%1").arg(station); }

    // The arguments that make workstation `station` work on the shared folder.
    QStringList stationArgs(int station, quint64 seed) const;

    // A new root holding a copy of this one's folders.
    std::unique_ptr<Workstations> copy() const;

    // Runs one workstation in a child process of this one (the same code without loading a
    // program: much faster under the sanitizers), to its end, or killed (SIGKILL) `killAfterUs`
    // microseconds after it began unless it ended before.
    StationRun runForked(const QStringList &args, qint64 killAfterUs = -1) const;
    // Runs several workstations at once, each the executable as a process of its own, and waits
    // for all of them (killing one that is not done after `timeoutMs`).
    QList<StationRun> runTogether(const QList<QStringList> &args, int timeoutMs = 120000) const;

    static QString executable();

private:
    struct Empty {};
    explicit Workstations(Empty);

    QTemporaryDir m_root;
};

// Where the tests' data folders go: $DOSARIUM_PROOF_DIR, else /dev/shm when it has room, else the
// temporary folder.
QString proofFolderBase();

} // namespace dosarium::proof
