#include <iostream>
#include <string_view>

#include "app/program.h"
#include "dorvanix/version.h"

namespace {

constexpr const char* kUsage = R"(Usage: dorvanix [--screenshot DIR]
The desktop program of Dorvanix: enumerates star-shaped singular fibers, lists and analyses the
sub-divisors of a chosen fiber, animates them and writes the list and polynomial files.

Options:
  --screenshot DIR  walk through one run and save a picture of every window in DIR
  -h, --help        print this help and exit
  --version         print the version and exit

Qt's own options (-platform NAME, -style NAME, ...) are accepted as well. The same work without a
display: dorvanix-cli --help.
)";

// --help and --version answer before Qt starts, so they work without a display.
bool answersWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return true;
        }
        if (argument == "--version") {
            std::cout << "dorvanix " DORVANIX_VERSION "\n";
            return true;
        }
    }
    return false;
}

}  // namespace

// dorvanix                     the program
// dorvanix --screenshot DIR    walks through one run and saves a picture of every window in DIR
int main(int argc, char* argv[]) {
    if (answersWithoutWindow(argc, argv)) return 0;
    return dorvanix::runProgram(argc, argv);
}
