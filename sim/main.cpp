#include "sim/simulator.h"

int main(int argc, char** argv) {
    return kelvaro::sim::simMain(argc, argv);
}
