// The header of a dBase table file: version, code page, record shape and column descriptors.
#pragma once

#include "store/CodePage.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVector>

namespace dosarium {

enum class FieldType : char {
    Character = 'C',
    Numeric = 'N',
    Float = 'F',
    Date = 'D',
    Logical = 'L',
    Memo = 'M',
};

struct Field {
    QString name; // upper case, as stored
    FieldType type = FieldType::Character;
    int length = 0; // bytes in the record
    int decimals = 0;
    int offset = 0; // from the start of the record, the deletion flag being byte 0

    bool isNumber() const { return type == FieldType::Numeric || type == FieldType::Float; }
};

struct TableLayout {
    quint8 version = 0x03;
    quint8 languageDriver = 0x57;
    int headerLength = 0;
    int recordLength = 0;
    quint32 declaredCount = 0; // record count as the header states it
    QVector<Field> fields;
    QByteArray headerBytes; // the whole header as read (kept when the file is rewritten)
    const CodePage *codePage = &CodePage::windows1250();

    int fieldIndex(const QString &name) const; // -1 when absent; letter case ignored
    // Like fieldIndex(), but a missing column throws Error naming it and `tableName`.
    int requireField(const QString &name, const QString &tableName) const;
    bool isLevel7() const { return version == 0x04 || version == 0x8C; }
    bool isLaterFamily() const { return version == 0x30 || version == 0x31 || version == 0x32; }
    // The same columns and records as `other`, whatever the count and the date of the last change.
    bool sameShape(const TableLayout &other) const
    {
        return headerLength == other.headerLength && recordLength == other.recordLength &&
               headerBytes.mid(8) == other.headerBytes.mid(8);
    }
};

// Reads a header from the first bytes of a file. `head` holds at least the declared header
// length (or all of a shorter file); `fileSize` bounds what the header may claim.
// Throws DamagedTableError naming `fileName` and what is wrong.
TableLayout parseTableHeader(const QByteArray &head, qint64 fileSize, const QString &fileName);

// Bytes to read before parseTableHeader can work: the declared header length, or 32.
int declaredHeaderLength(const QByteArray &first32);

// A new table's header (version 0x03, language driver 0x57), without records.
// Throws Error for an impossible column list.
TableLayout newTableLayout(const QVector<Field> &columns);

// Header bytes for `layout` holding `count` records, stamped with `today`. For tables read from
// disk the original header is kept and only count and date change; otherwise it is built from
// the fields (III/IV layout).
QByteArray buildHeader(const TableLayout &layout, quint32 count, const QDate &today);
void stampHeader(char *header32, quint32 count, const QDate &today);

// Records of a file of `fileSize` bytes that lie fully inside it.
quint32 recordsInFile(const TableLayout &layout, qint64 fileSize);

bool isValidFieldName(const QString &name);

} // namespace dosarium
