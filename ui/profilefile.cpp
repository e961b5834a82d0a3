#include "profilefile.h"

#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace profilefile {

namespace {

// profils.json is kept as profils.illisible.json, or profils.illisible-2.json
// and on when taken. The copy never replaces a name already there, and it
// copies the bytes a link points to.
QString keepAside(const QString &path)
{
    const QFileInfo file(path);
    for (int n = 1; n < 1000; ++n) {
        const QString name = file.dir().filePath(
            file.completeBaseName() + QStringLiteral(".illisible") + (n > 1 ? QStringLiteral("-%1").arg(n) : QString())
            + (file.suffix().isEmpty() ? QString() : u'.' + file.suffix()));
        if (QFileInfo(name).exists() || QFileInfo(name).isSymLink())
            continue;
        return QFile::copy(path, name) ? name : QString();
    }
    return {};
}

} // namespace

QString path()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("profils.json"));
}

std::variant<dmx::Profiles, QString> load(const QString &path)
{
    if (!QFileInfo::exists(path))
        return dmx::Profiles{};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString::fromStdString(dmx::Profiles::unreadable(path.toStdString()));
    const QByteArray bytes = file.read(static_cast<qint64>(dmx::Profiles::kMostBytes) + 1);
    auto read = dmx::Profiles::read(bytes.toStdString(), path.toStdString());
    if (auto *error = std::get_if<std::string>(&read))
        return QString::fromStdString(*error);
    return std::get<dmx::Profiles>(std::move(read));
}

Saved save(dmx::Profiles &profiles, const QString &path)
{
    Saved saved;
    QDir().mkpath(QFileInfo(path).path());
    dmx::Profiles onDisk;
    auto read = load(path);
    if (auto *now = std::get_if<dmx::Profiles>(&read)) {
        onDisk = std::move(*now);
    } else {
        const QString aside = keepAside(path);
        if (aside.isEmpty()) {
            saved.error = QStringLiteral("%1 Il n'a pas pu être gardé à part : rien n'est enregistré.")
                              .arg(std::get<QString>(read));
            return saved;
        }
        saved.aside = QStringLiteral("Le fichier des profils qui ne se lisait pas est gardé tel quel sous « %1 » ; "
                                     "les profils sont enregistrés dans un nouveau fichier.")
                          .arg(QDir::toNativeSeparators(aside));
    }
    dmx::Profiles merged = profiles.mergedInto(std::move(onDisk));
    saved.error = savefile::saveBytes(path, QByteArray::fromStdString(merged.text()));
    if (saved.error.isEmpty())
        profiles = std::move(merged);
    return saved;
}

} // namespace profilefile
