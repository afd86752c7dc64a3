// copy-data FROM TO: moves the shop's five data files from one store to another, each a
// data folder (the embedded SQLite data base) or a PostgreSQL connection text, and checks
// the counts and every key's order of the copy.
#include "app/FileDeclarations.h"
#include "tools/DataCopy.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr,
                     "usage: copy-data FROM TO\n"
                     "  each side a data folder (data.sqlite in it) or a PostgreSQL connection\n"
                     "  text such as \"host=shop-server dbname=shop user=office\" (the password\n"
                     "  comes from the password file ~/.pgpass). The files of TO must be empty.\n");
        return argc == 2 ? 0 : 2;
    }
    std::string error;
    auto from = tools::DataCopy::open(argv[1], error);
    if (!from) {
        std::fprintf(stderr, "copy-data: %s\n", error.c_str());
        return 1;
    }
    auto to = tools::DataCopy::open(argv[2], error);
    if (!to) {
        std::fprintf(stderr, "copy-data: %s\n", error.c_str());
        return 1;
    }
    std::vector<host::FileDefinition> files = {app::files::item(), app::files::config(),
                                               app::files::customer(), app::files::invDet(),
                                               app::files::invHdr()};
    bool done = tools::DataCopy::copy(*from, *to, files, error, [](const std::string& line) {
        std::printf("%s\n", line.c_str());
    });
    if (!done) {
        std::fprintf(stderr, "copy-data: %s\n", error.c_str());
        return 1;
    }
    std::printf("copy-data: every file copied and checked\n");
    return 0;
}
