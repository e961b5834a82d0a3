#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QPdfWriter;

// Writing a finished document so that nothing is lost and nothing is
// half-said: every write, the flush to disk and the close are checked, and a
// failure comes back as one French sentence for the user, never a silent
// success. Each function returns an empty text on success, else the reason,
// e.g. "impossible d'écrire « s.csv » : disque plein."
namespace savefile {

// A regular file, a link to one (or to a name with no file yet), or a new
// name: written beside the target and
// renamed over it only once complete and on disk, so a failure leaves an old
// file byte for byte as it was and no new file. A FIFO or a character device
// (or a link to one) is written to as a stream, never replaced; a folder or
// any other kind of file is refused.
QString saveBytes(const QString &path, const QByteArray &bytes);

// The same for a PDF: draw sets up the writer (page, title) and paints every
// page; the whole document is made in memory first.
QString savePdf(const QString &path, const std::function<void(QPdfWriter &)> &draw);

// Standard output, flushed and checked: a full disk or a closed output is a
// failure. A pipe closed by its reader ends the program by SIGPIPE as usual.
QString writeStandardOutput(const QByteArray &bytes);

// Call before anything opens a file: when standard output was closed by the
// caller (">&-"), its number is taken by a read-only handle, so that no file
// opened later gets it and every write to it fails instead.
void guardStandardOutput();

// The French words for a system error number ("disque plein").
QString reasonOf(int error);

} // namespace savefile
