// Writes a sample MVR scene for the bench: make-rig FILE [FIXTURES [LINES]],
// by default 2,000 fixtures on 28 lines.
#include "rigsamples.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::cerr << "usage : make-rig FICHIER.mvr [APPAREILS [LIGNES]]\n";
        return 2;
    }
    const int fixtures = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int lines = argc > 3 ? std::atoi(argv[3]) : 28;
    if (fixtures < 1 || lines < 1) {
        std::cerr << "make-rig : il faut au moins un appareil et une ligne\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << samples::benchScene(fixtures, lines);
    return out.flush() ? 0 : 1;
}
