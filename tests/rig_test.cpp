#include "patch.h"
#include "patchtext.h"
#include "plan.h"
#include "rig.h"
#include "table.h"
#include "rigsamples.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace dmx;
namespace fs = std::filesystem;

namespace {

const auto byName = [](const auto &row) { return std::string(row.param.name); };

// A rig as "label|type|mode|universe.address|channels" lines ("?" for an
// unknown count; then "+offset" past the address and "[why]" an address that
// cannot be set), the unpatched count, or the reader's message.
std::string seen(const std::variant<Rig, ReadError> &read)
{
    if (const auto *e = std::get_if<ReadError>(&read))
        return "erreur: " + e->message;
    std::string out;
    const Rig &rig = std::get<Rig>(read);
    for (const Fixture &f : rig.fixtures)
        out += f.label + "|" + f.type + "|" + f.mode + "|" + std::to_string(f.universe) + "."
               + std::to_string(f.address) + "|" + (f.channels ? std::to_string(*f.channels) : "?")
               + (f.offset ? " +" + std::to_string(f.offset) : "")
               + (f.addressProblem.empty() ? "" : " [" + f.addressProblem + "]") + "\n";
    if (rig.unpatched)
        out += "sans adresse : " + std::to_string(rig.unpatched) + "\n";
    return out;
}

// A scratch folder of the test's own, removed afterwards.
struct Scratch
{
    fs::path dir = fs::temp_directory_path()
                   / ("rig_test_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    Scratch() { fs::create_directories(dir); }
    ~Scratch() { fs::remove_all(dir); }
    std::string write(const std::string &name, const std::string &bytes) const
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
};

struct AddressCase
{
    const char *name, *text;
    std::optional<std::pair<int, int>> read;
};

class Notation : public testing::TestWithParam<AddressCase> {};

TEST_P(Notation, Reads)
{
    const auto got = parsePatchAddress(GetParam().text);
    ASSERT_EQ(got.has_value(), GetParam().read.has_value());
    if (got) {
        EXPECT_EQ(std::make_pair(got->universe, got->address), *GetParam().read);
    }
}

const AddressCase kNotations[] = {
    {"Plain", "101", std::pair(1, 101)},
    {"Dot", "2.101", std::pair(2, 101)},
    {"Slash", "2/101", std::pair(2, 101)},
    {"Dash", "2-101", std::pair(2, 101)},
    {"Colon", "2:101", std::pair(2, 101)},
    {"MagicQ", "1-001", std::pair(1, 1)},
    {"MagicQLastOfUniverse", "12-512", std::pair(12, 512)},
    {"SpacesAround", " 3 . 7 ", std::pair(3, 7)},
    {"Absolute", "613", std::pair(2, 101)},
    {"AbsoluteLastOfLine", "512", std::pair(1, 512)},
    {"AbsoluteFirstOfNext", "513", std::pair(2, 1)},
    {"ZeroKeptForTheChecks", "0", std::pair(1, 0)},
    {"PastTheLine", "2.513", std::nullopt},
    {"UniverseZero", "0.5", std::nullopt},
    {"Words", "abc", std::nullopt},
    {"TwoSeparators", "1.2.3", std::nullopt},
    {"Negative", "-5", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Patch, Notation, testing::ValuesIn(kNotations), byName);

// What a row says of an address it cannot set, and what it keeps to show.
struct ProblemCase
{
    const char *name, *text, *problem, *kept;
};

class AddressProblem : public testing::TestWithParam<ProblemCase> {};

TEST_P(AddressProblem, Said)
{
    const AddressRead read = readAddress(GetParam().text);
    EXPECT_EQ(read.problem, GetParam().problem);
    EXPECT_EQ(std::to_string(read.at.universe) + "." + std::to_string(read.at.address), GetParam().kept);
}

const ProblemCase kProblems[] = {
    {"PastTheLine", "2.600", "adresse 600 hors de 1 à 512", "2.600"},
    {"UniverseZero", "0.5", "univers 0 hors de 1 à 32768", "1.5"},
    {"UniversePastTheLast", "40000/1", "univers 40000 hors de 1 à 32768", "1.1"},
    {"Words", "abc", "adresse « abc » illisible", "1.0"},
    {"TwoSeparators", "1.2.3", "adresse « 1.2.3 » illisible", "1.0"},
    {"Negative", "-5", "adresse « -5 » illisible", "1.0"},
    {"SevenDigits", "1234567", "adresse « 1234567 » illisible", "1.0"},
    {"ControlCharactersShown", "1\x1B\t2", "adresse « 1\\x1B\\t2 » illisible", "1.0"},
    {"Fine", "3:7", "", "3.7"},
};
INSTANTIATE_TEST_SUITE_P(Patch, AddressProblem, testing::ValuesIn(kProblems), byName);

struct ReadCase
{
    const char *name;
    std::string bytes;
    std::string rig; // seen()'s form
};

class CsvRead : public testing::TestWithParam<ReadCase> {};

TEST_P(CsvRead, Rig) { EXPECT_EQ(seen(readCsvPatch(GetParam().bytes, "patch.csv")), GetParam().rig); }

const ReadCase kCsv[] = {
    {"FrenchSemicolonsWithBom",
     "\xEF\xBB\xBFNom;Type;Mode;Univers;Adresse;Canaux\r\nFace 1;PAR LED;7 canaux;1;1;7\r\nFace 2;PAR LED;7 canaux;2;8;7\r\n",
     "Face 1|PAR LED|7 canaux|1.1|7\nFace 2|PAR LED|7 canaux|2.8|7\n"},
    {"EnglishCommas", "Name,Fixture,Mode,Universe,Address,Channels\nWash,Acme Wash,16ch,3,101,16 ch\n",
     "Wash|Acme Wash|16ch|3.101|16\n"},
    {"Tabs", "name\tfixture\taddress\tchannels\nA\tDim\t2.5\t1\nB\t\t7\t\n",
     "A|Dim||2.5|1\nB|||1.7|?\n"},
    {"AbsoluteAddressesNoUniverseColumn", "Nom;Adresse\nX;613\n", "X|||2.101|?\n"},
    {"NotationWinsOverUniverseColumn", "Nom;Univers;Adresse\nX;5;2:7\n", "X|||2.7|?\n"},
    {"QuotedSeparator", "Nom;Adresse\n\"Contre; jardin\";1\n", "Contre; jardin|||1.1|?\n"},
    {"Windows1252", "Nom;Adresse\nD\xE9\x63or \x80;1\n", "D\xC3\xA9\x63or \xE2\x82\xAC|||1.1|?\n"},
    {"Utf16WithMark", std::string("\xFF\xFEN\0o\0m\0;\0A\0d\0r\0\n\0\xE9\0;\0\x33\0\n\0", 26),
     "\xC3\xA9|||1.3|?\n"},
    {"MakerAndModelColumns", "Fabricant;Modèle;DMX\nAcme;Spot;1\n", "Acme Spot 1|Acme Spot||1.1|?\n"},
    {"TitleBlankAndUnpatchedRowsCounted", "Patch salle 2;;\n\nNom;Adresse\n\nA;1\nB;\nC;-\n",
     "A|||1.1|?\nsans adresse : 2\n"},
    {"NoAddressColumn", "Nom;Type\nA;B\n",
     "erreur: Lecture de patch.csv impossible : pas de colonne d'adresse dans les 10 premières lignes "
     "(en-têtes attendus : Adresse, Address, DMX ou Dimmer)."},
    {"RowsOutOfRangeKept", "Nom;Univers;Adresse\n\nA;1;1\nB;2;600\nC;0;5\nD;x;5\nE;;2.600\nF;;abc\nG;3;7\n",
     "A|||1.1|?\nB|||2.600|? [adresse 600 hors de 1 à 512]\nC|||1.5|? [univers 0 hors de 1 à 32768]\n"
     "D|||1.5|? [univers « x » illisible]\nE|||2.600|? [adresse 600 hors de 1 à 512]\n"
     "F|||1.0|? [adresse « abc » illisible]\nG|||3.7|?\n"},
    {"BadChannelsLeaveTheCountUnknown", "Nom;Adresse;Canaux\nA;1;douze\n", "A|||1.1|?\n"},
    {"HeadingsOnlyIsNoPatch", "Nom;Adresse\n;\n",
     "erreur: Lecture de patch.csv impossible : aucune ligne d'appareil sous les en-têtes."},
    {"Empty", "", "erreur: Lecture de patch.csv impossible : le fichier est vide."},
    {"NoHeadingsLabelThenAddress", "Face 1;2.101\nFace 2;2-105\nContre;613\n",
     "Face 1|||2.101|?\nFace 2|||2.105|?\nContre|||2.101|?\n"},
    {"NoHeadingsAddressThenLabel", "1.1,Face\n1.9,Contre\n", "Face|||1.1|?\nContre|||1.9|?\n"},
    {"NoHeadingsChannelThenAddress", "1\t101\n2\t105\n", "1|||1.101|?\n2|||1.105|?\n"},
    {"NoHeadingsButThreeColumns", "Face;PAR;1\n",
     "erreur: Lecture de patch.csv impossible : pas de colonne d'adresse dans les 10 premières lignes "
     "(en-têtes attendus : Adresse, Address, DMX ou Dimmer)."},
    // What is not text says what it seems to be.
    {"ZipNamedCsv", samples::zipOf({{"a.txt", "x"}}),
     "erreur: Lecture de patch.csv impossible : c'est une archive zip, pas une liste CSV."},
    {"WordDocumentNamedCsv", samples::zipOf({{"[Content_Types].xml", "x"}, {"word/document.xml", "x"}}),
     "erreur: Lecture de patch.csv impossible : c'est un document de traitement de texte (Word ou OpenDocument), "
     "pas une liste CSV."},
    {"OldWordDocumentNamedCsv", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10),
     "erreur: Lecture de patch.csv impossible : c'est un document Word ou Excel d'ancien format (.doc, .xls), pas "
     "une liste CSV."},
    {"PdfNamedCsv", "%PDF-1.7\n", "erreur: Lecture de patch.csv impossible : c'est un document PDF, pas une liste CSV."},
    {"NulBytesAreNotText", std::string("Nom;Adresse\nA;1\0\x1B\n", 18),
     "erreur: Lecture de patch.csv impossible : le fichier n'est pas du texte (il contient des octets nuls)."},
};
INSTANTIATE_TEST_SUITE_P(Patch, CsvRead, testing::ValuesIn(kCsv), byName);

// The workspace counts universes and addresses from 0.
std::string workspace(const std::string &fixtures, const std::string &doctype = "")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + doctype
           + "<Workspace xmlns=\"http://www.qlcplus.org/Workspace\" CurrentWindow=\"FixtureManager\">\n"
             "<Engine>\n" + fixtures + "</Engine>\n</Workspace>\n";
}

std::string qxwFixture(const std::string &name, const std::string &universe, const std::string &address,
                       const std::string &channels = "<Channels>6</Channels>")
{
    return "<Fixture><Manufacturer>Acme</Manufacturer><Model>Spot</Model><Mode>6ch</Mode><ID>0</ID><Name>"
           + name + "</Name><Universe>" + universe + "</Universe><Address>" + address + "</Address>" + channels
           + "</Fixture>\n";
}

// Entities declared ten deep, each ten of the one before: 10^9 "lol"s if
// anything expanded them.
const std::string kLaughs = [] {
    std::string d = "<!DOCTYPE Workspace [<!ENTITY lol0 \"lol\">";
    for (int k = 1; k <= 9; ++k) {
        d += "<!ENTITY lol" + std::to_string(k) + " \"";
        for (int i = 0; i < 10; ++i)
            d += "&lol" + std::to_string(k - 1) + ";";
        d += "\">";
    }
    return d + "]>\n";
}();

class QxwRead : public testing::TestWithParam<ReadCase> {};

TEST_P(QxwRead, Rig) { EXPECT_EQ(seen(readQxw(GetParam().bytes, "salle.qxw")), GetParam().rig); }

const ReadCase kQxw[] = {
    {"CountedFromZero", workspace(qxwFixture("Spot", "0", "0") + qxwFixture("Spot 2", "1", "511")),
     "Spot|Acme Spot|6ch|1.1|6\nSpot 2|Acme Spot|6ch|2.512|6\n"},
    {"NoChannelsElement", workspace(qxwFixture("S", "2", "9", "")), "S|Acme Spot|6ch|3.10|?\n"},
    {"EntitiesLeftUnexpanded", workspace(qxwFixture("&lol9;", "0", "0"), kLaughs),
     "&lol9;|Acme Spot|6ch|1.1|6\n"},
    {"AddressPastTheLineKept", workspace(qxwFixture("S", "0", "512") + qxwFixture("T", "0", "1", "<Channels>x</Channels>")),
     "S|Acme Spot|6ch|1.513|6 [adresse 513 hors de 1 à 512]\nT|Acme Spot|6ch|1.2|?\n"},
    {"NoUniverseKept", workspace("<Fixture><Name>S</Name><Address>1</Address></Fixture>\n"),
     "S|||1.2|? [univers absent]\n"},
    {"NoFixture", workspace(""), "erreur: Lecture de salle.qxw impossible : aucun appareil dans l'espace de travail."},
    {"BrokenXml", "<Workspace>\n<Engine>\n<Fixture>\n</Workspace>",
     "erreur: Lecture de salle.qxw impossible : XML incorrect à la ligne 4 (balise fermante qui ne correspond pas "
     "à la balise ouverte)."},
    {"NotAWorkspace", "<FixtureDefinition/>",
     "erreur: Lecture de salle.qxw impossible : pas d'élément Workspace/Engine : ce n'est pas un espace de "
     "travail QLC+."},
};
INSTANTIATE_TEST_SUITE_P(Patch, QxwRead, testing::ValuesIn(kQxw), byName);

using samples::address;
using samples::fixture;

class MvrRead : public testing::TestWithParam<ReadCase> {};

TEST_P(MvrRead, Rig)
{
    ReadOptions small;
    small.mostEntryBytes = 1 << 20;
    EXPECT_EQ(seen(readMvr(GetParam().bytes, "plan.mvr", small)), GetParam().rig);
}

// An archive whose records claim a small entry that unpacks large.
std::string lyingSizes()
{
    std::string zip = samples::zipOf({{"GeneralSceneDescription.xml", std::string(3 << 20, ' ')}});
    for (const char *record : {"PK\x03\x04", "PK\x01\x02"}) {
        const auto at = zip.find(record);
        const auto field = at + (record[2] == 3 ? 22 : 24); // uncompressed size
        zip.replace(field, 4, std::string("\x10\0\0\0", 4));
    }
    return zip;
}

const ReadCase kMvr[] = {
    {"FootprintsFromTheTypes",
     samples::mvr(fixture("Spot A", "Acme@Spot4.gdtf", "Standard", address("45"))
                  + fixture("Spot B", "Acme@Spot4.gdtf", "Basic", address("2.101"))
                  + fixture("Barre", "Acme@Bar4", "Cells", address("3.1") + address("3.200", 1))),
     "Spot A|Acme Spot 4|Standard|1.45|4\nSpot B|Acme Spot 4|Basic|2.101|1\n"
     "Barre|Acme Bar 4|Cells|3.1|5\nBarre (partie 2)|Acme Bar 4|Cells|3.200|1\n"},
    {"InsideGroupsAndTrusses",
     samples::mvr("<GroupObject name=\"G\" uuid=\"2\"><ChildList>"
                  + fixture("Dans groupe", "Acme@Spot4.gdtf", "Basic", address("1"))
                  + "<Truss name=\"T\" uuid=\"3\"><ChildList>"
                  + fixture("Sous pont", "Acme@Spot4.gdtf", "Basic", address("2"))
                  + "</ChildList></Truss></ChildList></GroupObject>"),
     "Dans groupe|Acme Spot 4|Basic|1.1|1\nSous pont|Acme Spot 4|Basic|1.2|1\n"},
    {"UnpatchedCounted",
     samples::mvr(fixture("Rien", "Acme@Spot4.gdtf", "Basic", address("0"))
                  + fixture("Sans", "Acme@Spot4.gdtf", "Basic", "")),
     "sans adresse : 2\n"},
    {"NoFixture", samples::mvr(""), "erreur: Lecture de plan.mvr impossible : aucun appareil dans la scène."},
    {"SecondBreakPastItsFirstSlot",
     samples::mvr(fixture("Lyre", "Acme@Wash2.gdtf", "Full", address("1") + address("2.1", 1))),
     "Lyre|Acme Wash 2|Full|1.1|33\nLyre (partie 2)|Acme Wash 2|Full|2.1|57 +33\n"},
    {"MissingTypeOrModeLeavesTheCountUnknown",
     samples::mvr(fixture("A", "../../etc/passwd", "Basic", address("1"))
                  + fixture("B", "Acme@Spot4.gdtf", "Nope", address("9"))),
     "A|../../etc/passwd|Basic|1.1|?\nB|Acme Spot 4|Nope|1.9|?\n"},
    {"ClimbingNameReadInMemory",
     samples::mvr(fixture("A", "../evil.gdtf", "Basic", address("1")), {{"../evil.gdtf", samples::spotType()}}),
     "A|Acme Spot 4|Basic|1.1|1\n"},
    {"BadAddressKept", samples::mvr(fixture("A", "x", "m", address("1.999"))), "A|x|m|1.999|? [adresse 999 hors de 1 à 512]\n"},
    {"NotXml", samples::zipOf({{"GeneralSceneDescription.xml", "pas du XML"}}),
     "erreur: Lecture de plan.mvr impossible : GeneralSceneDescription.xml, XML incorrect à la ligne 1 (aucun "
     "élément : ce n'est pas un document XML)."},
    {"NotAZip", "PK\x03\x04 and then nothing of a zip",
     "erreur: Lecture de plan.mvr impossible : ce n'est pas une archive MVR lisible (pas une archive zip)."},
    {"NoScene", samples::zipOf({{"readme.txt", "x"}}),
     "erreur: Lecture de plan.mvr impossible : pas de GeneralSceneDescription.xml dans l'archive : ce n'est "
     "pas une scène MVR."},
    {"Bomb", samples::zipOf({{"GeneralSceneDescription.xml", std::string(2 << 20, ' ')}}),
     "erreur: Lecture de plan.mvr impossible : GeneralSceneDescription.xml : entrée trop grande une fois "
     "décompressée."},
    // Read no further than the size it claims, the entry fails its checksum.
    {"LyingSizes", lyingSizes(),
     "erreur: Lecture de plan.mvr impossible : GeneralSceneDescription.xml : entrée abîmée (somme de contrôle "
     "fausse : fichier abîmé)."},
    {"EntitiesLeftUnexpanded",
     samples::zipOf({{"GeneralSceneDescription.xml",
                      samples::sceneXml(fixture("&lol9;", "x", "m", address("1")), kLaughs)}}),
     "&lol9;|x|m|1.1|?\n"},
};
INSTANTIATE_TEST_SUITE_P(Patch, MvrRead, testing::ValuesIn(kMvr), byName);

TEST(Patch, FilesChosenByExtensionOrContent)
{
    const Scratch s;
    EXPECT_EQ(seen(readPatch(s.write("a.csv", "Nom;Adresse\nA;1\n"))), "A|||1.1|?\n");
    EXPECT_EQ(seen(readPatch(s.write("b.qxw", workspace(qxwFixture("S", "0", "4"))))), "S|Acme Spot|6ch|1.5|6\n");
    EXPECT_EQ(seen(readPatch(s.write("c.mvr", samples::mvr(fixture("F", "Acme@Spot4.gdtf", "Basic", address("7")))))),
              "F|Acme Spot 4|Basic|1.7|1\n");
    EXPECT_EQ(seen(readPatch(s.write("sans-extension", samples::mvr(fixture("F", "Acme@Spot4.gdtf", "Basic", address("7")))))),
              "F|Acme Spot 4|Basic|1.7|1\n");
    EXPECT_EQ(seen(readPatch(s.write("d.xml", workspace(qxwFixture("S", "0", "4"))))), "S|Acme Spot|6ch|1.5|6\n");
    EXPECT_EQ(seen(readPatch((s.dir / "absent.csv").string())),
              "erreur: Lecture d'absent.csv impossible : le fichier est introuvable.");
    EXPECT_FALSE(fs::exists(s.dir / ".." / "evil.gdtf"));
}

// A page hands core a file's bytes and its name: the reader chosen is the
// one the file on disk gets.
TEST(Patch, BytesAndNameReadAsTheFile)
{
    const Scratch s;
    const std::string scene = samples::mvr(fixture("F", "Acme@Spot4.gdtf", "Basic", address("7")));
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.CSV", "Nom;Adresse\nA;1\n"},
        {"b.qxw", workspace(qxwFixture("S", "0", "4"))},
        {"c.mvr", scene},
        {"sans-extension", scene},
        {"d.xml", workspace(qxwFixture("S", "0", "4"))},
        {"e.asc", "IDENT 3:0\nPATCH 1 12<12 ;\n"},
        {"show", "  ident 3:0\r\nPATCH 1 1<7\r\n"},
        {"f.tsv", "Name\tAddress\nA\t2.101\n"},
        {"image.csv", "\x89PNG\r\n\x1a\n"},
        {"vide.txt", ""},
    };
    for (const auto &[name, bytes] : files) {
        SCOPED_TRACE(name);
        EXPECT_EQ(seen(readPatchBytes(bytes, name)), seen(readPatch(s.write(name, bytes))));
    }
    EXPECT_EQ(seen(readPatchBytes(scene, "sans-extension")), "F|Acme Spot 4|Basic|1.7|1\n");
}

TEST(Patch, WrittenByLibreOfficeCalcInFrench)
{
    EXPECT_EQ(seen(readPatch(RIG_TEST_DATA "/patch-calc.csv")),
              "Face cour|D\xC3\xA9\x63oupe 614|1 canal|1.1|1\n"
              "Contre; jardin \xC2\xAB bleu \xC2\xBB|PAR LED \"RGBW\"|8 canaux|2.101|8\n"
              "Lyre \xC3\xA9t\xC3\xA9|Spot 250|\xC3\x89tendu|3.26|?\n");
}

TEST(Patch, MagicQHeadList)
{
    EXPECT_EQ(seen(readPatch(RIG_TEST_DATA "/magicq-heads.csv")),
              "Spots n° 1|Generic Dimmer||1.1|?\nSpots n° 2|Generic Dimmer||1.2|?\n"
              "Finger L n° 5|Generic Dimmer||1.5|?\nWash n° 101|Generic RGB||2.101|?\n"
              "Wash n° 102|Generic RGB||2.613|? [adresse 613 hors de 1 à 512]\n");
}

TEST(Patch, VectorworksInstrumentList)
{
    // "Channel" is the console's channel: the count is Num Channels'.
    EXPECT_EQ(seen(readPatch(RIG_TEST_DATA "/vectorworks-instruments.txt")),
              "FOH 1 n° 1|Source Four 26°||1.1|1\nFOH 1 n° 2|Source Four 26°||1.2|1\n"
              "Perche 2 n° 1|MAC Aura||2.101|14\nPerche 2 n° 2|MAC Aura||2.115|14\nsans adresse : 1\n");
}

TEST(Patch, UsittAsciiPatchOnly)
{
    EXPECT_EQ(seen(readPatch(RIG_TEST_DATA "/usitt-patch.asc")),
              "Circuit 1|||1.1|1\nCircuit 1|||1.2|1\nCircuit 3|||1.3|1\nCircuit 12|||2.101|1\n"
              "Circuit 14|||1.0|1 [adresse « 99999999 » illisible]\nsans adresse : 1\n");
    const Scratch s;
    EXPECT_EQ(seen(readPatch(s.write("export", "  IDENT 3:0\nPATCH 1 5 5 FL\n"))), "Circuit 5|||1.5|1\n");
    EXPECT_EQ(seen(readUsittAscii("Ident 3:0\nCue 1\nUp 5\nEndData\n", "spectacle.asc")),
              "erreur: Lecture de spectacle.asc impossible : pas de patch dans ce fichier USITT ASCII (aucune ligne "
              "PATCH).");
}

TEST(Patch, MessagesReadWhateverTheName)
{
    EXPECT_EQ(seen(readCsvPatch("", "adresse600.csv")),
              "erreur: Lecture d'adresse600.csv impossible : le fichier est vide.");
    EXPECT_EQ(seen(readCsvPatch("", "\xC3\xA9t\xC3\xA9.csv")),
              "erreur: Lecture d'\xC3\xA9t\xC3\xA9.csv impossible : le fichier est vide.");
    EXPECT_EQ(seen(readCsvPatch("", std::string("a\nb\x1B\0.csv", 9))),
              "erreur: Lecture d'a\\nb\\x1B\\0.csv impossible : le fichier est vide.");
}

TEST(Patch, DuplicateEntryInFrench)
{
    std::string zip = samples::zipOf({{"GeneralSceneDescription.xml", "<a/>"}, {"GeneralSceneDescriptionXxml", "<b/>"}},
                                     false);
    // The second name made the same as the first, in both of its records.
    for (std::size_t at = zip.find("DescriptionXxml"); at != std::string::npos; at = zip.find("DescriptionXxml"))
        zip[at + 11] = '.';
    EXPECT_EQ(seen(readMvr(zip, "plan.mvr")),
              "erreur: Lecture de plan.mvr impossible : ce n'est pas une archive MVR lisible (un même nom y figure "
              "deux fois).");
}

TEST(Patch, DenseXmlRefusedBeforeParsing)
{
    std::string marks;
    for (std::size_t k = 0; k <= kMostXmlMarks; ++k)
        marks += "<a/>";
    EXPECT_EQ(seen(readQxw(workspace(marks), "salle.qxw")),
              "erreur: Lecture de salle.qxw impossible : plus de 2 000 000 éléments et attributs XML : trop pour un "
              "patch.");
}

TEST(Patch, EncryptedSceneSaysSo)
{
    const std::string bytes = samples::zipOf(
        {{"GeneralSceneDescription.xml", samples::sceneXml(fixture("A", "x", "m", address("1")))}}, false, "secret");
    EXPECT_EQ(seen(readMvr(bytes, "plan.mvr")),
              "erreur: Lecture de plan.mvr impossible : GeneralSceneDescription.xml : entrée illisible (archive "
              "chiffrée).");
}

TEST(Patch, RigsPastTheLimitRefused)
{
    std::string csv = "Nom;Adresse\n";
    for (std::size_t k = 0; k <= kMostRigFixtures; ++k)
        csv += "A;\n";
    EXPECT_EQ(seen(readCsvPatch(csv, "grand.csv")),
              "erreur: Lecture de grand.csv impossible : plus de 100 000 appareils : ce n'est pas le patch d'un "
              "spectacle, la lecture s'arrête là.");
}

TEST(Patch, HugeFilesRefusedBeforeReading)
{
#ifdef __EMSCRIPTEN__
    GTEST_SKIP() << "node's file layer under emscripten cuts a sparse file of 2 GiB";
#endif
    const Scratch s;
    for (const char *name : {"huge.csv", "huge.mvr"}) {
        std::ofstream(s.dir / name).put('x');
        fs::resize_file(s.dir / name, std::uintmax_t(2) << 30); // sparse: nothing is written
    }
    EXPECT_EQ(seen(readPatch((s.dir / "huge.csv").string())),
              "erreur: Lecture de huge.csv impossible : le fichier est trop grand pour une liste de patch.");
    EXPECT_EQ(seen(readPatch((s.dir / "huge.mvr").string())),
              "erreur: Lecture de huge.mvr impossible : ce n'est pas une archive MVR lisible (pas une archive zip).");
}

// Profiles named after what sets them apart; a fixture's type names its profile.
SwitchProfile variant(const char *name, void (*change)(SwitchProfile &))
{
    SwitchProfile p = otherFixtureProfile();
    p.name = name;
    change(p);
    return p;
}

Profiles variants()
{
    Profiles c;
    for (const SwitchProfile &p : {variant("Neuf", [](SwitchProfile &p) { p.tenth = TenthSwitch::None; }),
                                   variant("Dix", [](SwitchProfile &p) { p.tenth = TenthSwitch::Weight512; }),
                                   variant("Moins un", [](SwitchProfile &p) { p.offset = 1; }),
                                   variant("Bas", [](SwitchProfile &p) { p.onIsUp = false; }),
                                   variant("Fonction", [](SwitchProfile &p) {
                                       p.tenth = TenthSwitch::Function;
                                       p.functionName = "Mode";
                                   })})
        c.add(p);
    for (const SwitchProfile &p : c.all())
        c.choose(p.name, "", p.name);
    return c;
}

Fixture fx(const char *label, const std::string &type, int universe, int address, std::optional<int> channels = 1,
           int offset = 0)
{
    Fixture f;
    f.label = label;
    f.type = type;
    f.universe = universe;
    f.address = address;
    f.channels = channels;
    f.offset = offset;
    return f;
}

// A fixture whose patch gives an address that cannot be set.
Fixture unset(Fixture f, const char *why)
{
    f.addressProblem = why;
    return f;
}

const std::string kStd = otherFixtureProfile().name;

// One row of the plan: its switches ("1" ON, "0" OFF, "-" nothing to set)
// and its remarks.
struct CheckCase
{
    const char *name;
    std::vector<Fixture> rig;
    const char *label;
    const char *switches, *remarks;
};

class Checks : public testing::TestWithParam<CheckCase> {};

TEST_P(Checks, Row)
{
    const Rig rig{GetParam().rig};
    const Plan plan = makePlan(rig, variants());
    for (const Row *row : plan.rows()) {
        if (row->fixture.label != GetParam().label)
            continue;
        std::string switches, remarks;
        for (int k = 1; k <= kTerminatorSwitch; ++k) {
            const std::string w = settingWord(plan, *row, k);
            switches += w.empty() ? '-' : w == "ON" ? '1' : '0';
        }
        for (const Remark &r : row->remarks)
            remarks += (remarks.empty() ? "" : " ; ") + r.text;
        EXPECT_EQ(switches, GetParam().switches);
        EXPECT_EQ(remarks, GetParam().remarks);
        const bool informative = remarks.empty() || remarks.find("bouchon") == 0 || remarks.find("fin de ligne") == 0
                                 || remarks.find("canaux ") == 0;
        EXPECT_EQ(row->problem(), !informative);
        return;
    }
    FAIL() << "no row " << GetParam().label;
}

const CheckCase kChecks[] = {
    {"SharedChannelsNameBoth_First", {fx("A", kStd, 1, 1, 10), fx("B", kStd, 1, 5, 4)}, "A", "1000000000",
     "partage des canaux avec « B » (5-8)"},
    {"SharedChannelsNameBoth_Second", {fx("A", kStd, 1, 1, 10), fx("B", kStd, 1, 5, 4)}, "B", "1010000001",
     "partage des canaux avec « A » (1-10) ; bouchon 120R"},
    {"OtherLinesShareNothing", {fx("A", kStd, 1, 1, 10), fx("B", kStd, 2, 5, 4)}, "A", "1000000001",
     "bouchon 120R"},
    {"PastChannel512", {fx("A", kStd, 1, 510, 6)}, "A", "0111111111",
     "dépasse le canal 512 ; bouchon 120R"},
    {"Start512OnNineSwitches", {fx("A", "Neuf", 1, 512)}, "A", "----------",
     "hors interrupteurs ; fin de ligne sans interrupteur de bouchon : bouchon 120R à poser"},
    {"Start512OnTerminatorBank", {fx("A", kStd, 1, 512)}, "A", "---------1",
     "hors interrupteurs ; bouchon 120R"},
    {"Start512WithSwitch10Weighing512", {fx("A", "Dix", 1, 512)}, "A", "0000000001",
     "fin de ligne sans interrupteur de bouchon : bouchon 120R à poser"},
    {"Start512OnAddressMinusOne", {fx("A", "Moins un", 1, 512)}, "A", "1111111111", "bouchon 120R"},
    {"Start1OnAddressMinusOne", {fx("A", "Moins un", 1, 1)}, "A", "0000000001", "bouchon 120R"},
    {"StartZeroNever", {fx("A", "Moins un", 1, 0)}, "A", "---------1",
     "commence à 0 ; hors interrupteurs ; bouchon 120R"},
    {"StartZeroOnStandardIsAllOff", {fx("A", kStd, 1, 0)}, "A", "0000000001", "commence à 0 ; bouchon 120R"},
    {"StartPastTheLine", {fx("A", "Dix", 1, 600, std::nullopt)}, "A", "----------",
     "hors interrupteurs ; dépasse le canal 512 ; nombre de canaux inconnu ; fin de ligne sans interrupteur de "
     "bouchon : bouchon 120R à poser"},
    {"UnknownChannelsStillDrawn", {fx("A", kStd, 1, 3, std::nullopt)}, "A", "1100000001",
     "nombre de canaux inconnu ; bouchon 120R"},
    {"TerminatorOffBeforeTheLast", {fx("A", kStd, 1, 1), fx("B", kStd, 1, 5), fx("C", kStd, 2, 1)}, "A",
     "1000000000", ""},
    {"TerminatorOnLastOfLine1", {fx("A", kStd, 1, 1), fx("B", kStd, 1, 5), fx("C", kStd, 2, 1)}, "B",
     "1010000001", "bouchon 120R"},
    {"TerminatorOnLastOfLine2", {fx("C", kStd, 2, 1), fx("A", kStd, 1, 1)}, "C", "1000000001",
     "bouchon 120R"},
    // The profile column says the profile: another one is no remark.
    {"OtherProfileIsNoRemark", {fx("A", kStd, 1, 9), fx("B", kStd, 1, 12), fx("N", "Neuf", 1, 3)}, "N", "110000000-",
     ""},
    {"FunctionSwitchAtItsPosition", {fx("A", "Fonction", 1, 3), fx("B", kStd, 1, 12), fx("C", kStd, 1, 20)}, "A",
     "1100000000", ""},
    {"BadAddressShownUnset", {unset(fx("A", kStd, 1, 600, 4), "adresse 600 hors de 1 à 512"), fx("B", kStd, 1, 1, 2)}, "A", "---------0",
     "adresse 600 hors de 1 à 512"},
    {"BadAddressLeavesTheTerminatorToTheLastSet", {unset(fx("A", kStd, 1, 600, 4), "adresse 600 hors de 1 à 512"), fx("B", kStd, 1, 1, 2)}, "B",
     "1000000001", "bouchon 120R"},
    {"SlotsPastTheAddress", {fx("A", kStd, 2, 1, 57, 33)}, "A", "1000000001", "canaux 34 à 90 ; bouchon 120R"},
    {"SharedOnTheTrueSlots", {fx("A", kStd, 2, 1, 57, 33), fx("B", kStd, 2, 40, 1), fx("C", kStd, 2, 10, 1)}, "B",
     "0001010001", "partage des canaux avec « A » (34-90) ; bouchon 120R"},
    {"PastTheLineOnTheTrueSlots", {fx("A", kStd, 2, 480, 57, 33)}, "A", "0000011111",
     "dépasse le canal 512 ; canaux 513 à 569 ; bouchon 120R"},
    {"ColourDriverOrder", {fx("A", colourDriverProfile().name, 1, 3)}, "A", "0000000111",
     "bouchon 120R"},
};
INSTANTIATE_TEST_SUITE_P(Rig, Checks, testing::ValuesIn(kChecks), byName);

TEST(Rig, SummaryCountsTheProblems)
{
    const Rig rig{{fx("A", kStd, 1, 1, 10), fx("B", kStd, 1, 5, 4), fx("C", "Neuf", 2, 512, std::nullopt)}};
    const Plan plan = makePlan(rig, variants());
    EXPECT_EQ(plan.profileOf(plan.lines[1].rows[0]).name, "Neuf");
    EXPECT_EQ(plan.summary, "3 appareils sur 2 lignes, 2 profils. 3 appareils à revoir : canaux partagés (2), "
                            "adresse impossible à régler (1), canaux inconnus (1).");
    EXPECT_EQ(plan.lines[1].title(), "Ligne 2");
    EXPECT_EQ(plan.profiles.front().name, kStd);
}

TEST(Rig, SummarySaysTheUnpatched)
{
    Rig rig{{fx("A", kStd, 1, 1), unset(fx("B", kStd, 1, 0), "adresse « x » illisible")}};
    rig.unpatched = 72;
    EXPECT_EQ(makePlan(rig, variants()).summary,
              "2 appareils sur 1 ligne, 1 profil. 1 appareil à revoir : adresse du patch inutilisable (1). "
              "72 appareils sans adresse, non repris.");
    rig.fixtures.clear();
    EXPECT_EQ(makePlan(rig, variants()).summary, "0 appareil sur 0 ligne, 0 profil. 72 appareils sans adresse, non repris.");
}

// Each field of a profile, at address 5 on a lone fixture: the levers up
// ("U") or down ("D"), switch 1 first, and switch 10's heading.
struct BankCase
{
    const char *name, *type, *bank;
};

class Banks : public testing::TestWithParam<BankCase> {};

TEST_P(Banks, Drawn)
{
    const Rig rig{{fx("A", GetParam().type, 1, 5)}};
    const Plan plan = makePlan(rig, variants());
    const Row &row = plan.lines[0].rows[0];
    const SwitchProfile &p = plan.profileOf(row);
    std::string bank;
    for (int k = 1; k <= p.switchCount(); ++k)
        bank += p.leverUp(row.on[k - 1]) ? 'U' : 'D';
    EXPECT_EQ(bank + " " + switchHeading(p, kTerminatorSwitch), GetParam().bank);
}

const BankCase kBanks[] = {
    {"Standard", kStd.c_str(), "UDUDDDDDDU 10 (120R)"},
    {"WeightOrder", "Pilote de LED Corvane (interrupteur 1 = 256)", "DDDDDDUDUU 10 (120R)"},
    {"OnDown", "Bas", "DUDUUUUUUD 10 (120R)"},
    {"AddressMinusOne", "Moins un", "DDUDDDDDDU 10 (120R)"},
    {"NineSwitches", "Neuf", "UDUDDDDDD 10"},
    {"Switch10Weighs512", "Dix", "UDUDDDDDDD 10 (512)"},
    {"FunctionSwitchOff", "Fonction", "UDUDDDDDDD 10 (Mode)"},
};
INSTANTIATE_TEST_SUITE_P(Rig, Banks, testing::ValuesIn(kBanks), byName);

TEST(Rig, TablesCarryUniverseAddressAndWeights)
{
    const Rig rig{{fx("Face; jardin", kStd, 3, 1, 4), fx("N", "Neuf", 3, 5, 2)}};
    const Plan plan = makePlan(rig, variants());
    const std::string csv = separatedTable(plan, ';', "");
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "Ligne DMX;Adresse;Dernier canal;Nom;Type;Mode;Canaux;Profil;1 (1);2 (2);3 (4);4 (8);5 (16);"
              "6 (32);7 (64);8 (128);9 (256);10;Remarques");
    EXPECT_NE(csv.find("\n3;1;4;\"Face; jardin\";"), std::string::npos) << csv;
    EXPECT_NE(csv.find(";N;Neuf;;2;Neuf;ON;OFF;ON;OFF;OFF;OFF;OFF;OFF;OFF;;fin de ligne"),
              std::string::npos) << csv;
    // What the table says reads back as the same patch.
    EXPECT_EQ(seen(readCsvPatch(csv, "x.csv")), "Face; jardin|Standard (interrupteur 1 = 1)||3.1|4\nN|Neuf||3.5|2\n");
    const std::string text = textTable(plan, "Salle");
    EXPECT_EQ(text.substr(0, text.find("\n\n")),
              "Salle\n2 appareils sur 1 ligne, 2 profils. Aucun problème.\n"
              "Profil « Standard (interrupteur 1 = 1) » : interrupteur 1 = 1, ON en haut, adresse telle quelle, "
              "interrupteur 10 = bouchon\n"
              "Profil « Neuf » : interrupteur 1 = 1, ON en haut, adresse telle quelle, neuf interrupteurs");
    EXPECT_NE(text.find("Ligne 3\nAdresse"), std::string::npos) << text;
    EXPECT_NE(text.find("\n5       5-6       N            Neuf                          ON   OFF  ON   OFF  OFF  OFF  "
                        "OFF  OFF  OFF       fin de ligne sans"),
              std::string::npos) << text;
}

TEST(Profiles, ChoiceByTypeAndMode)
{
    Profiles c = variants();
    c.choose("Spot", "", "Neuf");
    c.choose("Spot", "16 bits", "Dix");
    EXPECT_EQ(c.profileFor("Spot", "16 bits").name, "Dix");
    EXPECT_EQ(c.profileFor("Spot", "8 bits").name, "Neuf");
    EXPECT_EQ(c.profileFor("Wash", "").name, kStd);
    c.choose("Spot", "", "Absent");
    EXPECT_EQ(c.profileFor("Spot", "8 bits").name, kStd);
}

TEST(Profiles, TextKeepsThemBetweenRuns)
{
    Profiles c = variants();
    SwitchProfile on = *c.find("Fonction");
    on.functionOn = true;
    ASSERT_EQ(c.change("Fonction", on), std::nullopt);
    c.choose("Spot", "16 bits", "Dix");
    const auto back = Profiles::read(c.text(), "profils.json");
    ASSERT_TRUE(std::holds_alternative<Profiles>(back)) << std::get<std::string>(back);
    EXPECT_EQ(std::get<Profiles>(back).own(), c.own());
    EXPECT_EQ(std::get<Profiles>(back).profileFor("Spot", "16 bits").name, "Dix");
    EXPECT_FALSE(std::get<Profiles>(back).changed());
}

struct StoreCase
{
    const char *name;
    std::string json;
    const char *message;
};

class BadStore : public testing::TestWithParam<StoreCase> {};

TEST_P(BadStore, Message)
{
    const auto read = Profiles::read(GetParam().json, "/x/p.json");
    ASSERT_TRUE(std::holds_alternative<std::string>(read));
    EXPECT_EQ(std::get<std::string>(read), std::string("Le fichier des profils /x/p.json") + GetParam().message);
}

const StoreCase kBadStores[] = {
    {"NotJson", "{profils", " n'est pas du JSON valable."},
    {"NoName", R"j({"profils":[{"nom":"","poids":[]}]})j", " est incorrect (profil 1) : un profil sans nom."},
    {"EightWeights", R"j({"profils":[{"nom":"X","poids":[1,2,4,8,16,32,64,128]}]})j",
     " est incorrect (profil 1) : il faut neuf poids."},
    {"WeightPastABank", R"j({"profils":[{"nom":"X","poids":[65537,2,4,8,16,32,64,128,256]}]})j",
     " est incorrect (profil 1) : « poids » 1 vaut 65537, pas un poids d'interrupteur (1, 2, 4 … 256)."},
    {"WeightNotWhole", R"j({"profils":[{"nom":"X","poids":[1,2,4,8,16,32,64,128,1.9]}]})j",
     " est incorrect (profil 1) : « poids » 9 vaut 1.9, pas un poids d'interrupteur (1, 2, 4 … 256)."},
    {"WeightTwice", R"j({"profils":[{"nom":"X","poids":[1,1,4,8,16,32,64,128,256]}]})j",
     " est incorrect (profil 1) : les poids doivent être 1, 2, 4 … 256, chacun une fois."},
    {"UnknownTenth", R"j({"profils":[{"nom":"X","poids":[1,2,4,8,16,32,64,128,256],"interrupteur10":"?"}]})j",
     " est incorrect (profil 1) : interrupteur10 inconnu : ?."},
    {"NameOfABuiltIn", R"j({"profils":[{"nom":"Standard (interrupteur 1 = 1)","poids":[1,2,4,8,16,32,64,128,256]}]})j",
     " est incorrect (profil 1) : le nom Standard (interrupteur 1 = 1) est déjà pris."},
    {"ArrayInsteadOfObject", "[]",
     " n'a pas la forme d'un fichier de profils (un objet JSON avec « profils » et « choix »)."},
    {"NameNotText", R"j({"profils":[{"nom":3}]})j",
     " est incorrect (profil 1) : un champ manque ou n'est pas du type attendu."},
    {"ChoiceWithoutType", R"j({"choix":[{"profil":"X"}]})j",
     " est incorrect (choix 1) : un champ manque ou n'est pas du type attendu."},
    {"TooBig", std::string(Profiles::kMostBytes + 1, ' '), " est trop grand ou illisible."},
};
INSTANTIATE_TEST_SUITE_P(Profiles, BadStore, testing::ValuesIn(kBadStores), byName);

TEST(Profiles, NewOnesTakeTheFirstFreeName)
{
    Profiles c;
    ASSERT_EQ(c.add(variant("Profil 2", [](SwitchProfile &) {})), std::nullopt);
    EXPECT_EQ(c.copyFor(colourDriverProfile(), "Wash", "").name, "Profil 1");
    EXPECT_EQ(c.copyFor(otherFixtureProfile(), "Spot", "8 bits").name, "Profil 3");
    EXPECT_EQ(c.profileFor("Wash", "Standard").order.weights, kColourDriverBank.weights);
    EXPECT_EQ(c.profileFor("Spot", "8 bits").name, "Profil 3");
    EXPECT_EQ(c.add(variant(" Profil 1 ", [](SwitchProfile &) {})),
              "Le nom « Profil 1 » est déjà celui d'un autre profil.");
}

// A change of "Neuf": done (its new name, trimmed, is what the types that
// chose it use) or refused with the reason, the store as it was.
struct ChangeCase
{
    const char *name;
    std::string profile, newName;
    const char *reason; // "" when done
};

class Change : public testing::TestWithParam<ChangeCase> {};

TEST_P(Change, DoneOrSaid)
{
    Profiles c = std::get<Profiles>(Profiles::read(variants().text(), "p")); // nothing changed yet
    const Profiles before = c;
    SwitchProfile changed = variant(GetParam().newName.c_str(), [](SwitchProfile &p) { p.onIsUp = false; });
    const auto reason = c.change(GetParam().profile, changed);
    EXPECT_EQ(reason.value_or(""), GetParam().reason);
    if (reason) {
        EXPECT_EQ(c.own(), before.own());
        EXPECT_FALSE(c.changed());
        return;
    }
    const SwitchProfile &now = c.profileFor(GetParam().profile, "");
    EXPECT_EQ(now.name, trimmed(GetParam().newName, " "));
    EXPECT_FALSE(now.onIsUp);
    EXPECT_EQ(c.find(GetParam().profile), nullptr);
    EXPECT_TRUE(c.changed());
}

const ChangeCase kChanges[] = {
    {"RenamedWithASpaceInside", "Neuf", "Lyre Spot", ""},
    {"BlanksAroundTrimmed", "Neuf", "  Lyre Spot ", ""},
    {"NameOfAnother", "Neuf", "Dix", "Le nom « Dix » est déjà celui d'un autre profil."},
    {"NameOfABuiltIn", "Neuf", kStd, "Le nom « Standard (interrupteur 1 = 1) » est déjà celui d'un autre profil."},
    {"NoName", "Neuf", "   ", "Un profil a besoin d'un nom."},
    {"BuiltIn", kStd, "Mien",
     "Le profil « Standard (interrupteur 1 = 1) » vient avec le programme et ne change pas : "
     "faites-en un nouveau profil."},
    {"Absent", "Absent", "Mien", "Pas de profil « Absent »."},
};
INSTANTIATE_TEST_SUITE_P(Profiles, Change, testing::ValuesIn(kChanges), byName);

// --profil's word: the profile found, or the reason.
struct NamedCase
{
    const char *name, *start, *found;
};

class Named : public testing::TestWithParam<NamedCase> {};

TEST_P(Named, FoundOrSaid)
{
    Profiles c = variants();
    c.add(variant("Été", [](SwitchProfile &) {}));
    c.add(variant("Étoile", [](SwitchProfile &) {}));
    const auto named = c.named(GetParam().start);
    if (const auto *reason = std::get_if<std::string>(&named))
        EXPECT_EQ(*reason, GetParam().found);
    else
        EXPECT_EQ(std::get<const SwitchProfile *>(named)->name, GetParam().found);
}

const NamedCase kNamed[] = {
    {"WholeName", "Dix", "Dix"},
    {"Trimmed", "  Moins un ", "Moins un"},
    {"StartWhateverTheCase", "pilote de LED", "Pilote de LED Corvane (interrupteur 1 = 256)"},
    {"AccentedCapital", "étO", "Étoile"},
    {"WholeNameBeforeStart", "Été", "Été"},
    {"Several", "é", "« é » désigne plusieurs profils."},
    {"None", "Martin",
     "pas de profil « Martin » (profils : « Standard (interrupteur 1 = 1) », « Pilote de LED Corvane (interrupteur "
     "1 = 256) », « Neuf », « Dix », « Moins un », « Bas », « Fonction », « Été », « Étoile »)."},
};
INSTANTIATE_TEST_SUITE_P(Profiles, Named, testing::ValuesIn(kNamed), byName);

// Two runs read the same file; the other saves first, then this one: what
// both did stays. Seen as "own profiles / type=profile choices".
struct MergeCase
{
    const char *name;
    void (*there)(Profiles &);
    void (*here)(Profiles &);
    const char *merged;
};

class Merge : public testing::TestWithParam<MergeCase> {};

std::string seen(const Profiles &c)
{
    std::string out;
    for (const SwitchProfile &p : c.own())
        out += (out.empty() ? "" : "|") + p.name + (p.onIsUp ? "" : " (bas)");
    out += " /";
    for (const Profiles::Choice &choice : c.choices())
        out += " " + choice.type + (choice.mode.empty() ? "" : ":" + choice.mode) + "=" + choice.profile;
    return out;
}

TEST_P(Merge, BothKept)
{
    Profiles start;
    start.add(variant("Neuf", [](SwitchProfile &) {}));
    start.add(variant("Dix", [](SwitchProfile &) {}));
    const std::string file = start.text();
    const auto fromFile = [](const std::string &text) { return std::get<Profiles>(Profiles::read(text, "p")); };
    Profiles there = fromFile(file), here = fromFile(file);
    GetParam().there(there);
    GetParam().here(here);
    const std::string saved = there.mergedInto(fromFile(file)).text();
    const Profiles merged = here.mergedInto(fromFile(saved));
    EXPECT_EQ(seen(merged), GetParam().merged);
    EXPECT_FALSE(merged.changed());
    // Saved again with nothing changed, it stays the same.
    EXPECT_EQ(seen(merged.mergedInto(fromFile(merged.text()))), GetParam().merged);
}

void nothing(Profiles &) {}
SwitchProfile down(const char *name)
{
    return variant(name, [](SwitchProfile &p) { p.onIsUp = false; });
}

const MergeCase kMerges[] = {
    {"NewProfileInEach", [](Profiles &c) { c.copyFor(otherFixtureProfile(), "Wash", ""); },
     [](Profiles &c) { c.copyFor(otherFixtureProfile(), "Spot", "8 bits"); },
     "Neuf|Dix|Profil 1|Profil 2 / Wash=Profil 1 Spot:8 bits=Profil 2"},
    {"NewProfileRenamedHere", [](Profiles &c) { c.copyFor(otherFixtureProfile(), "Wash", ""); },
     [](Profiles &c) {
         c.copyFor(otherFixtureProfile(), "Spot", "");
         c.change("Profil 1", down("Lyre Spot"));
     },
     "Neuf|Dix|Profil 1|Lyre Spot (bas) / Wash=Profil 1 Spot=Lyre Spot"},
    {"SameNameGivenInBoth", [](Profiles &c) { c.add(variant("Lyre", [](SwitchProfile &) {})); },
     [](Profiles &c) {
         c.add(down("Lyre"));
         c.choose("Spot", "", "Lyre");
     },
     "Neuf|Dix|Lyre|Lyre 2 (bas) / Spot=Lyre 2"},
    {"ChangedHereAddedThere",
     [](Profiles &c) {
         c.add(variant("Onze", [](SwitchProfile &) {}));
         c.choose("Par", "", "Onze");
     },
     [](Profiles &c) {
         c.choose("Par", "", "Neuf");
         c.choose("Wash", "", "Neuf");
         c.change("Neuf", down("Neuf bas"));
     },
     "Neuf bas (bas)|Dix|Onze / Par=Neuf bas Wash=Neuf bas"},
    {"ChangedHereRenamedThere", [](Profiles &c) { c.change("Neuf", variant("Nine", [](SwitchProfile &) {})); },
     [](Profiles &c) { c.change("Neuf", down("Neuf")); }, "Nine|Dix|Neuf (bas) /"},
    {"ChoiceThereKept", [](Profiles &c) { c.choose("Wash", "", "Dix"); }, nothing, "Neuf|Dix / Wash=Dix"},
};
INSTANTIATE_TEST_SUITE_P(Profiles, Merge, testing::ValuesIn(kMerges), byName);

const char kDefinition[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE FixtureDefinition>
<FixtureDefinition xmlns="http://www.qlcplus.org/FixtureDefinition">
 <Manufacturer>Acme</Manufacturer><Model>Spot X</Model>
 <Mode Name="Basic"><Channel Number="0">Dimmer</Channel><Channel Number="1">Colour</Channel></Mode>
 <Mode Name="Full 5ch"><Channel Number="0">a</Channel><Channel Number="1">b</Channel><Channel Number="2">c</Channel>
  <Channel Number="3">d</Channel><Channel Number="4">e</Channel></Mode>
</FixtureDefinition>
)";

TEST(Library, CountsFromDefinitions)
{
    const Scratch s;
    fs::create_directories(s.dir / "Acme");
    s.write("Acme/Acme-Spot-X.qxf", kDefinition);
    s.write("Acme/Acme-Par.qxf", R"(<FixtureDefinition><Manufacturer>Acme</Manufacturer><Model>Par</Model>
        <Mode Name="Only"><Channel Number="0">Dimmer</Channel></Mode></FixtureDefinition>)");
    const FixtureLibrary library({s.dir.string(), (s.dir / "absent").string()});
    EXPECT_EQ(library.files(), 2u);
    ReadOptions options;
    options.library = &library;
    EXPECT_EQ(seen(readCsvPatch("Nom;Fabricant;Modèle;Mode;Adresse;Canaux\n"
                                "A;Acme;Spot X;Basic;1;\nB;;Spot X;full 5CH;3;\nC;;Acme Par;;9;\nD;Acme;Spot X;Autre;10;\n"
                                "E;;Inconnu;;20;\nF;Acme;Spot X;Basic;30;7\n",
                                "p.csv", options)),
              "A|Acme Spot X|Basic|1.1|2\nB|Spot X|full 5CH|1.3|5\nC|Acme Par||1.9|1\nD|Acme Spot X|Autre|1.10|?\n"
              "E|Inconnu||1.20|?\nF|Acme Spot X|Basic|1.30|7\n");
}

TEST(Library, InstalledQlcPlusDefinitions)
{
    const auto folders = FixtureLibrary::standardFolders();
    if (!fs::exists(fs::u8path(folders.front()) / "Martin/Martin-Acrobat.qxf"))
        GTEST_SKIP() << "QLC+'s fixture definitions are not in " << folders.front();
    const FixtureLibrary library(folders);
    EXPECT_EQ(library.channels("Martin Acrobat", "6-Channel"), 6);
}

} // namespace
