#include "app/Programm.h"

int main(int argc, char** argv) {
    return ProgrammStart(argc, argv);
}
