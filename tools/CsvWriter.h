// CSV files as spreadsheets and other programs read them: UTF-8 with a byte-order mark, one
// separator between fields, CR LF after every row, and a field quoted (its quotes doubled) only
// when it holds the separator, a quote or a line break, as RFC 4180 says.
#pragma once

#include <QByteArray>
#include <QString>

namespace dosarium {

class CsvWriter {
public:
    // Creates `path` (it must not exist) and writes the byte-order mark. Throws Error naming the
    // file when it cannot be created.
    CsvWriter(QString path, char separator);
    ~CsvWriter();
    CsvWriter(const CsvWriter &) = delete;
    CsvWriter &operator=(const CsvWriter &) = delete;

    // One field of the current row, as UTF-8 bytes or as text.
    void field(QByteArrayView utf8);
    void field(const QString &text) { field(QByteArrayView(text.toUtf8())); }
    // Ends the current row.
    void endRow();
    // Writes what is left and closes the file; throws Error naming the file when a write fails.
    void close();

    // The field as the file holds it: quoted when it must be.
    static QByteArray quoted(QByteArrayView utf8, char separator);

private:
    void flush();

    QString m_path;
    char m_separator;
    int m_fd = -1;
    bool m_rowStarted = false;
    QByteArray m_buffer;
};

} // namespace dosarium
