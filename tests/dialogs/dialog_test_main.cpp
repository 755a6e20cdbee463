#include "tests/support/QtTestMain.h"

int main(int argc, char** argv) { return quelby::test::RunQtTests(argc, argv); }
