// The main of every test suite.
#include "tests/support/TestProgram.h"

int main(int argc, char **argv)
{
    return zibor::test::RunTestProgram(argc, argv);
}
