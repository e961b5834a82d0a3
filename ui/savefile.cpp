#include "savefile.h"

#include <QBuffer>
#include <QFile>
#include <QDir>
#include <QPdfWriter>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#include <QFileInfo>
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#endif

namespace savefile {

namespace {

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("impossible d'écrire « %1 » : %2.").arg(QDir::toNativeSeparators(path), reason);
}

#ifndef Q_OS_WIN

// Returns 0 or the error number. write() may take fewer bytes than asked
// (a pipe, a signal), so it goes on from where it stopped.
int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    for (qsizetype left = bytes.size(); left > 0;) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        left -= n;
    }
    return 0;
}

// The close is checked too: some file systems report a full disk only there.
int closeChecked(int fd, int error)
{
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        return errno;
    return error;
}

// A FIFO or a device: whoever reads it gets the bytes as they come.
int stream(const QByteArray &name, const QByteArray &bytes)
{
    const int fd = ::open(name.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    return closeChecked(fd, writeAll(fd, bytes));
}

// Written in full beside the target, on disk, then renamed over it: the
// rename is the one step that changes what the name holds.
int replace(const QByteArray &target, const QByteArray &bytes, mode_t mode)
{
    const qsizetype slash = target.lastIndexOf('/');
    QByteArray temp = target.left(slash + 1) + '.' + target.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    int error = ::fchmod(fd, mode) == 0 ? writeAll(fd, bytes) : errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    error = closeChecked(fd, error);
    if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.constData());
    return error;
}

// Where a link that points at no file yet has it, beside the link when the
// link is relative; any other name is itself.
QByteArray linkTarget(const QByteArray &name)
{
    char target[PATH_MAX];
    const ssize_t n = ::readlink(name.constData(), target, sizeof target - 1);
    if (n <= 0)
        return name;
    const QByteArray to(target, n);
    return to.startsWith('/') ? to : name.left(name.lastIndexOf('/') + 1) + to;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

#endif

} // namespace

QString reasonOf(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("disque plein");
    case EROFS:
        return QStringLiteral("système de fichiers en lecture seule");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission refusée");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("dossier introuvable");
    case EISDIR:
        return QStringLiteral("c'est un dossier");
    case EBADF:
        return QStringLiteral("sortie fermée");
    case EPIPE:
        return QStringLiteral("le lecteur a fermé le tube");
    case ENXIO:
        return QStringLiteral("aucun lecteur ni périphérique au bout");
    case EIO:
        return QStringLiteral("erreur d'entrée-sortie du support");
    case ENAMETOOLONG:
        return QStringLiteral("nom trop long");
#ifdef ELOOP
    case ELOOP:
        return QStringLiteral("trop de liens symboliques en chaîne");
#endif
    case EFBIG:
        return QStringLiteral("fichier trop gros pour ce support");
    default:
        return QStringLiteral("erreur système n° %1").arg(error);
    }
}

#ifdef Q_OS_WIN

// Windows has no rename over an open name that keeps a FIFO apart, and
// QSaveFile already writes beside and renames; its errors carry no number,
// so they are told by what is at the name.
QString saveBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        const QFileInfo at(path);
        return cannotWrite(path, reasonOf(at.isDir() ? EISDIR : !at.dir().exists() ? ENOENT : EACCES));
    }
    if (file.write(bytes) != bytes.size() || !file.commit())
        return cannotWrite(path, QStringLiteral("écriture interrompue, disque plein ?"));
    return {};
}

void guardStandardOutput() {}

#else

QString saveBytes(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    int error = 0;
    if (::stat(name.constData(), &st) != 0) {
        // A new name, or a link to one: the link stays and its file is made.
        // A missing folder shows when the file is made.
        error = errno == ENOENT ? replace(linkTarget(name), bytes, newFileMode()) : errno;
    } else if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
    } else if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) {
        error = stream(name, bytes);
    } else if (!S_ISREG(st.st_mode)) {
        return cannotWrite(path, QStringLiteral("ce n'est ni un fichier ordinaire, ni un tube"));
    } else if (::access(name.constData(), W_OK) != 0) {
        // A file its owner made read-only stays as it is, though the folder
        // would let a rename replace it.
        error = errno;
    } else {
        // Through a link, the file it points to is replaced, the link kept.
        char real[PATH_MAX];
        error = replace(::realpath(name.constData(), real) ? QByteArray(real) : name, bytes, st.st_mode & 07777);
    }
    return error == 0 ? QString() : cannotWrite(path, reasonOf(error));
}

void guardStandardOutput()
{
    if (::fcntl(STDOUT_FILENO, F_GETFD) != -1 || errno != EBADF)
        return;
    const int fd = ::open("/dev/null", O_RDONLY);
    if (fd > STDOUT_FILENO) {
        ::dup2(fd, STDOUT_FILENO);
        ::close(fd);
    }
}

#endif

QString savePdf(const QString &path, const std::function<void(QPdfWriter &)> &draw)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        draw(pdf);
    } // the writer ends the document when it goes
    return saveBytes(path, bytes);
}

QString writeStandardOutput(const QByteArray &bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout)
                             == static_cast<size_t>(bytes.size())
                         && std::fflush(stdout) == 0;
    if (written && !std::ferror(stdout))
        return {};
    const int error = errno;
    std::clearerr(stdout);
    return QStringLiteral("impossible d'écrire sur la sortie standard : %1.")
        .arg(reasonOf(error ? error : EBADF));
}

} // namespace savefile
