#pragma once

#include "rig.h"

#include <QString>

class QPagedPaintDevice;

// The rig sheet on paper: the addressing sheet's page design, one section per
// DMX line, each fixture's bank drawn by its own profile.
namespace rigsheet {

inline const QString kDefaultTitle = QStringLiteral("Patch : réglage des adresses DMX");

// Draws every page onto the device's current page size and margins.
void paint(QPagedPaintDevice &device, const dmx::RigPlan &plan, const QString &title);

// Writes .pdf, .csv or .txt, chosen by the name's ending; a failure leaves
// any file already there untouched. Returns the French reason on failure,
// an empty text on success.
QString save(const QString &path, const dmx::RigPlan &plan, const QString &title);

} // namespace rigsheet
