#include "Workstations.h"

#include "ProofFolder.h"
#include "Station.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryFile>

#include <memory>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>

namespace dosarium::proof {

QList<QStringList> StationRun::linesOf(const QString &kind, const QString &op) const
{
    QList<QStringList> out;
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.value(0) == kind && (op.isEmpty() || fields.value(1) == op))
            out.append(fields);
    }
    return out;
}

QString proofFolderBase()
{
    // DOSARIUM_PROOF_DIR chooses the disk; else memory when there is room, so that the tests
    // prove the program's logic at the same speed on any machine.
    const QByteArray chosen = qgetenv("DOSARIUM_PROOF_DIR");
    if (!chosen.isEmpty())
        return QString::fromLocal8Bit(chosen);
    const QString shm = QStringLiteral("/dev/shm");
    const QStorageInfo memory(shm);
    if (QFileInfo(shm).isDir() && memory.isValid() && !memory.isReadOnly() &&
        memory.bytesAvailable() > (qint64(48) << 20))
        return shm;
    return QDir::tempPath();
}

Workstations::Workstations(const QByteArray &archiveKey)
    : m_root(QDir(proofFolderBase()).filePath(QStringLiteral("dosarium-proof-XXXXXX")))
{
    const StationRun made =
        runForked({QStringLiteral("--home"), home(0), QStringLiteral("--station"),
                   QStringLiteral("SERVER"), QStringLiteral("start")});
    if (made.exitCode != 0)
        qFatal("the server installation did not start: %s", qPrintable(made.text()));
    QFile users(QDir(server()).filePath(QStringLiteral("ini.mpg")));
    if (!users.open(QIODevice::WriteOnly) ||
        users.write(userFileBytes({{"ADMIN", archiveKey, 0}, {"OPERATOR", "OP1", 1}})) < 0)
        qFatal("cannot write the user file");
}

Workstations::Workstations(Empty)
    : m_root(QDir(proofFolderBase()).filePath(QStringLiteral("dosarium-proof-XXXXXX")))
{}

namespace {

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &entry :
         source.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir())
            copyTree(entry.filePath(), target);
        else if (!QFile::copy(entry.filePath(), target))
            qFatal("cannot copy %s", qPrintable(entry.filePath()));
    }
}

} // namespace

std::unique_ptr<Workstations> Workstations::copy() const
{
    std::unique_ptr<Workstations> twin(new Workstations(Empty{}));
    copyTree(root(), twin->root());
    return twin;
}

StationRun Workstations::runForked(const QStringList &args, qint64 killAfterUs) const
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        qFatal("no pipe");
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0)
        qFatal("no fork");
    if (pid == 0) {
        ::close(pipeFds[0]);
        const int out = pipeFds[1];
        const int code = runWorkstation(args, [out](const QString &line) {
            const QByteArray bytes = line.toUtf8() + '\n';
            for (qsizetype done = 0; done < bytes.size();) {
                const ssize_t n =
                    ::write(out, bytes.constData() + done, size_t(bytes.size() - done));
                if (n <= 0)
                    break;
                done += n;
            }
        });
        _exit(code);
    }
    ::close(pipeFds[1]);
    QByteArray collected;
    QElapsedTimer clock;
    clock.start();
    bool killSent = false;
    for (;;) {
        timespec wait{};
        const timespec *timeout = nullptr;
        if (killAfterUs >= 0 && !killSent) {
            const qint64 leftNs = killAfterUs * 1000 - clock.nsecsElapsed();
            if (leftNs <= 0) {
                ::kill(pid, SIGKILL);
                killSent = true;
                continue;
            }
            wait.tv_sec = time_t(leftNs / 1000000000);
            wait.tv_nsec = long(leftNs % 1000000000);
            timeout = &wait;
        }
        pollfd readable{pipeFds[0], POLLIN, 0};
        const int ready = ppoll(&readable, 1, timeout, nullptr);
        if (ready == 0 || (ready < 0 && errno == EINTR))
            continue;
        char buffer[4096];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        collected.append(buffer, n);
    }
    ::close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    StationRun r;
    r.killed = WIFSIGNALED(status);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.lines = QString::fromUtf8(collected).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return r;
}

QString Workstations::server() const
{
    return QDir(home(0)).filePath(QStringLiteral("Data"));
}

QString Workstations::home(int station) const
{
    return QDir(m_root.path()).filePath(QStringLiteral("statia%1").arg(station));
}

QStringList Workstations::stationArgs(int station, quint64 seed) const
{
    return {QStringLiteral("--home"),    home(station),
            QStringLiteral("--server"),  server(),
            QStringLiteral("--station"), name(station),
            QStringLiteral("--seed"),    QString::number(seed)};
}

QString Workstations::executable()
{
    return QStringLiteral(DOSARIUM_WORKSTATION);
}

QList<StationRun> Workstations::runTogether(const QList<QStringList> &args, int timeoutMs) const
{
    // The output goes to files, so that no process waits on a full pipe while another is read.
    std::vector<std::unique_ptr<QProcess>> processes;
    std::vector<std::unique_ptr<QTemporaryFile>> outputs;
    for (const QStringList &a : args) {
        auto out = std::make_unique<QTemporaryFile>();
        if (!out->open())
            qFatal("cannot make an output file");
        auto p = std::make_unique<QProcess>();
        p->setStandardOutputFile(out->fileName());
        p->start(executable(), a);
        processes.push_back(std::move(p));
        outputs.push_back(std::move(out));
    }
    QList<StationRun> runs;
    for (size_t i = 0; i < processes.size(); ++i) {
        QProcess *p = processes[i].get();
        StationRun r;
        if (!p->waitForFinished(timeoutMs)) {
            p->kill();
            p->waitForFinished();
            r.errors = QStringLiteral("(timed out)");
        }
        r.killed = p->exitStatus() == QProcess::CrashExit;
        r.exitCode = r.killed ? -1 : p->exitCode();
        r.lines =
            QString::fromUtf8(outputs[i]->readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors += QString::fromUtf8(p->readAllStandardError());
        runs.append(r);
    }
    return runs;
}

} // namespace dosarium::proof
