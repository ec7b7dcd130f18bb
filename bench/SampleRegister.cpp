#include "SampleRegister.h"

#include "app/ActsTable.h"
#include "platform/ProcessInfo.h"
#include "store/Engine.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"
#include "store/TableFile.h"

#include <QDate>
#include <QFile>
#include <QRandomGenerator>

namespace dosarium::bench {

void writeSampleRegister(const QString &dataDir, int acts)
{
    QFile::remove(resolveFileName(ActsTable::path(dataDir)));
    {
        // The table as the program makes and upgrades it.
        Query sx;
        Table tx;
        ActsTable::create(sx, dataDir, [] {});
        ActsTable::upgrade(sx, tx, dataDir, [] {});
    }
    const QString path = resolveFileName(ActsTable::path(dataDir));
    const TableLayout layout = Engine::readLayout(path);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    QByteArray header = layout.headerBytes;
    stampHeader(header.data(), quint32(acts), QDate::currentDate());
    out.write(header);
    QRandomGenerator rng(42);
    // Written a block at a time, so that a million acts never stand in memory at once.
    constexpr int kBlock = 4096;
    QByteArray records;
    auto set = [&](char *rec, const QString &name, const QString &value, bool number = false) {
        const Field &f = layout.fields.at(layout.fieldIndex(name));
        writeField(layout, f, rec, number ? Literal::ofNumber(value) : Literal::ofText(value));
    };
    for (int first = 0; first < acts; first += kBlock) {
        const int n = std::min(kBlock, acts - first);
        records.fill(' ', qsizetype(n) * layout.recordLength);
        for (int k = 0; k < n; ++k) {
            const int i = first + k;
            char *rec = records.data() + qsizetype(k) * layout.recordLength;
            const QDate d = QDate(2005, 1, 1).addDays(rng.bounded(20 * 365));
            const int domain = rng.bounded(200);
            set(rec, ActsTable::kId, QString::number(i + 1), true);
            set(rec, ActsTable::kYear, QString::number(d.year()), true);
            set(rec, ActsTable::kMonth, QString::number(d.month()), true);
            set(rec, ActsTable::kDate, d.toString(QStringLiteral("dd.MM.yyyy")));
            set(rec, ActsTable::kDomain, QStringLiteral("Domeniul %1").arg(domain));
            set(rec, ActsTable::kSubdomain,
                QStringLiteral("Subdomeniul %1.%2").arg(domain).arg(rng.bounded(40)));
            set(rec, ActsTable::kTitle,
                QStringLiteral("Titlul ").repeated(1 + rng.bounded(8)).trimmed());
            set(rec, ActsTable::kSeries, QStringLiteral("S%1").arg(rng.bounded(50)));
            set(rec, ActsTable::kNumber, QString::number(rng.bounded(5000)));
            set(rec, ActsTable::kCode, QStringLiteral("C%1").arg(rng.bounded(300)));
            set(rec, ActsTable::kExtension, QStringLiteral(".pdf"));
            set(rec, ActsTable::kNote,
                QStringLiteral("Observatie ").repeated(rng.bounded(20)).trimmed());
        }
        out.write(records);
    }
    out.write("\x1A", 1);
    out.close();
    // The counter goes on after the acts written, as in an office's folder.
    QFile settings(joinPath(dataDir, QStringLiteral("Dsm.in")));
    if (settings.open(QIODevice::WriteOnly | QIODevice::Truncate))
        settings.write((QStringLiteral("[INDEX]\r\n") + ActsTable::kId +
                        QStringLiteral("=%1\r\n").arg(acts + 1))
                           .toLatin1());
}

qint64 peakResidentBytes()
{
    return dosarium::peakResidentBytes();
}

} // namespace dosarium::bench
