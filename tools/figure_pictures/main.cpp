// Draws the figure pictures into the folder named on the command line,
// normally the grafik/ folder of the checkout.
#include <cstdio>
#include <string>

#include "tools/figure_pictures/figure_pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n",
                     argc > 0 ? argv[0] : "quib_figure_pictures");
        return 2;
    }
    std::string error;
    if (!quib::tools::WriteFigurePictures(argv[1], &error)) {
        std::fprintf(stderr, "quib_figure_pictures: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
