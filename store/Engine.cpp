#include "store/Engine.h"

#include "store/ColumnTest.h"
#include "store/Error.h"
#include "store/FileLock.h"
#include "store/KeptRows.h"
#include "store/RowChange.h"

#include <QDir>
#include <QSet>
#include <QtEndian>

#include <cstring>
#include <numeric>

namespace dosarium {

namespace {

QByteArray blankRecord(const TableLayout &layout)
{
    return QByteArray(layout.recordLength, ' ');
}

} // namespace

int Engine::execute(const Statement &s)
{
    switch (s.kind) {
    case Statement::Kind::CreateTable:
        createTable(s);
        return 0;
    case Statement::Kind::AlterTableAdd:
        alterTable(s);
        return 0;
    case Statement::Kind::Insert:
        return insert(s);
    case Statement::Kind::Update:
    case Statement::Kind::Delete:
        return updateOrDelete(s);
    case Statement::Kind::Select:
        break;
    }
    throw Error(QStringLiteral("Instructiunea SELECT intoarce randuri: deschideti-o ca "
                               "interogare."));
}

void Engine::createTable(const Statement &s)
{
    TableFile::create(s.table, newTableLayout(s.columns));
}

void Engine::alterTable(const Statement &s)
{
    auto file = TableFile::open(s.table, TableFile::Mode::Exclusive);
    file->refuseUncountedRecords();
    TableSnapshot snap = file->readSnapshot();
    const TableLayout &old = snap.layout;
    if (old.isLevel7())
        throw Error(QStringLiteral("Structura tabelului %1 nu poate fi schimbata de acest "
                                   "program.")
                        .arg(file->path()));
    Field added = s.columns.first();
    added.name = added.name.toUpper();
    if (!isValidFieldName(added.name))
        throw Error(QStringLiteral("Numele de coloana \"%1\" nu este permis.").arg(added.name));
    if (old.fieldIndex(added.name) >= 0)
        throw Error(
            QStringLiteral("Coloana %1 exista deja in tabelul %2.").arg(added.name, file->path()));
    if (old.fields.size() >= 255 || old.recordLength + added.length > 65535)
        throw Error(QStringLiteral("Tabelul %1 nu mai poate primi coloane.").arg(file->path()));
    added.offset = old.recordLength;

    // The new header keeps the old descriptors and whatever followed their terminator.
    const int descriptorsEnd = 32 + 32 * int(old.fields.size());
    QByteArray header = old.headerBytes.left(descriptorsEnd);
    QByteArray descriptor(32, '\0');
    const QByteArray name = added.name.toLatin1();
    memcpy(descriptor.data(), name.constData(), size_t(name.size()));
    descriptor[11] = char(added.type);
    if (old.isLaterFamily())
        qToLittleEndian<quint32>(quint32(added.offset), descriptor.data() + 12);
    descriptor[16] = char(added.length & 0xFF);
    descriptor[17] = char(added.type == FieldType::Character ? 0 : added.decimals);
    header.append(descriptor);
    header.append('\x0D');
    if (old.headerBytes.size() > descriptorsEnd + 1)
        header.append(old.headerBytes.mid(descriptorsEnd + 1));
    const int newRecordLength = old.recordLength + added.length;
    qToLittleEndian<quint16>(quint16(header.size()), header.data() + 8);
    qToLittleEndian<quint16>(quint16(newRecordLength), header.data() + 10);
    stampHeader(header.data(), snap.count, QDate::currentDate());

    QByteArray records(qsizetype(snap.count) * newRecordLength, ' ');
    for (quint32 i = 0; i < snap.count; ++i)
        memcpy(records.data() + qsizetype(i) * newRecordLength,
               snap.records.constData() + qsizetype(i) * old.recordLength,
               size_t(old.recordLength));
    file->replace(header, records);
}

int Engine::insert(const Statement &s)
{
    auto file = TableFile::open(s.table, TableFile::Mode::Shared);
    int inserted = 0;
    file->modify([&](const TableLayout &layout, quint32 &count) {
        QByteArray record = blankRecord(layout);
        QVector<int> seen;
        for (int i = 0; i < s.insertColumns.size(); ++i) {
            const int index = layout.requireField(s.insertColumns.at(i), file->path());
            if (seen.contains(index))
                throw Error(
                    QStringLiteral("Coloana %1 apare de doua ori.").arg(s.insertColumns.at(i)));
            seen << index;
            writeStatementValue(layout, layout.fields.at(index), record.data(),
                                s.insertValues.at(i));
        }
        file->appendRecord(layout, count, record);
        inserted = 1;
    });
    return inserted;
}

int Engine::updateOrDelete(const Statement &s)
{
    RowChange change(s);
    change.search();
    return change.apply();
}

namespace {

// The layout of a column-list result: the chosen columns, each once, in their own records.
TableLayout projectColumns(const TableLayout &layout, const QStringList &columns,
                           const QString &path, QVector<int> *chosen)
{
    TableLayout projected = layout;
    projected.fields.clear();
    projected.headerBytes.clear();
    int offset = 1;
    for (const QString &c : columns) {
        const int index = layout.requireField(c, path);
        if (chosen->contains(index))
            continue;
        *chosen << index;
        Field f = layout.fields.at(index);
        f.offset = offset;
        offset += f.length;
        projected.fields << f;
    }
    projected.recordLength = offset;
    return projected;
}

void copyColumns(const TableLayout &from, const QVector<int> &chosen, const TableLayout &to,
                 const char *src, char *dst)
{
    dst[0] = ' ';
    for (int i = 0; i < chosen.size(); ++i) {
        const Field &f = from.fields.at(chosen.at(i));
        memcpy(dst + to.fields.at(i).offset, src + f.offset, size_t(f.length));
    }
}

} // namespace

RowSet Engine::select(const Statement &s)
{
    std::shared_ptr<TableFile> file = TableFile::open(s.table, TableFile::Mode::Shared);
    if (s.distinct)
        return selectDistinct(s, file);
    TableSnapshot snap = file->readSnapshot();
    RowSet set;
    set.tableName = file->path();
    set.notice = snap.notice;
    set.holder = file;
    const TableLayout &layout = snap.layout;
    set.rows.reserve(snap.count);
    for (quint32 i = 0; i < snap.count; ++i) {
        if (snap.records.at(qsizetype(i) * layout.recordLength) != '*')
            set.rows.push_back(i);
    }
    QVector<int> orderFields;
    for (const QString &c : s.orderBy)
        orderFields << layout.requireField(c, file->path());
    sortRows(layout, snap.records, set.rows, orderFields);

    if (s.selectAll) {
        set.layout = layout;
        set.data = std::move(snap.records);
        return set;
    }

    // A column list: the chosen columns are copied into records of their own.
    QVector<int> chosen;
    set.layout = projectColumns(layout, s.selectColumns, file->path(), &chosen);
    const qsizetype length = set.layout.recordLength;
    set.data = QByteArray(qsizetype(set.rows.size()) * length, Qt::Uninitialized);
    for (size_t r = 0; r < set.rows.size(); ++r) {
        copyColumns(layout, chosen, set.layout,
                    snap.records.constData() + qsizetype(set.rows[r]) * layout.recordLength,
                    set.data.data() + qsizetype(r) * length);
        set.rows[r] = quint32(r);
    }
    return set;
}

RowSet Engine::selectKept(const Statement &s, const QStringList &kept)
{
    if (!s.selectAll || s.distinct)
        return select(s);
    std::shared_ptr<TableFile> file = TableFile::open(s.table, TableFile::Mode::Shared);
    RowSet set;
    set.tableName = file->path();
    set.holder = file;
    set.kept = KeptRows::read(file, kept + s.orderBy, &set.notice);
    set.layout = set.kept->layout();
    orderKept(set, s);
    return set;
}

bool Engine::catchUpKept(RowSet &set, const Statement &s)
{
    if (!set.kept || !set.kept->catchUp())
        return false;
    orderKept(set, s);
    return true;
}

void Engine::orderKept(RowSet &set, const Statement &s)
{
    QVector<int> orderFields;
    for (const QString &c : s.orderBy)
        orderFields << set.layout.requireField(c, set.tableName);
    set.rows.resize(set.kept->size());
    std::iota(set.rows.begin(), set.rows.end(), 0u);
    // Stable sorts from the last column to the first give the order of all of them.
    for (qsizetype i = orderFields.size() - 1; i >= 0; --i)
        set.kept->sort(set.rows, orderFields.at(i), false);
}

RowSet Engine::selectDistinct(const Statement &s, const std::shared_ptr<TableFile> &file)
{
    RowSet set;
    set.tableName = file->path();
    set.holder = file;
    // Equal rows are dropped while the table is read, keeping the first of each, so that only
    // the chosen columns of the distinct rows are ever held.
    TableLayout source;
    QVector<int> chosen;
    QSet<QByteArray> seen;
    QByteArray key;
    quint32 kept = 0;
    set.notice = file->scanRecords(
        [&](const TableLayout &layout) {
            source = layout;
            set.layout = projectColumns(layout, s.selectColumns, file->path(), &chosen);
        },
        [&](const char *rec) {
            if (rec[0] == '*')
                return;
            key.clear();
            for (int index : chosen) {
                const Field &f = source.fields.at(index);
                if (f.type == FieldType::Character) {
                    const QByteArrayView v = fieldBytesTrimmed(f, rec);
                    key.append(v.data(), v.size());
                } else {
                    key.append(fieldText(source, f, rec).toLatin1());
                }
                key.append('\0');
            }
            if (seen.contains(key))
                return;
            seen.insert(key);
            const qsizetype at = set.data.size();
            set.data.resize(at + set.layout.recordLength);
            copyColumns(source, chosen, set.layout, rec, set.data.data() + at);
            ++kept;
        });
    set.rows.resize(kept);
    std::iota(set.rows.begin(), set.rows.end(), 0u);

    // Sort by the ORDER BY columns, then by the others, so that equal rows meet.
    const TableLayout &projected = set.layout;
    QVector<int> keys;
    for (const QString &c : s.orderBy) {
        const int index = projected.fieldIndex(c);
        if (index < 0)
            throw Error(QStringLiteral("ORDER BY %1: coloana trebuie sa fie in lista "
                                       "coloanelor cerute.")
                            .arg(c));
        if (!keys.contains(index))
            keys << index;
    }
    for (int i = 0; i < projected.fields.size(); ++i) {
        if (!keys.contains(i))
            keys << i;
    }
    sortRows(projected, set.data, set.rows, keys);
    std::vector<quint32> unique;
    unique.reserve(set.rows.size());
    for (quint32 r : set.rows) {
        if (!unique.empty()) {
            const char *prev = set.recordAt(unique.back());
            const char *cur = set.recordAt(r);
            bool same = true;
            for (const Field &f : projected.fields)
                same = same && compareField(projected, f, prev, cur) == 0;
            if (same)
                continue;
        }
        unique.push_back(r);
    }
    set.rows = std::move(unique);
    return set;
}

TableLayout Engine::readLayout(const QString &path)
{
    return TableFile::open(path, TableFile::Mode::Shared)->readHeader();
}

bool Engine::pack(TableFile &file)
{
    if (file.mode() != TableFile::Mode::Exclusive)
        throw TableInUseError(QStringLiteral("Tabelul %1 trebuie deschis doar pentru acest "
                                             "program ca sa poata fi refacut.")
                                  .arg(file.path()));
    file.refuseUncountedRecords();
    // A table without deleted rows stays the very file it is: no new file for the other users'
    // handles, no rewrite of a large table at every start.
    bool anyDeleted = false;
    file.scanRecords([](const TableLayout &) {},
                     [&anyDeleted](const char *record) { anyDeleted |= record[0] == '*'; });
    if (!anyDeleted)
        return false;

    TableSnapshot snap = file.readSnapshot();
    const qsizetype recLen = snap.layout.recordLength;
    QByteArray kept;
    kept.reserve(snap.records.size());
    quint32 live = 0;
    for (quint32 i = 0; i < snap.count; ++i) {
        const char *rec = snap.records.constData() + qsizetype(i) * recLen;
        if (rec[0] == '*')
            continue;
        kept.append(rec, recLen);
        ++live;
    }
    QByteArray header = snap.layout.headerBytes;
    stampHeader(header.data(), live, QDate::currentDate());
    file.replace(header, kept);
    return true;
}

} // namespace dosarium
