#include "app/Program.h"

int main(int argc, char* argv[]) { return tovrenic::RunProgram(argc, argv); }
