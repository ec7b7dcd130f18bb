// A workstation without windows, for the proof tests: it starts as the program starts, signs in,
// adds, modifies and deletes acts with real files, writes log entries, takes ids, rewrites the
// user file and changes the archive key, through the same code the windows call. The tests run
// it as a process of its own (dosarium_workstation, several at once on one data folder) or in a
// child process of the test itself; they kill it at chosen moments and limit what it may write.
//
// Arguments: --home DIR [--server DIR] [--station NAME] [--seed N] [--crash-at-step N]
//            [--file-size-limit BYTES] [--read-only] [--largest BYTES] COMMAND...
//
// --home is the workstation's own folder (the program's folder: Data, TEMP); --server makes a
// shared data folder the one in use, as the server setting of the local settings file does.
// Commands, run in order:
//   start                 the start-up sequence's work on the data (checks, tables, upkeep,
//                         an interrupted re-coding and an interrupted act operation finished)
//   signin NAME PASSWORD  the sign-in strip's check and its log entry
//   add N                 N acts, each with a generated scan (at most --largest bytes)
//   mixed N               N changes of this workstation's own acts: modifications and deletions
//   modify ID KIND        one modification: obs, file, move or movefile
//   delete ID             one deletion
//   log N                 N log entries
//   ids N                 N ids taken from the IDLOG counter
//   users VARIANT         the user file rewritten (ADMIN keeps its password)
//   password NAME NEW     the administrator window's password change; ADMIN's re-codes the
//                         archive
//   pack                  the start-up pack of the documents table
//   arm                   from here on, steps count towards --crash-at-step and files may grow
//                         only up to --file-size-limit (a full disk)
//   disarm                the disk has room again, no crash comes
// Every operation gives "BEGIN<TAB>op<TAB>details" before and "DONE<TAB>op<TAB>details" after
// it; a refusal or an error gives "ERROR<TAB>op<TAB>message", a notice for the user
// "NOTICE<TAB>message", and the end "STEPS<TAB>n". A step is a point where the windows would let
// events run (after each statement, after each block of a copied file, at the start and the end
// of the progress strip); at step N of an armed run the process kills itself as a power cut
// would. --read-only mounts the data folder read-only for this process alone (a mount namespace
// of its own); where the system refuses, the line "UNSUPPORTED<TAB>read-only" and the code 77.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace dosarium::proof {

using StationOutput = std::function<void(const QString &line)>;

// Runs the workstation with its arguments (without the program's name); returns the exit code:
// 0 when every operation was done, 1 when one failed, 2 for wrong arguments, 77 when the
// read-only folder cannot be had. A process that runs it should have no other thread yet (a
// mount namespace of its own needs one thread).
int runWorkstation(const QStringList &args, const StationOutput &out);

} // namespace dosarium::proof
