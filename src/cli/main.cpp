#include "Cli.h"

int main(int argc, char **argv)
{
    return psifonomoi::cli::RunCli(argc, argv);
}
