#include "cli/velmora_cli.h"
#include "platform/console.h"

int main(int argc, char** argv) { return CliMain(CommandLineArguments(argc, argv)); }
