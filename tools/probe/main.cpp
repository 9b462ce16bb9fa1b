// korvel-probe: inspection of recording files and day folders (see Probe.h).

#include <iostream>
#include <string>
#include <vector>

#include "Probe.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::ios::sync_with_stdio(false);
    const int status = probe::run(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
