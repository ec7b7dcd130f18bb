#include "Station.h"

#include "ProofFolder.h"
#include "access/ArchiveRecoding.h"
#include "access/Session.h"
#include "access/UserAdministration.h"
#include "access/UserFile.h"
#include "app/Workspace.h"
#include "archive/ProgressSink.h"
#include "register/ActJournal.h"
#include "register/ActOperations.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace dosarium;

namespace dosarium::proof {

namespace {

const QStringList kDomains = {QStringLiteral("CONTRACTE"), QStringLiteral("FACTURI"),
                              QStringLiteral("DECIZII")};
const QStringList kSubdomains = {QStringLiteral("FURNIZORI"), QStringLiteral("CLIENTI")};
const QStringList kExtensions = {QStringLiteral(".pdf"), QStringLiteral(".jpg"),
                                 QStringLiteral(".tif"), QString()};

// Where the lines go: the workstation's standard output, or what a test hands in.
StationOutput output;

void say(const QString &line)
{
    if (output)
        output(line);
}

QString tabbed(const QStringList &parts)
{
    QStringList clean = parts;
    for (QString &p : clean)
        p.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return clean.join(QLatin1Char('\t'));
}

// The data folder becomes read-only for this process alone: a private mount namespace with the
// folder bound onto itself read-only. False where the system does not allow it.
bool makeReadOnly(const QString &folder)
{
#ifdef _WIN32
    Q_UNUSED(folder);
    return false; // Linux mount namespaces only
#else
    if (unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return false;
        const auto write = [](const char *path, const QByteArray &text) {
            const int fd = ::open(path, O_WRONLY);
            if (fd < 0)
                return false;
            const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
            ::close(fd);
            return ok;
        };
        write("/proc/self/setgroups", "deny");
        if (!write("/proc/self/uid_map", QByteArray("0 ") + QByteArray::number(uid) + " 1") ||
            !write("/proc/self/gid_map", QByteArray("0 ") + QByteArray::number(gid) + " 1"))
            return false;
    }
    const QByteArray path = QFile::encodeName(folder);
    return mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount(path.constData(), path.constData(), nullptr, MS_BIND | MS_REC, nullptr) == 0 &&
           mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) ==
               0;
#endif
}

class Station {
public:
    Station(const QString &home, const QString &server, const QString &name, quint64 seed)
        : m_workspace(Workstation{home, name, QStringLiteral("proba")}), m_server(server),
          m_name(name), m_random(seed),
          m_acts(m_workspace, [this] { return ReadArchiveKey(m_workspace.context().DataDir); })
    {
        m_workspace.setReports({
            [this] { step(); },
            [this](int, const QString &) { step(); },
            [this] { step(); },
            [this] { step(); },
            [](const QString &message) {
                say(tabbed({QStringLiteral("ERROR"), message}));
            },
            [](const QString &message) {
                say(tabbed({QStringLiteral("NOTICE"), message}));
            },
        });
    }

    void setLargest(qint64 bytes) { m_largest = bytes; }
    void setCrashAtStep(int step) { m_crashAt = step; }
    void setFileSizeLimit(qint64 bytes) { m_limit = bytes; }
    // From here on steps count towards the crash, and the disk takes files up to the limit.
    void arm()
    {
        m_armed = true;
        m_steps = 0;
        limitFileSize(m_limit);
    }
    // The disk has room again and no crash comes.
    void disarm()
    {
        m_armed = false;
        limitFileSize(-2);
    }
    int steps() const { return m_steps; }

    // The windows' order: local folders and tables, the server folder, pack and trim.
    void start()
    {
        m_workspace.prepareFolders();
        QStringList notices = m_workspace.CheckDataFiles();
        m_workspace.CreateTables();
        m_workspace.UpgradeActe();
        if (!m_server.isEmpty() &&
            m_workspace.ReadSetting(QStringLiteral("CONST"), QStringLiteral("SERVER")) != m_server)
            m_workspace.WriteSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"), m_server);
        if (!m_workspace.chooseDataFolder().isEmpty())
            notices += m_workspace.CheckDataFiles();
        if (m_workspace.worksLocally())
            m_workspace.PackTable(m_workspace.actePath());
        m_workspace.TrimLog();
        // As the main window's first showing does: an interrupted re-coding, then an
        // interrupted act operation, brought to an end.
        ArchiveRecoding recoding(m_workspace,
                                 [this] { return ReadArchiveKey(m_workspace.context().DataDir); });
        if (recoding.finishPending(m_workspace.progress()))
            notices << QStringLiteral("Recodarea arhivei intrerupta a fost dusa la capat.");
        notices << ActJournal(m_workspace.context()).finishPending();
        for (const QString &notice : std::as_const(notices)) {
            if (!notice.isEmpty())
                m_workspace.showNotice(notice);
        }
    }

    bool signIn(const QString &name, const QString &password)
    {
        const UserEntry user = SignIn(m_workspace.context().DataDir, name, password);
        if (user.isEmpty())
            return false;
        m_user = user;
        m_typedName = name;
        m_workspace.WriteLog(SessionTexts::SignedInLog);
        return true;
    }

    // The administrator window's password change of `name`: for ADMIN, the archive key, with
    // the re-coding of the whole archive.
    void password(const QString &name, const QString &newPassword)
    {
        run(QStringLiteral("password"), {name, newPassword}, [&] {
            UserAdministration admin(
                m_workspace, {[this] { return m_user; },
                              [this](const QByteArray &password) { m_user.Password = password; },
                              [this] { return m_typedName; }});
            admin.open();
            admin.changePassword(name, newPassword, m_workspace.progress());
            admin.close();
            return QStringList();
        });
    }

    void add(int count)
    {
        for (int i = 0; i < count; ++i) {
            ActEntry act = newEntry();
            run(QStringLiteral("add"), {act.nr, act.obs}, [&] {
                const QString id = m_acts.add(act, m_workspace.progress());
                return QStringList{id};
            });
            QFile::remove(act.file);
        }
    }

    // The register is read once; the workstation's own acts change only through it meanwhile.
    void mixed(int count)
    {
        static const QStringList kinds = {QStringLiteral("obs"), QStringLiteral("file"),
                                          QStringLiteral("move"), QStringLiteral("movefile"),
                                          QStringLiteral("delete")};
        QList<StoredAct> own = ownActs();
        for (int i = 0; i < count && !own.isEmpty(); ++i) {
            const int chosen = pick(own.size());
            const QString kind = kinds.at(pick(kinds.size()));
            if (kind == QLatin1String("delete")) {
                if (remove(own.at(chosen)))
                    own.removeAt(chosen);
            } else if (const std::optional<StoredAct> changed = modify(own.at(chosen), kind)) {
                own[chosen] = *changed;
            }
        }
    }

    void modify(const QString &id, const QString &kind)
    {
        const std::optional<StoredAct> act = storedAct(id);
        if (!act) {
            say(tabbed({QStringLiteral("ERROR"), QStringLiteral("modify"), id,
                        QStringLiteral("no such act")}));
            return;
        }
        modify(*act, kind);
    }

    void remove(const QString &id)
    {
        if (const std::optional<StoredAct> act = storedAct(id))
            remove(*act);
        else
            say(tabbed({QStringLiteral("ERROR"), QStringLiteral("delete"), id,
                        QStringLiteral("no such act")}));
    }

    void log(int count)
    {
        for (int i = 0; i < count; ++i) {
            const QString text = QStringLiteral("Proba %1 %2").arg(m_name).arg(i);
            run(QStringLiteral("log"), {text}, [&] {
                m_workspace.WriteLog(text);
                return QStringList();
            });
        }
    }

    void ids(int count)
    {
        for (int i = 0; i < count; ++i)
            run(QStringLiteral("ids"), {},
                [&] { return QStringList{m_workspace.NextId(QStringLiteral("IDLOG"))}; });
    }

    // The administrator window's save: ADMIN keeps its password (and so the archive its key),
    // the other users change with the variant.
    void users(int variant)
    {
        const QString dataDir = m_workspace.context().DataDir;
        run(QStringLiteral("users"), {QString::number(variant)}, [&] {
            QList<UserEntry> entries{
                UserEntry{QByteArrayLiteral("ADMIN"), ReadArchiveKey(dataDir), RankAdministrator}};
            for (int u = 0; u < 3 + variant % 5; ++u)
                entries.append(UserEntry::fromText(QStringLiteral("OPERATOR%1").arg(u),
                                                   QStringLiteral("P%1").arg(variant),
                                                   RankOperator));
            const QString notice = WriteUserFile(dataDir, entries);
            if (!notice.isEmpty())
                m_workspace.showNotice(notice);
            return QStringList();
        });
    }

    void pack()
    {
        run(QStringLiteral("pack"), {}, [&] {
            const QString notice = m_workspace.PackTable(m_workspace.actePath());
            if (!notice.isEmpty())
                m_workspace.showNotice(notice);
            return QStringList();
        });
    }

private:
    void step()
    {
        ++m_steps;
        if (m_armed && m_steps == m_crashAt)
#ifdef _WIN32
            std::_Exit(137); // ends at once, as a killed process
#else
            ::kill(getpid(), SIGKILL);
#endif
    }

    int pick(int n)
    {
        return int(std::uniform_int_distribution<int>(0, n - 1)(m_random));
    }

    // A full disk: a write that would make a file larger than the limit fails (EFBIG) instead
    // of ending the process. The limit is a soft one, so that the scans the person chooses can
    // be written outside it.
    // -1 leaves the disk alone, -2 lifts the limit.
    static void limitFileSize(qint64 bytes)
    {
        if (bytes == -1)
            return;
#ifdef _WIN32
        say(QStringLiteral("UNSUPPORTED\tfile-size-limit")); // Linux only
#else
        signal(SIGXFSZ, SIG_IGN);
        const rlimit size{bytes < 0 ? RLIM_INFINITY : rlim_t(bytes), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &size);
#endif
    }

    // A scan of a random size written to the temporary folder; its tag goes into OBS.
    QString newScan(QString *tag)
    {
        const quint64 seed = m_random();
        const int band = pick(10);
        const qint64 limit = band < 3 ? 2000 : band < 8 ? 30000 : m_largest;
        const qint64 size =
            std::uniform_int_distribution<qint64>(0, std::max<qint64>(0, limit))(m_random);
        const QString path =
            joinPath(m_workspace.context().TempDir,
                     QStringLiteral("scan-%1%2").arg(seed).arg(kExtensions.at(pick(4))));
        limitFileSize(-2); // the person's own scan is written outside the limit
        QFile file(path);
        const bool written =
            file.open(QIODevice::WriteOnly) && file.write(proof::sourceBytes(seed, size)) == size;
        file.close();
        if (m_armed)
            limitFileSize(m_limit);
        if (!written)
            throw Error(QStringLiteral("cannot write the scan %1").arg(path));
        *tag = proof::sourceTag(seed, size);
        return path;
    }

    QDate randomDate()
    {
        return QDate(2001 + pick(4), 1 + pick(12), 1 + pick(28));
    }

    ActEntry newEntry()
    {
        ++m_added;
        ActEntry act;
        act.date = randomDate();
        act.seria = m_name;
        act.nr = QStringLiteral("%1-%2").arg(m_name).arg(m_added);
        act.cod = QStringLiteral("C%1").arg(pick(100));
        act.domeniul = kDomains.at(pick(kDomains.size()));
        act.subdom = kSubdomains.at(pick(kSubdomains.size()));
        act.titlu = QStringLiteral("TITLU %1").arg(pick(20));
        act.file = newScan(&act.obs);
        return act;
    }

    static ActEntry entryOf(const StoredAct &act)
    {
        ActEntry e;
        e.date = act.date;
        e.seria = act.seria;
        e.nr = act.nr;
        e.cod = act.cod;
        e.domeniul = act.domeniul;
        e.subdom = act.subdom;
        e.titlu = act.titlu;
        e.obs = act.obs;
        return e;
    }

    // Returns the act as it is stored afterwards, nothing when the change failed.
    std::optional<StoredAct> modify(const StoredAct &act, const QString &kind)
    {
        ActEntry edited = entryOf(act);
        edited.file = m_acts.archivedFile(act);
        const std::optional<proof::SourceTag> tag = proof::parseSourceTag(act.obs);
        QString obs = tag ? proof::sourceTag(tag->seed, tag->size) : QString();
        if (kind == QLatin1String("file") || kind == QLatin1String("movefile"))
            edited.file = newScan(&obs);
        if (kind == QLatin1String("move") || kind == QLatin1String("movefile")) {
            do
                edited.date = randomDate();
            while (edited.date.year() == act.year);
            if (pick(2) == 0)
                edited.domeniul = kDomains.at(pick(kDomains.size()));
        }
        edited.obs = obs + QStringLiteral(" | schimbat %1").arg(pick(1000));
        const bool newFile = edited.file != m_acts.archivedFile(act);
        const QString extension = newFile ? fileExtension(edited.file) : act.extensie;
        const bool done = run(QStringLiteral("modify"),
                              {act.id, kind, QString::number(edited.date.year()), edited.domeniul,
                               edited.subdom, edited.obs, extension},
                              [&] {
                                  m_acts.modify(act, edited, m_workspace.progress());
                                  return QStringList{act.id};
                              });
        if (newFile)
            QFile::remove(edited.file);
        if (!done)
            return std::nullopt;
        StoredAct now = act;
        now.date = edited.date;
        now.year = edited.date.year();
        now.domeniul = edited.domeniul;
        now.obs = edited.obs;
        now.extensie = extension;
        return now;
    }

    bool remove(const StoredAct &act)
    {
        return run(QStringLiteral("delete"), {act.id}, [&] {
            m_acts.remove(act);
            return QStringList{act.id};
        });
    }

    QList<StoredAct> readActs()
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(m_workspace.actePath()));
        q.open();
        QList<StoredAct> acts;
        for (q.first(); !q.eof(); q.next())
            acts.append({q.asString(QStringLiteral("IDACT")), q.asInteger(QStringLiteral("ANUL")),
                         q.asDate(QStringLiteral("DATAACT")), q.asString(QStringLiteral("SERIA")),
                         q.asString(QStringLiteral("NR")), q.asString(QStringLiteral("COD")),
                         q.asString(QStringLiteral("DOMENIUL")),
                         q.asString(QStringLiteral("SUBDOM")), q.asString(QStringLiteral("TITLU")),
                         q.asString(QStringLiteral("OBS")),
                         q.asString(QStringLiteral("EXTENSIE"))});
        return acts;
    }

    QList<StoredAct> ownActs()
    {
        QList<StoredAct> own;
        for (const StoredAct &act : readActs()) {
            if (act.seria == m_name)
                own.append(act);
        }
        return own;
    }

    std::optional<StoredAct> storedAct(const QString &id)
    {
        for (const StoredAct &act : readActs()) {
            if (act.id == id)
                return act;
        }
        return std::nullopt;
    }

    // One operation between its BEGIN and DONE lines; a failure is printed, never fatal.
    template <typename F> bool run(const QString &op, const QStringList &details, F &&body)
    {
        say(tabbed(QStringList{QStringLiteral("BEGIN"), op} + details));
        try {
            const QStringList result = body();
            say(tabbed(QStringList{QStringLiteral("DONE"), op} + result));
            return true;
        } catch (const ActRefused &refused) {
            m_failed = true;
            say(tabbed({QStringLiteral("ERROR"), op,
                        refused.title() + QStringLiteral(": ") + refused.message().trimmed()}));
        } catch (const std::exception &) {
            m_failed = true;
            say(tabbed(
                {QStringLiteral("ERROR"), op, Workspace::failureText(std::current_exception())}));
        }
        return false;
    }

public:
    bool failed() const
    {
        return m_failed;
    }
    Workspace &workspace()
    {
        return m_workspace;
    }

private:
    Workspace m_workspace;
    QString m_server;
    QString m_name;
    std::mt19937_64 m_random;
    ActOperations m_acts;
    UserEntry m_user;
    QString m_typedName;
    qint64 m_largest = 120000;
    qint64 m_limit = -1;
    int m_added = 0;
    int m_steps = 0;
    int m_crashAt = -1;
    bool m_armed = false;
    bool m_failed = false;
};

int usage()
{
    say(QStringLiteral("ERROR\tusage: --home DIR [--server DIR] [--station NAME] [--seed N] "
                       "[--crash-at-step N] [--file-size-limit BYTES] [--read-only] "
                       "[--largest BYTES] COMMAND..."));
    return 2;
}

} // namespace

int runWorkstation(const QStringList &args, const StationOutput &out)
{
    output = out;
    QString home, server, name = QStringLiteral("STATIA1");
    quint64 seed = 1;
    int crashAt = -1;
    qint64 limit = -1, largest = 120000;
    bool readOnly = false;
    QStringList commands;
    for (int i = 0; i < args.size(); ++i) {
        const QString arg = args.at(i);
        const auto value = [&] { return i + 1 < args.size() ? args.at(++i) : QString(); };
        if (arg == QLatin1String("--home"))
            home = value();
        else if (arg == QLatin1String("--server"))
            server = value();
        else if (arg == QLatin1String("--station"))
            name = value();
        else if (arg == QLatin1String("--seed"))
            seed = value().toULongLong();
        else if (arg == QLatin1String("--crash-at-step"))
            crashAt = value().toInt();
        else if (arg == QLatin1String("--file-size-limit"))
            limit = value().toLongLong();
        else if (arg == QLatin1String("--largest"))
            largest = value().toLongLong();
        else if (arg == QLatin1String("--read-only"))
            readOnly = true;
        else
            commands << arg;
    }
    if (home.isEmpty() || commands.isEmpty())
        return usage();

    // Before any thread exists: a private mount namespace needs a process of one thread.
    if (readOnly &&
        !makeReadOnly(server.isEmpty() ? joinPath(home, QStringLiteral("Data")) : server)) {
        say(QStringLiteral("UNSUPPORTED\tread-only"));
        return 77;
    }
    Station station(home, server, name, seed);
    station.setLargest(largest);
    station.setCrashAtStep(crashAt);
    station.setFileSizeLimit(limit);
    for (int i = 0; i < commands.size(); ++i) {
        const QString command = commands.at(i);
        const auto next = [&] { return i + 1 < commands.size() ? commands.at(++i) : QString(); };
        try {
            if (command == QLatin1String("start")) {
                station.start();
                say(QStringLiteral("DONE\tstart"));
            } else if (command == QLatin1String("signin")) {
                const QString user = next();
                const QString password = next();
                say(station.signIn(user, password) ? QStringLiteral("DONE\tsignin")
                                                   : QStringLiteral("ERROR\tsignin\trefused"));
            } else if (command == QLatin1String("add")) {
                station.add(next().toInt());
            } else if (command == QLatin1String("mixed")) {
                station.mixed(next().toInt());
            } else if (command == QLatin1String("modify")) {
                const QString id = next();
                station.modify(id, next());
            } else if (command == QLatin1String("delete")) {
                station.remove(next());
            } else if (command == QLatin1String("log")) {
                station.log(next().toInt());
            } else if (command == QLatin1String("ids")) {
                station.ids(next().toInt());
            } else if (command == QLatin1String("users")) {
                station.users(next().toInt());
            } else if (command == QLatin1String("password")) {
                const QString user = next();
                station.password(user, next());
            } else if (command == QLatin1String("pack")) {
                station.pack();
            } else if (command == QLatin1String("arm")) {
                station.arm();
            } else if (command == QLatin1String("disarm")) {
                station.disarm();
            } else {
                return usage();
            }
        } catch (const std::exception &) {
            say(tabbed({QStringLiteral("ERROR"), command,
                        Workspace::failureText(std::current_exception())}));
            return 1;
        }
    }
    say(QStringLiteral("STEPS\t%1").arg(station.steps()));
    return station.failed() ? 1 : 0;
}

} // namespace dosarium::proof
