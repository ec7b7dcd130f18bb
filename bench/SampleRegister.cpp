#include "SampleRegister.h"

#include "platform/ProcessInfo.h"
#include "store/Engine.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Statement.h"
#include "store/TableFile.h"

#include <QDate>
#include <QFile>
#include <QRandomGenerator>

namespace dosarium::bench {

void writeSampleRegister(const QString &dataDir, int acts)
{
    const QString path = joinPath(dataDir, QStringLiteral("Acte.dbf"));
    QFile::remove(resolveFileName(path));
    Engine::execute(QStringLiteral("CREATE TABLE %1 (IDACT DECIMAL(10,0), ANUL DECIMAL(6,0), "
                                   "DATAACT DATE, DOMENIUL CHAR(60), SUBDOM CHAR(60), TITLU "
                                   "CHAR(60), SERIA CHAR(24), NR CHAR(24), COD CHAR(16), EXTENSIE "
                                   "CHAR(6), OBS CHAR(240), LUNA DECIMAL(6,0))")
                        .arg(quoteText(path)));
    auto file = TableFile::open(path, TableFile::Mode::Exclusive);
    const TableLayout layout = file->readSnapshot().layout;
    QRandomGenerator rng(42);
    QByteArray records(qsizetype(acts) * layout.recordLength, ' ');
    auto set = [&](char *rec, const char *name, const QString &value, bool number = false) {
        const Field &f = layout.fields.at(layout.fieldIndex(QString::fromLatin1(name)));
        writeField(layout, f, rec, number ? Literal::ofNumber(value) : Literal::ofText(value));
    };
    for (int i = 0; i < acts; ++i) {
        char *rec = records.data() + qsizetype(i) * layout.recordLength;
        const QDate d = QDate(2005, 1, 1).addDays(rng.bounded(20 * 365));
        const int domain = rng.bounded(200);
        set(rec, "IDACT", QString::number(i + 1), true);
        set(rec, "ANUL", QString::number(d.year()), true);
        set(rec, "LUNA", QString::number(d.month()), true);
        set(rec, "DATAACT", d.toString(QStringLiteral("dd.MM.yyyy")));
        set(rec, "DOMENIUL", QStringLiteral("DOMENIUL %1").arg(domain));
        set(rec, "SUBDOM", QStringLiteral("SUBDOMENIUL %1.%2").arg(domain).arg(rng.bounded(40)));
        set(rec, "TITLU", QStringLiteral("TITLU ").repeated(1 + rng.bounded(8)).trimmed());
        set(rec, "SERIA", QStringLiteral("S%1").arg(rng.bounded(50)));
        set(rec, "NR", QString::number(rng.bounded(5000)));
        set(rec, "COD", QStringLiteral("C%1").arg(rng.bounded(300)));
        set(rec, "EXTENSIE", QStringLiteral(".pdf"));
        set(rec, "OBS", QStringLiteral("Observatie ").repeated(rng.bounded(20)).trimmed());
    }
    QByteArray header = layout.headerBytes;
    stampHeader(header.data(), quint32(acts), QDate::currentDate());
    file->replace(header, records);
    // The counter goes on after the acts written, as in an office's folder.
    QFile settings(joinPath(dataDir, QStringLiteral("Dsm.in")));
    if (settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
        settings.write(QStringLiteral("[INDEX]\r\nIDACT=%1\r\n").arg(acts + 1).toLatin1());
}

qint64 peakResidentBytes()
{
    return dosarium::peakResidentBytes();
}

} // namespace dosarium::bench
