#include "patch.h"
#include "rig.h"
#include "rigsamples.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace dmx;
namespace fs = std::filesystem;

namespace {

const auto byName = [](const auto &row) { return std::string(row.param.name); };

// A rig as "label|type|mode|universe.address|channels" lines ("?" for an
// unknown count), or the reader's message.
std::string seen(const std::variant<Rig, ReadError> &read)
{
    if (const auto *e = std::get_if<ReadError>(&read))
        return "erreur: " + e->message;
    std::string out;
    for (const Fixture &f : std::get<Rig>(read).fixtures)
        out += f.label + "|" + f.type + "|" + f.mode + "|" + std::to_string(f.universe) + "."
               + std::to_string(f.address) + "|" + (f.channels ? std::to_string(*f.channels) : "?") + "\n";
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
    {"SpacesAround", " 3 . 7 ", std::pair(3, 7)},
    {"Absolute", "613", std::pair(2, 101)},
    {"AbsoluteLastOfLine", "512", std::pair(1, 512)},
    {"AbsoluteFirstOfNext", "513", std::pair(2, 1)},
    {"ZeroKeptForTheChecks", "0", std::pair(1, 0)},
    {"PastTheLine", "2.513", std::nullopt},
    {"UniverseZero", "0.5", std::nullopt},
    {"Words", "abc", std::nullopt},
    {"Empty", "", std::nullopt},
    {"TwoSeparators", "1.2.3", std::nullopt},
    {"Negative", "-5", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Patch, Notation, testing::ValuesIn(kNotations), byName);

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
    {"EnglishCommas", "Name,Fixture,Mode,Universe,Address,Channels\nWash,Acme Wash,16ch,3,101,16\n",
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
    {"BlankAndUnpatchedRowsSkipped", "\n\nNom;Adresse\n\nA;1\nB;\nC;-\n", "A|||1.1|?\n"},
    {"NoAddressColumn", "Nom;Type\nA;B\n",
     "erreur: Lecture de patch.csv impossible : pas de colonne d'adresse à la ligne 1 (en-têtes "
     "attendus : Adresse, Address ou DMX)."},
    {"BadAddressNamesLineAndColumn", "Nom;Adresse\n\nA;1\nB;2.600\n",
     "erreur: Lecture de patch.csv impossible : adresse « 2.600 » illisible, ligne 4 (colonne Adresse)."},
    {"BadChannels", "Nom;Adresse;Canaux\nA;1;douze\n",
     "erreur: Lecture de patch.csv impossible : nombre de canaux « douze » illisible, ligne 2 (colonne Canaux)."},
    {"Empty", "", "erreur: Lecture de patch.csv impossible : le fichier est vide."},
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
    {"AddressPastTheLine", workspace(qxwFixture("S", "0", "512")),
     "erreur: Lecture de salle.qxw impossible : adresse absente ou hors de 0 à 511, élément Fixture n° 1, "
     "ligne 4 « S »."},
    {"NoUniverse", workspace("<Fixture><Name>S</Name><Address>1</Address></Fixture>\n"),
     "erreur: Lecture de salle.qxw impossible : univers absent ou illisible, élément Fixture n° 1, ligne 4 « S »."},
    {"BrokenXml", "<Workspace>\n<Engine>\n<Fixture>\n</Workspace>",
     "erreur: Lecture de salle.qxw impossible : XML incorrect à la ligne 4 (Start-end tags mismatch)."},
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
    {"UnpatchedLeftOut", samples::mvr(fixture("Rien", "Acme@Spot4.gdtf", "Basic", address("0"))), ""},
    {"MissingTypeOrModeLeavesTheCountUnknown",
     samples::mvr(fixture("A", "../../etc/passwd", "Basic", address("1"))
                  + fixture("B", "Acme@Spot4.gdtf", "Nope", address("9"))),
     "A|../../etc/passwd|Basic|1.1|?\nB|Acme Spot 4|Nope|1.9|?\n"},
    {"ClimbingNameReadInMemory",
     samples::mvr(fixture("A", "../evil.gdtf", "Basic", address("1")), {{"../evil.gdtf", samples::spotType()}}),
     "A|Acme Spot 4|Basic|1.1|1\n"},
    {"BadAddress", samples::mvr(fixture("A", "x", "m", address("1.999"))),
     "erreur: Lecture de plan.mvr impossible : adresse « 1.999 » illisible, GeneralSceneDescription.xml, "
     "ligne 3 (« A »)."},
    {"NotAZip", "PK\x03\x04 and then nothing of a zip",
     "erreur: Lecture de plan.mvr impossible : ce n'est pas une archive MVR lisible (Not a zip archive)."},
    {"NoScene", samples::zipOf({{"readme.txt", "x"}}),
     "erreur: Lecture de plan.mvr impossible : pas de GeneralSceneDescription.xml dans l'archive : ce n'est "
     "pas une scène MVR."},
    {"Bomb", samples::zipOf({{"GeneralSceneDescription.xml", std::string(2 << 20, ' ')}}),
     "erreur: Lecture de plan.mvr impossible : GeneralSceneDescription.xml : entrée trop grande une fois "
     "décompressée."},
    {"LyingSizes", lyingSizes(),
     "erreur: Lecture de plan.mvr impossible : GeneralSceneDescription.xml : entrée trop grande une fois "
     "décompressée."},
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
              "erreur: Lecture de absent.csv impossible : le fichier est introuvable.");
    EXPECT_FALSE(fs::exists(s.dir / ".." / "evil.gdtf"));
}

TEST(Patch, HugeFilesRefusedBeforeReading)
{
    const Scratch s;
    for (const char *name : {"huge.csv", "huge.mvr"}) {
        std::ofstream(s.dir / name).put('x');
        fs::resize_file(s.dir / name, std::uintmax_t(2) << 30); // sparse: nothing is written
    }
    EXPECT_EQ(seen(readPatch((s.dir / "huge.csv").string())),
              "erreur: Lecture de huge.csv impossible : le fichier est trop grand pour une liste de patch.");
    EXPECT_EQ(seen(readPatch((s.dir / "huge.mvr").string())),
              "erreur: Lecture de huge.mvr impossible : ce n'est pas une archive MVR lisible (Not a zip archive).");
}

} // namespace
