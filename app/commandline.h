#pragma once

// The addressing sheet from a script or a machine with no display:
//   adresse-dmx --feuille PREMIERE,CANAUX,NOMBRE [--autre] [--titre TEXTE]
//               [--sans-bouchon] [-o FICHIER]
// and the rig sheet of a whole patch (patchcommand.h):
//   adresse-dmx --patch FICHIER [--profil "TYPE=PROFIL"]... [--ligne U] [-o SORTIE]

// Whether the arguments ask for the command line rather than the windows.
// Qt's own options (-platform, -style...) take one dash and still start the
// windows; any option with two dashes, -o, -h, -v or -? is ours.
bool wantsCommandLine(int argc, char *argv[]);

// Before the application exists: no display, and nothing on standard error
// but the tool's own messages.
void prepareCommandLine();

// Runs it once the application is set up; returns the exit status: 0 done,
// 2 bad options or values (nothing written), 1 the file could not be written.
int runCommandLine();
