#pragma once

#include "sheet.h"

#include <QString>

class QPagedPaintDevice;

// The addressing sheet on paper: drawn as vectors onto a printer or a PDF
// writer, and written to a file in the form its name asks for.
namespace sheet {

QString fromUtf8(const std::string &s);

// Draws every page onto the device's current page size and margins.
void paint(QPagedPaintDevice &device, const dmx::Plan &plan, const QString &title);

// Writes .pdf, .csv or .txt, chosen by the name's ending. The file is written
// beside the target and renamed over it only when complete, so a failure
// leaves any file already there untouched. Returns the French reason on
// failure, an empty text on success.
QString save(const QString &path, const dmx::Plan &plan, const QString &title);
bool knownFormat(const QString &path);

// The bytes of a CSV file: what a French spreadsheet opens directly.
QByteArray csv(const dmx::Plan &plan);

} // namespace sheet
