#include "cli/velmora_cli.h"
#include "cli/console.h"

int main(int argc, char** argv) { return CliMain(CommandLineArguments(argc, argv)); }
