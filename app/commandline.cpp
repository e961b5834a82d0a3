#include "commandline.h"

#include "patchcommand.h"
#include "savefile.h"
#include "sheet.h"
#include "sheetpage.h"
#include "table.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kBadInput = 2;
constexpr int kNotWritten = 1;

// Our long options; a one-dash spelling of one ("-feuille") is ours too, so
// that it gets a French refusal rather than the windows.
constexpr const char *kLongNames[] = {"feuille", "autre", "titre", "sans-bouchon", "patch", "profil", "ligne",
                                      "help", "version"};
// The options that take a value.
constexpr const char *kValued[] = {"--feuille", "--titre", "-o", "--patch", "--profil", "--ligne"};

bool isOneDashLongName(const char *arg)
{
    if (arg[0] != '-' || arg[1] == '-')
        return false;
    const std::string name = std::string(arg + 1).substr(0, std::strcspn(arg + 1, "="));
    return std::any_of(std::begin(kLongNames), std::end(kLongNames), [&](const char *n) { return name == n; });
}

int fail(int status, const QString &reason)
{
    std::fputs(QStringLiteral("adresse-dmx : %1\n").arg(reason).toUtf8().constData(), stderr);
    std::fflush(stderr);
    return status;
}

// Qt's parser says what went wrong in its own words and quotes the name
// without its dashes; the tool says it in French, as it was typed.
QString parseError(const QCommandLineParser &parser, const QStringList &args)
{
    for (const QString &arg : args.mid(1))
        if (isOneDashLongName(arg.toUtf8().constData()))
            return QStringLiteral("option inconnue « %1 » : les options longues prennent deux tirets (-%2).")
                .arg(arg.section(u'=', 0, 0), arg.section(u'=', 0, 0));
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().front();
        return QStringLiteral("option inconnue « %1%2 » (voir --help).")
            .arg(name.size() > 1 ? QStringLiteral("--") : QStringLiteral("-"), name);
    }
    for (const char *valued : kValued)
        if (args.back() == QLatin1String(valued))
            return QStringLiteral("l'option « %1 » attend une valeur (voir --help).").arg(args.back());
    for (const QString &arg : args.mid(1))
        if (arg.startsWith(u"--") && arg.contains(u'='))
            return QStringLiteral("l'option « %1 » ne prend pas de valeur.").arg(arg.section(u'=', 0, 0));
    return QStringLiteral("options illisibles (voir --help).");
}

} // namespace

void prepareCommandLine()
{
    savefile::guardStandardOutput();
#ifdef Q_OS_WIN
    // Windows always has its desktop, and the fonts come with it; Qt's
    // offscreen platform would find none there.
    qputenv("QT_QPA_PLATFORM", "windows");
#else
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // Standard error carries the tool's own one-line reason, not the
    // platform's remarks on the session (no XDG_RUNTIME_DIR on a server).
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fputs((message + u'\n').toUtf8().constData(), stderr);
    });
}

bool wantsCommandLine(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0 || isOneDashLongName(argv[i]))
            return true;
        for (const char *ours : {"-o", "-h", "-v", "-?"})
            if (std::strcmp(argv[i], ours) == 0)
                return true;
    }
    return false;
}

int runCommandLine()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Feuille d'adressage DMX : pour une ligne d'appareils identiques (--feuille) ou "
                       "pour tout le patch d'une console (--patch), l'adresse de départ et le réglage des "
                       "interrupteurs de chacun, en texte, CSV ou PDF."));
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

    const auto print = [](const QString &text) {
        const QString error = savefile::writeStandardOutput(text.toUtf8());
        return error.isEmpty() ? 0 : fail(kNotWritten, error);
    };
    const QStringList args = QCoreApplication::arguments();
    if (!parser.parse(args))
        return fail(kBadInput, parseError(parser, args));
    if (parser.isSet(help))
        return print(parser.helpText());
    if (parser.isSet(version))
        return print(QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                   QCoreApplication::applicationVersion()));
    if (!parser.positionalArguments().isEmpty())
        return fail(kBadInput, QStringLiteral("argument inattendu « %1 ».").arg(parser.positionalArguments().front()));
    for (const auto &[once, name] : {std::pair{&sheet, "--feuille"}, {&title, "--titre"}, {&output, "-o"}})
        if (parser.values(*once).size() > 1)
            return fail(kBadInput, QStringLiteral("l'option « %1 » est donnée plusieurs fois.").arg(QLatin1String(name)));
    if (parser.isSet(output) && parser.value(output).isEmpty())
        return fail(kBadInput, QStringLiteral("-o : le nom du fichier est vide."));
    if (parser.isSet(patch.patch)) {
        if (parser.isSet(sheet))
            return fail(kBadInput, QStringLiteral("--patch et --feuille ne vont pas ensemble."));
        QString reason;
        const int status = runPatch(parser, patch, parser.value(output), parser.value(title), reason);
        return status == 0 ? 0 : fail(status, reason);
    }
    if (!parser.isSet(sheet))
        return fail(kBadInput, QStringLiteral("il manque --feuille PREMIERE,CANAUX,NOMBRE (voir --help)."));

    auto read = dmx::readRun(parser.value(sheet).toStdString());
    if (const auto *error = std::get_if<dmx::PlanError>(&read))
        return fail(kBadInput, QStringLiteral("--feuille : ") + sheet::fromUtf8(error->message));
    dmx::Run &run = std::get<dmx::Run>(read);
    run.bank = parser.isSet(other) ? dmx::kOtherFixtureBank : dmx::kColourDriverBank;
    run.terminator = !parser.isSet(noTerminator);
    auto made = dmx::makePlan(run);
    if (const auto *error = std::get_if<dmx::PlanError>(&made))
        return fail(kBadInput, sheet::fromUtf8(error->message));
    const dmx::Plan &plan = std::get<dmx::Plan>(made);

    const QString path = parser.value(output);
    if (path.isEmpty() || path == u"-")
        return print(sheet::fromUtf8(dmx::textTable(plan, parser.value(title).toStdString())));
    if (!dmx::formatOf(path.toStdString()))
        return fail(kBadInput, QStringLiteral("-o ") + sheet::fromUtf8(dmx::unknownFormat(path.toStdString())));
    const QString error = sheet::save(path, plan, parser.value(title));
    return error.isEmpty() ? 0 : fail(kNotWritten, error);
}
