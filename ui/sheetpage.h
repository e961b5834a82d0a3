#pragma once

#include "plan.h"

#include <QString>

class QPagedPaintDevice;

// A plan on paper, the addressing sheet's run or a whole rig line by line:
// drawn as vectors onto a printer or a PDF writer, each fixture's bank drawn
// by its own profile, and written to a file in the form its name asks for.
namespace sheet {

QString fromUtf8(const std::string &s);

// Draws every page onto the device's current page size and margins.
void paint(QPagedPaintDevice &device, const dmx::Plan &plan, const QString &title);

// Writes .pdf, .csv or .txt, chosen by the name's ending, through
// savefile::saveBytes: a failure leaves any file already there untouched.
// Returns the French reason on failure, an empty text on success.
QString save(const QString &path, const dmx::Plan &plan, const QString &title);

} // namespace sheet
