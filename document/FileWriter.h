#pragma once

#include <string>

namespace zamo {

// The one writer of files: the project text, the exported picture and every later export
// hand their finished bytes to it.
//
// A regular file, or a new one, is replaced atomically: the bytes go to a temporary file
// ".NAME.XXXXXX" in the target's folder (NAME shortened so that the name fits NAME_MAX),
// are flushed to disk and renamed over the target; the folder is flushed after the rename.
// A symbolic link is followed to the file it names and stays a link. A replaced file keeps
// its mode, and its owner and group where the process may set them. An existing target
// that is not a regular file (a FIFO, a device) is written directly, never replaced.
//
// A path that names an open descriptor of the process (/dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N), itself or through a link, is written through that
// descriptor, which stays open: whatever it is (a file opened to append, a pipe, a socket,
// a terminal), the bytes go where a write to it goes, and no file is replaced.
//
// Refused with FileError "Datei PATH kann nicht erstellt werden: REASON", the old file
// untouched and no temporary file left behind: a target the user may not write (for the
// superuser, one whose mode has no write bit at all), a folder, a symbolic link in a folder
// that everyone may write and that is sticky, unless the link belongs to the user or to the
// folder's owner (the system's own rule for such folders, kept whatever the system is set
// to), and every failure of the system on the way, with the system's reason (strerror).
//
// While a write runs, SIGINT, SIGTERM and SIGHUP remove the temporary file and then end the
// process as their default action does (a signal that is ignored stays ignored); a
// file-size limit and a closed pipe become errors ("File too large", "Broken pipe") instead
// of signals. Only SIGKILL can leave a temporary file. Writes are serialised within the
// process, as the signal handling is process-wide.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace zamo
