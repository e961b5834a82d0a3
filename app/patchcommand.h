#pragma once

// The rig sheet from a script:
//   adresse-dmx --patch FICHIER [--profil "TYPE=PROFIL"]... [--ligne U] [-o SORTIE]

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;

struct PatchOptions
{
    QCommandLineOption patch, profile, line;
    PatchOptions();
};

// Once the options are parsed and --patch is given: reads the patch, plans it
// and writes it to output (empty or "-": the text table on standard output).
// Returns the exit status (0, 1 not written, 2 bad input); reason is the
// French line for standard error.
int runPatch(const QCommandLineParser &parser, const PatchOptions &options, const QString &output,
             const QString &title, QString &reason);
