#include "app/application.h"

int main(int argc, char** argv) {
    return kelvaro::programEntry(argc, argv);
}
