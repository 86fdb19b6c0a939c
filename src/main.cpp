#include "startup/Entry.h"

int main(int argc, char** argv) { return tav::RunEntry(argc, argv); }
