#pragma once

#include "plan.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// A plan in the forms it is written in: the text table for a terminal, CSV
// for a spreadsheet, the tab-separated copy, and what the PDF and the file
// dialogs take from it (titles, file names, the form a name asks for). The
// addressing sheet's run keeps its own columns; a rig's are by line.
namespace dmx {

// The title as one line (a line break or tab becomes a space, blanks around
// it dropped), or the plan's own heading when nothing is left: "Feuille
// d'adressage DMX" for a run, "Patch : réglage des adresses DMX" for a rig.
inline constexpr char kDefaultTitle[] = "Feuille d'adressage DMX";
inline constexpr char kPatchTitle[] = "Patch : réglage des adresses DMX";
std::string titleLine(const std::string &typed);
std::string heading(const Plan &plan, const std::string &typed);
// What a patch's sheet is called by default: "Patch — salle.mvr".
std::string patchTitle(const std::string &fileName);

// The form a file's name asks for, by its ending, case aside.
enum class Format { Pdf, Csv, Plain };
std::optional<Format> formatOf(const std::string &path);
// Why a name cannot be written: "« x.doc » : le nom doit finir par .pdf, .csv ou .txt."
std::string unknownFormat(const std::string &path);
const char *suffixOf(Format format); // "pdf", "csv", "txt"

// The name a save dialog offers: the title, or for a rig without a title of
// its own (none, or its default patchTitle) the patch file's name and
// "-interrupteurs", with what a file system refuses made a dash.
std::string fileName(const Plan &plan, const std::string &title, const std::string &patchName, Format format);

// The patches offered again, the newest first: one opened again moves to the
// top, and only the last few are kept.
inline constexpr std::size_t kRecentPatches = 6;
std::vector<std::string> recentAfter(std::vector<std::string> recent, const std::string &opened);

// How a line's rows go onto pages: the number of rows on each page it takes,
// a first 0 when it starts on the next page. Each page repeats its heading
// (`top` high); `left` is the room left on this page, `page` a whole page's.
// No row stands alone on a page: two rows at least start a line, and the
// page before a lone last row gives it one of its own.
std::vector<std::size_t> linePieces(std::size_t rows, double left, double page, double top, double row);

// One cell of a separated table, as a spreadsheet reads it back: quoted when
// it holds sep, a quote or a line break (a tab-separated paste has no quoting,
// so there those become spaces), and a text a spreadsheet would run as a
// formula (=, +, - or @ first) led by an apostrophe, so that it stays text.
std::string cell(const std::string &text, char sep);

// The table with sep between the cells (';' for CSV, '\t' to paste into a
// spreadsheet). A run: its heading on a line of its own, each switch headed
// with its weight ("1 (256)") so that a file read later cannot be set
// backwards, one line per fixture. A rig: its DMX line, address, the
// fixture and its profile, then each switch's setting under that row's own
// profile; a switch column names its weight only where every row's profile
// gives that switch the same.
std::string separatedTable(const Plan &plan, char sep, const std::string &title);
// What a CSV file holds: ';' between cells, and the byte order mark that
// tells a spreadsheet the file is UTF-8 ("à").
std::string csvBytes(const Plan &plan, const std::string &title);
// Lined-up columns for a terminal, the title (if any) first: for a run its
// weight order, for a rig its summary, its profiles and a section per line.
// The columns widen so that every row stays aligned.
std::string textTable(const Plan &plan, const std::string &title);

} // namespace dmx
