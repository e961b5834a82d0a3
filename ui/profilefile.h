#pragma once

#include "profiles.h"

#include <QString>

#include <variant>

// The profiles' file: the patch window reads and saves it, the command line
// reads it. The rules and the JSON are core's; this reads and writes bytes.
namespace profilefile {

// profils.json in the program's settings folder.
QString path();

// A missing file is an empty store; one that cannot be read is the French
// sentence saying why.
std::variant<dmx::Profiles, QString> load(const QString &path);

struct Saved
{
    QString error; // empty when written, else the French reason
    QString aside; // a file that could not be read: the sentence saying where it is kept
};

// What the file holds now, with the store's changes made again onto it, is
// written, and the store becomes that: another run's profiles stay. A file
// that cannot be read is first kept beside under a free name, never
// replaced; when that fails, nothing is written.
Saved save(dmx::Profiles &profiles, const QString &path);

} // namespace profilefile
