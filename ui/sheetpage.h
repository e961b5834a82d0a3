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

// Writes .pdf, .csv or .txt, chosen by the name's ending, through
// savefile::saveBytes: a failure leaves any file already there untouched.
// Returns the French reason on failure, an empty text on success.
QString save(const QString &path, const dmx::Plan &plan, const QString &title);
// Empty when the name ends in .pdf, .csv or .txt, else why it cannot be.
QString unknownFormat(const QString &path);

// The bytes of a CSV file: what a French spreadsheet opens directly.
QByteArray csv(const dmx::Plan &plan, const QString &title);

} // namespace sheet
