#include "commandline.h"

#include "patchcommand.h"
#include "sheet.h"
#include "sheetpage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstring>

namespace {

constexpr int kBadInput = 2;
constexpr int kNotWritten = 1;

void say(FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

int fail(int status, const QString &reason)
{
    say(stderr, QStringLiteral("adresse-dmx : %1\n").arg(reason));
    return status;
}

// "PREMIERE,CANAUX,NOMBRE": three whole numbers; their ranges are the plan's
// business.
std::optional<dmx::Run> runOf(const QString &value, QString &reason)
{
    const QStringList parts = value.split(u',');
    if (parts.size() != 3) {
        reason = QStringLiteral("--feuille attend PREMIERE,CANAUX,NOMBRE, par exemple 1,7,12 (reçu : « %1 »).")
                     .arg(value);
        return std::nullopt;
    }
    std::int64_t numbers[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        numbers[i] = parts[i].trimmed().toLongLong(&ok);
        if (!ok) {
            reason = QStringLiteral("--feuille : « %1 » n'est pas un nombre entier.").arg(parts[i]);
            return std::nullopt;
        }
    }
    dmx::Run run;
    run.first = numbers[0];
    run.channels = numbers[1];
    run.fixtures = numbers[2];
    return run;
}

} // namespace

void prepareCommandLine()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the tool's own one-line reason, not the
    // platform's remarks on the session (no XDG_RUNTIME_DIR on a server).
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            say(stderr, message + u'\n');
    });
}

bool wantsCommandLine(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const char *ours : {"-o", "-h", "-v", "-?"})
            if (std::strncmp(argv[i], "--", 2) == 0 || std::strcmp(argv[i], ours) == 0)
                return true;
    return false;
}

int runCommandLine()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Feuille d'adressage DMX : pour une ligne d'appareils identiques, l'adresse de "
                       "départ et le réglage des interrupteurs de chacun, en texte, CSV ou PDF."));
    const QCommandLineOption sheet(QStringLiteral("feuille"),
                                   QStringLiteral("Première adresse (0 à 511), nombre de canaux par appareil "
                                                  "(1 à 512) et nombre d'appareils (1 à 512)."),
                                   QStringLiteral("PREMIERE,CANAUX,NOMBRE"));
    const QCommandLineOption other(QStringLiteral("autre"),
                                   QStringLiteral("Ordre de la fenêtre « Autre » : interrupteur 1 = 1 "
                                                  "(sans cette option : interrupteur 1 = 256)."));
    const QCommandLineOption title(QStringLiteral("titre"),
                                   QStringLiteral("Titre de la ligne, imprimé en haut de la feuille."),
                                   QStringLiteral("TEXTE"));
    const QCommandLineOption noTerminator(QStringLiteral("sans-bouchon"),
                                          QStringLiteral("Bouchon (interrupteur 10) sur OFF partout, "
                                                         "même sur le dernier appareil."));
    const QCommandLineOption output(QStringLiteral("o"),
                                    QStringLiteral("Fichier à écrire : .pdf, .csv ou .txt selon son nom ; "
                                                   "« - » ou rien : le tableau en texte sur la sortie standard."),
                                    QStringLiteral("FICHIER"));
    parser.addOptions({sheet, other, title, noTerminator, output});
    const PatchOptions patch;
    parser.addOptions({patch.patch, patch.profile, patch.line});
    // Qt's own help and version options would describe themselves in English.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("?"), QStringLiteral("help")},
                                  QStringLiteral("Affiche cette aide."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Affiche le nom et la version du programme."));
    parser.addOptions({help, version});

    if (!parser.parse(QCoreApplication::arguments()))
        return fail(kBadInput, parser.errorText());
    if (parser.isSet(help)) {
        say(stdout, parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        say(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(kBadInput, QStringLiteral("argument inattendu « %1 ».").arg(parser.positionalArguments().front()));
    for (const auto &[once, name] : {std::pair{&sheet, "--feuille"}, {&title, "--titre"}, {&output, "-o"}})
        if (parser.values(*once).size() > 1)
            return fail(kBadInput, QStringLiteral("l'option %1 est donnée plusieurs fois.").arg(QLatin1String(name)));
    if (parser.isSet(patch.patch)) {
        if (parser.isSet(sheet))
            return fail(kBadInput, QStringLiteral("--patch et --feuille ne vont pas ensemble."));
        QString reason;
        const int status = runPatch(parser, patch, parser.value(output), parser.value(title), reason);
        return status == 0 ? 0 : fail(status, reason);
    }
    if (!parser.isSet(sheet))
        return fail(kBadInput, QStringLiteral("il manque --feuille PREMIERE,CANAUX,NOMBRE (voir --help)."));

    QString reason;
    auto run = runOf(parser.value(sheet), reason);
    if (!run)
        return fail(kBadInput, reason);
    run->bank = parser.isSet(other) ? dmx::kOtherFixtureBank : dmx::kColourDriverBank;
    run->terminator = !parser.isSet(noTerminator);
    auto made = dmx::makePlan(*run);
    if (const auto *error = std::get_if<dmx::PlanError>(&made))
        return fail(kBadInput, sheet::fromUtf8(error->message));
    const dmx::Plan &plan = std::get<dmx::Plan>(made);

    const QString path = parser.value(output);
    if (parser.isSet(output) && path.isEmpty())
        return fail(kBadInput, QStringLiteral("-o : le nom du fichier est vide."));
    if (path.isEmpty() || path == u"-") {
        say(stdout, sheet::fromUtf8(dmx::textTable(plan, parser.value(title).toStdString())));
        return 0;
    }
    if (!sheet::knownFormat(path))
        return fail(kBadInput, QStringLiteral("-o « %1 » : le nom doit finir par .pdf, .csv ou .txt.").arg(path));
    const QString error = sheet::save(path, plan, parser.value(title));
    return error.isEmpty() ? 0 : fail(kNotWritten, error);
}
