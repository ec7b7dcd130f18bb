#include "tools/CsvWriter.h"

#include "platform/FileHandles.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>

#include <cerrno>

namespace dosarium {

namespace {

constexpr qsizetype kBufferBytes = 1 << 20;

bool needsQuotes(QByteArrayView utf8, char separator)
{
    for (const char c : utf8) {
        if (c == separator || c == '"' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

void appendField(QByteArray &out, QByteArrayView utf8, char separator)
{
    if (!needsQuotes(utf8, separator)) {
        out.append(utf8);
        return;
    }
    out.append('"');
    qsizetype run = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '"')
            continue;
        out.append(utf8.data() + run, i + 1 - run);
        out.append('"');
        run = i + 1;
    }
    out.append(utf8.data() + run, utf8.size() - run);
    out.append('"');
}

} // namespace

CsvWriter::CsvWriter(QString path, char separator) : m_path(std::move(path)), m_separator(separator)
{
    m_fd = openFile(m_path, FileAccess::Write, {.create = true, .exclusive = true}, 0666);
    if (m_fd < 0)
        throw Error(QStringLiteral("Nu pot crea fisierul %1: %2.")
                        .arg(QDir::toNativeSeparators(m_path), systemErrorText(errno)));
    m_buffer.reserve(kBufferBytes + 4096);
    m_buffer.append("\xEF\xBB\xBF");
}

CsvWriter::~CsvWriter()
{
    if (m_fd >= 0)
        closeFile(m_fd);
}

QByteArray CsvWriter::quoted(QByteArrayView utf8, char separator)
{
    QByteArray out;
    appendField(out, utf8, separator);
    return out;
}

void CsvWriter::field(QByteArrayView utf8)
{
    if (m_rowStarted)
        m_buffer.append(m_separator);
    m_rowStarted = true;
    appendField(m_buffer, utf8, m_separator);
}

void CsvWriter::endRow()
{
    m_buffer.append("\r\n", 2);
    m_rowStarted = false;
    if (m_buffer.size() >= kBufferBytes)
        flush();
}

void CsvWriter::flush()
{
    qsizetype done = 0;
    while (done < m_buffer.size()) {
        const qint64 n = writeFile(m_fd, m_buffer.constData() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                            .arg(QDir::toNativeSeparators(m_path),
                                 systemErrorText(n < 0 ? errno : ENOSPC)));
        done += n;
    }
    m_buffer.resize(0);
}

void CsvWriter::close()
{
    if (m_fd < 0)
        return;
    flush();
    const int fd = std::exchange(m_fd, -1);
    if (closeFile(fd) != 0 && errno != EINTR)
        throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                        .arg(QDir::toNativeSeparators(m_path), systemErrorText(errno)));
}

} // namespace dosarium
