#include <cstring>
#include <iostream>

#include "app/StandardComponents.h"
#include "app/Vestra.h"
#include "ui/VestraWindow.h"

int main(int argc, char** argv) {
    // Answered before any window or display is needed; every other argument goes to Qt.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "vestra " << VESTRA_VERSION << "\n";
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::cout << "usage: vestra [--help | --version | Qt options]\n"
                     "Calibrates pedestrian crowd models against recorded experiments: load an\n"
                     "experiment with Browse, a model with Load, then Evaluate or Calibrate.\n"
                     "Any other argument is handed to Qt (for example -platform or -style).\n"
                     "The command-line tool is vestra-batch; see vestra(1), vestra-batch(1).\n";
        return 0;
    }
    Vestra vestra(argc, argv);
    registerStandardComponents(vestra.window());
    vestra.run();
    return 0;
}
