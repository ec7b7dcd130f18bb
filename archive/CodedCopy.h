// The two file operations of the archive: the coded copy, which both stores a chosen file in
// the archive and makes a readable copy of an archived file, and the re-coding of one archived
// file when the archive key changes. The key is handed in as bytes (the user file's bytes).
#pragma once

#include <QByteArray>
#include <QString>

namespace dosarium {

class ProgressSink;

// Bytes coded per block and per progress step by CopyCoded.
inline constexpr qint64 kCopyBlock = 10000;
// Bytes coded per block by RecodeFile.
inline constexpr qint64 kRecodeBlock = 1000;

// Copies `source` to `destination`, every byte XORed with the key (see KeyCursor), in blocks of
// kCopyBlock bytes: progress starts with the maximum size / kCopyBlock and the description
// "Pregatesc fisierul...", and steps once per block. When the two paths are the same text
// nothing at all happens. The copy is written beside the destination and takes its place after
// the last block, so a failure leaves an existing destination as it was and no partial file;
// progress is finished in every case, then Error is thrown naming the file and the cause.
// With `ownerOnly` the copy is readable and writable by its owner alone (a readable copy of an
// archived document, which no other account of the computer may read).
void CopyCoded(const QString &source, const QString &destination, const QByteArray &key,
               ProgressSink &progress, bool ownerOnly = false);

// Turns a file coded with `oldKey` into the same file coded with `newKey` (either key may be
// empty: plain), in blocks of kRecodeBlock bytes, both cursors running on across them. The file is
// rewritten beside itself and renamed over the old one, so at every moment it is wholly old or
// wholly new; it keeps its permissions. Throws Error naming the file and the cause; the file then
// stays as it was.
void RecodeFile(const QString &path, const QByteArray &oldKey, const QByteArray &newKey);

} // namespace dosarium
