// The statement runner behind dosarium-sql: splits input into statements, runs them in order and
// writes rows as tab-separated UTF-8 text.
#pragma once

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace dosarium {

// Statements of standard input: a line holding only ";" ends a statement.
QStringList splitStatements(const QString &input);

// A value with tab, line break and backslash written as \t, \n and \\.
QString escapeValue(const QString &value);

// Runs the statements in order; stops at the first error, writing it to `err`. The rows of a
// SELECT go to `out`: the column names, then one line per row, the values escaped as by
// escapeValue. Returns the exit status (0 or 1).
int runStatements(const QStringList &statements, const QString &filter, QIODevice &out,
                  QTextStream &err);

} // namespace dosarium
