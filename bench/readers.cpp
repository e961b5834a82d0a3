// The patch readers on inputs near their limits, each read in a process of
// its own as the tool reads a file (readInstalledPatch), with its peak memory
// and time from wait4(): bench-readers [FOLDER]. Prints a Markdown table and
// whether each stays within 10 times its input plus 100 MiB.
#include "patch.h"
#include "rigsamples.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// What the read said, cut to its first words.
int readOne(const char *path)
{
    const auto read = dmx::readInstalledPatch(path);
    if (const auto *e = std::get_if<dmx::ReadError>(&read))
        std::printf("%.90s", e->message.c_str());
    else
        std::printf("%zu appareils lus, %zu sans adresse", std::get<dmx::Rig>(read).fixtures.size(),
                    std::get<dmx::Rig>(read).unpatched);
    return 0;
}

void write(const fs::path &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// A fixture type of many modes, each of 16 channels, among many geometries:
// parsing it takes long enough to show if it were parsed once per mode.
std::string largeType(int modes)
{
    std::string geometries = "<Geometry Name=\"Body\">";
    for (int g = 0; g < 5000; ++g)
        geometries += "<Geometry Name=\"G" + std::to_string(g) + "\"/>";
    geometries += "</Geometry>";
    std::string all;
    for (int m = 1; m <= modes; ++m) {
        all += "<DMXMode Name=\"M" + std::to_string(m) + "\" Geometry=\"Body\"><DMXChannels>";
        for (int c = 1; c <= 16; ++c)
            all += samples::channel(std::to_string(c), "Body");
        all += "</DMXChannels></DMXMode>";
    }
    return samples::gdtf("Acme", "Grand", geometries, all);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--read")
        return readOne(argv[2]);
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "bench-readers";
    fs::create_directories(folder);

    struct Case
    {
        const char *what, *file;
        std::uintmax_t counted = 0; // the bytes a reader takes in, unpacked
    };
    std::vector<Case> cases;
    {
        // 100,000 fixtures with long labels: as large a rig as is read.
        std::string csv = "Nom;Type;Adresse;Canaux\n";
        for (int k = 0; k < 100000; ++k)
            csv += "Face " + std::to_string(k) + " " + std::string(560, 'x') + ";PAR LED;"
                   + std::to_string(k % 30000 + 1) + ";7\n";
        write(folder / "rig-100000.csv", csv);
        cases.push_back({"CSV, 100 000 appareils (étiquettes longues)", "rig-100000.csv"});
        // Near the size limit, rows of a few bytes: refused past 100,000.
        std::string rows = "Nom;Adresse\n";
        while (rows.size() < (58u << 20))
            rows += "a;1\n";
        write(folder / "rows-58mb.csv", rows);
        cases.push_back({"CSV, 58 Mo de lignes courtes", "rows-58mb.csv"});
        write(folder / "separators.csv", "Nom;Adresse\n" + std::string(50u << 20, ';') + "\n");
        cases.push_back({"CSV, une ligne de 50 Mo de séparateurs", "separators.csv"});
    }
    {
        std::string empty;
        empty.reserve(60u << 20);
        while (empty.size() < (60u << 20))
            empty += "<a/>";
        write(folder / "empty-elements.mvr",
              samples::zipOf({{"GeneralSceneDescription.xml", samples::sceneXml(empty)}}, false));
        cases.push_back({"MVR, 60 Mio d'éléments vides", "empty-elements.mvr"});
        std::string fixtures;
        for (int k = 0; k < 2000; ++k)
            fixtures += samples::fixture("F" + std::to_string(k), "Acme@Grand.gdtf", "M" + std::to_string(k + 1),
                                         samples::address(std::to_string(k * 16 + 1)));
        const std::string type = largeType(2000);
        write(folder / "modes.mvr", samples::zipOf({{"GeneralSceneDescription.xml", samples::sceneXml(fixtures)},
                                                    {"Acme@Grand.gdtf", type}},
                                                   false));
        cases.push_back({"MVR, 2 000 appareils sur 2 000 modes d'un GDTF", "modes.mvr"});
    }

    std::printf("| entrée | Mio | pic mémoire (Mio) | temps (s) | borne 10x + 100 Mio | lecture |\n"
                "|---|---:|---:|---:|---|---|\n");
    std::fflush(stdout);
    bool within = true;
    for (const Case &c : cases) {
        const fs::path file = folder / c.file;
        const double mib = static_cast<double>(fs::file_size(file)) / (1 << 20);
        int pipefd[2];
        if (pipe(pipefd) != 0)
            return 1;
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipefd[1], 1);
            execl(argv[0], argv[0], "--read", file.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        close(pipefd[1]);
        std::string said;
        char buffer[256];
        for (ssize_t n; (n = read(pipefd[0], buffer, sizeof buffer)) > 0;)
            said.append(buffer, static_cast<std::size_t>(n));
        close(pipefd[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double peak = static_cast<double>(usage.ru_maxrss) / 1024;
        const bool ok = peak <= 10 * mib + 100;
        within = within && ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        std::printf("| %s | %.1f | %.1f | %.2f | %s | %s |\n", c.what, mib, peak, seconds, ok ? "oui" : "NON",
                    said.c_str());
        std::fflush(stdout);
    }
    fs::remove_all(folder);
    return within ? 0 : 1;
}
