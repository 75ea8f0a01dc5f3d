#include "cli/cli.h"

int main(int argc, char** argv) {
  return stirpex::cli::Run(argc, argv);
}
