#include "tools/SqlConsole.h"

#include "store/Engine.h"
#include "store/Error.h"
#include "store/Query.h"

namespace dosarium {

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
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else
            out += c;
    }
    return out;
}

int runStatements(const QStringList &statements, const QString &filter, QTextStream &out,
                  QTextStream &err)
{
    for (const QString &text : statements) {
        try {
            const Statement s = parseStatement(text);
            if (!s.returnsRows()) {
                Engine::execute(s);
                continue;
            }
            Query query;
            query.appendSql(text);
            if (!filter.isEmpty()) {
                query.setFilter(filter);
                query.setFiltered(true);
            }
            query.open();
            if (!query.notice().isEmpty())
                err << query.notice() << '\n';
            QStringList names;
            for (int c = 0; c < query.fieldCount(); ++c)
                names << query.fieldName(c);
            out << names.join(QLatin1Char('\t')) << '\n';
            for (int r = 0; r < query.recordCount(); ++r) {
                QStringList values;
                for (int c = 0; c < query.fieldCount(); ++c)
                    values << escapeValue(query.text(r, c));
                out << values.join(QLatin1Char('\t')) << '\n';
            }
        } catch (const Error &e) {
            out.flush();
            err << e.message() << '\n';
            err.flush();
            return 1;
        }
    }
    out.flush();
    return 0;
}

} // namespace dosarium
