#include "app/StandardComponents.h"
#include "app/Vestra.h"
#include "ui/VestraWindow.h"

int main(int argc, char** argv) {
    Vestra vestra(argc, argv);
    registerStandardComponents(vestra.window());
    vestra.run();
    return 0;
}
