// Open files as numbers (descriptors, as QFile::open takes them): opening with the options the
// program asks for, reading and writing, flushing to the disk and closing. Each call returns what
// the system said, -1 (or false) with errno set on failure, and retries nothing.
#pragma once

#include <QString>

namespace dosarium {

enum class FileAccess { Read, Write, ReadWrite };

struct OpenOptions {
    bool create = false;    // made when missing, with the permissions given
    bool exclusive = false; // with create: only when missing
    bool noFollow = false;  // a link at the path is refused (ELOOP), never gone through
    bool noBlock = false;   // no waiting on the other end of a pipe or a device
    bool folder = false;    // only a folder opens (ENOTDIR otherwise)
};

// Opens `path`; the descriptor is never inherited by a program this one starts.
int openFile(const QString &path, FileAccess access, OpenOptions options = {},
             unsigned mode = 0666);
// Reads and writes from now on wait as usual (after an open with noBlock).
void stopNonBlocking(int fd);
int closeFile(int fd);

qint64 readFile(int fd, void *into, qint64 size);
qint64 readFileAt(int fd, void *into, qint64 size, qint64 offset);
qint64 writeFile(int fd, const void *data, qint64 size);
qint64 writeFileAt(int fd, const void *data, qint64 size, qint64 offset);
bool truncateFile(int fd, qint64 size);
// Whether the file was opened for reading alone.
bool isOpenForReadingOnly(int fd);

// Puts the file's bytes and its size (syncFileData) or all it has (syncFile) on the disk;
// 0 when done.
int syncFile(int fd);
int syncFileData(int fd);
// Puts the names of the folder's files on the disk, as far as the system lets; no failure.
void syncFolder(const QString &path);
// Puts everything waiting to be written, of every file of the computer, on the disk (so that a
// measurement starts with nothing left to write).
void syncAllFiles();

// Where the written data that begins at `from` ends: the first hole at or after it (space never
// written, which the system reads as zeros without keeping it on the disk), or `size` when there
// is none or the file system cannot tell. A table with a hole among its rows is damaged: the rows
// past the hole are no one's.
qint64 dataEndFrom(int fd, qint64 from, qint64 size);

// Tells the system that the file is read once from start to end; only advice.
void adviseSequentialRead(int fd);
// Sets the open file's modification time (nanoseconds since 1970, as FileStatus gives it),
// leaving its access time; only tried.
void setModificationTime(int fd, qint64 nanoseconds);

} // namespace dosarium
