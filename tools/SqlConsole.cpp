#include "tools/SqlConsole.h"

#include "store/Engine.h"
#include "store/Error.h"
#include "store/RecordFilter.h"
#include "tools/FieldTextUtf8.h"

#include <optional>

namespace dosarium {

namespace {

// Rows are gathered into blocks of about this size and written at once: a write per row, or a
// QString per value, cost several times what the sorting does.
constexpr qsizetype kBlockBytes = 1 << 20;

class Output {
public:
    explicit Output(QIODevice &device) : m_device(device) { m_block.reserve(kBlockBytes + 4096); }
    QByteArray &block() { return m_block; }
    void flushIfFull()
    {
        if (m_block.size() >= kBlockBytes)
            flush();
    }
    void flush()
    {
        if (m_block.isEmpty())
            return;
        if (m_device.write(m_block) != m_block.size())
            throw Error(QStringLiteral("Nu pot scrie rezultatul: %1.").arg(m_device.errorString()));
        m_block.resize(0);
    }

private:
    QIODevice &m_device;
    QByteArray m_block;
};

void writeRows(const RowSet &rows, const QString &filter, Output &out)
{
    const TableLayout &layout = rows.layout;
    std::optional<RecordFilter> test;
    if (!filter.trimmed().isEmpty())
        test.emplace(filter, layout, rows.tableName);
    QByteArray &block = out.block();
    for (qsizetype c = 0; c < layout.fields.size(); ++c) {
        if (c > 0)
            block.append('\t');
        block.append(layout.fields.at(c).name.toUtf8());
    }
    block.append('\n');
    const FieldTextUtf8 text(layout);
    QByteArray value;
    for (int r = 0; r < rows.size(); ++r) {
        const char *record = rows.record(r);
        if (test && !test->matches(record))
            continue;
        for (qsizetype c = 0; c < layout.fields.size(); ++c) {
            if (c > 0)
                block.append('\t');
            value.resize(0);
            text.append(value, layout.fields.at(c), record);
            appendEscaped(block, value);
        }
        block.append('\n');
        out.flushIfFull();
    }
}

} // namespace

QStringList splitStatements(const QString &input)
{
    QStringList statements;
    QStringList current;
    auto finish = [&] {
        while (!current.isEmpty() && current.last().trimmed().isEmpty())
            current.removeLast();
        if (!current.isEmpty())
            statements << current.join(QLatin1Char('\n'));
        current.clear();
    };
    const QStringList lines = input.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed() == QLatin1String(";")) {
            finish();
        } else {
            current << line;
        }
    }
    finish();
    return statements;
}

QString escapeValue(const QString &value)
{
    QByteArray out;
    appendEscaped(out, value.toUtf8());
    return QString::fromUtf8(out);
}

int runStatements(const QStringList &statements, const QString &filter, QIODevice &device,
                  QTextStream &err)
{
    Output out(device);
    for (const QString &text : statements) {
        try {
            const Statement s = parseStatement(text);
            if (!s.returnsRows()) {
                Engine::execute(s);
                continue;
            }
            const RowSet rows = Engine::select(s);
            if (!rows.notice.isEmpty())
                err << rows.notice << '\n';
            writeRows(rows, filter, out);
        } catch (const Error &e) {
            try {
                out.flush();
            } catch (const Error &) {
            }
            err << e.message() << '\n';
            err.flush();
            return 1;
        }
    }
    try {
        out.flush();
    } catch (const Error &e) {
        err << e.message() << '\n';
        err.flush();
        return 1;
    }
    return 0;
}

} // namespace dosarium
