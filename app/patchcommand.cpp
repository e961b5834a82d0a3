#include "patchcommand.h"

#include "patch.h"
#include "profilefile.h"
#include "savefile.h"
#include "sheetpage.h"
#include "table.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

namespace {

constexpr int kBadInput = 2;
constexpr int kNotWritten = 1;

using sheet::fromUtf8;

} // namespace

PatchOptions::PatchOptions()
    : patch(QStringLiteral("patch"),
            QStringLiteral("Feuille d'un patch entier : le fichier d'une console ou d'un plan (CSV, QLC+ .qxw, "
                           "MVR), ligne par ligne, chaque appareil avec son réglage."),
            QStringLiteral("FICHIER"))
    , profile(QStringLiteral("profil"),
              QStringLiteral("Avec --patch : le profil d'interrupteurs d'un type d'appareil, pour tous ses modes "
                             "(nom du profil ou son début). Option répétable."),
              QStringLiteral("TYPE=PROFIL"))
    , line(QStringLiteral("ligne"), QStringLiteral("Avec --patch : seulement la ligne de cet univers DMX."),
           QStringLiteral("U"))
{
}

int runPatch(const QCommandLineParser &parser, const PatchOptions &options, const QString &output,
             const QString &title, QString &reason)
{
    for (const QCommandLineOption *once : {&options.patch, &options.line})
        if (parser.values(*once).size() > 1) {
            reason = QStringLiteral("l'option --%1 est donnée plusieurs fois.").arg(once->names().front());
            return kBadInput;
        }
    std::optional<int> universe;
    if (parser.isSet(options.line)) {
        bool ok = false;
        universe = parser.value(options.line).toInt(&ok);
        if (!ok || *universe < 1) {
            reason = QStringLiteral("--ligne attend un numéro d'univers à partir de 1 (reçu : « %1 »).")
                         .arg(parser.value(options.line));
            return kBadInput;
        }
    }
    if (!output.isEmpty() && output != u"-") {
        if (!dmx::formatOf(output.toStdString())) {
            reason = QStringLiteral("-o ") + fromUtf8(dmx::unknownFormat(output.toStdString()));
            return kBadInput;
        }
    }

    // The choices remembered by the window, then the command line's own.
    auto stored = profilefile::load(profilefile::path());
    if (const auto *error = std::get_if<QString>(&stored)) {
        reason = *error;
        return kBadInput;
    }
    dmx::Profiles choices = std::get<dmx::Profiles>(std::move(stored));
    for (const QString &value : parser.values(options.profile)) {
        const qsizetype equals = value.lastIndexOf(u'=');
        const QString type = value.left(equals).trimmed();
        if (equals < 0 || type.isEmpty()) {
            reason = QStringLiteral("--profil attend TYPE=PROFIL (reçu : « %1 »).").arg(value);
            return kBadInput;
        }
        const auto named = choices.named(value.mid(equals + 1).toStdString());
        if (const auto *why = std::get_if<std::string>(&named)) {
            reason = QStringLiteral("--profil : ") + fromUtf8(*why);
            return kBadInput;
        }
        choices.choose(type.toStdString(), {}, std::get<const dmx::SwitchProfile *>(named)->name);
    }

    const QString path = parser.value(options.patch);
    auto rig = dmx::readInstalledPatch(path.toStdString());
    if (const auto *error = std::get_if<dmx::ReadError>(&rig)) {
        reason = fromUtf8(error->message);
        return kBadInput;
    }
    const dmx::Rig &fixtures = std::get<dmx::Rig>(rig);
    std::optional<dmx::Plan> line;
    if (universe && !(line = dmx::makeLinePlan(fixtures, *universe, choices))) {
        reason = QStringLiteral("--ligne : « %1 » n'a pas d'appareil sur l'univers %2.")
                     .arg(QFileInfo(path).fileName())
                     .arg(*universe);
        return kBadInput;
    }
    const dmx::Plan plan = line ? std::move(*line) : dmx::makePlan(fixtures, choices);

    if (output.isEmpty() || output == u"-")
        reason = savefile::writeStandardOutput(QByteArray::fromStdString(dmx::textTable(plan, title.toStdString())));
    else
        reason = sheet::save(output, plan, title);
    return reason.isEmpty() ? 0 : kNotWritten;
}
