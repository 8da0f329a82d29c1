// reg: query, add, delete, export and import registry keys and values of the stand-in registry.

#include <iostream>

#include "tools/reg/reg_commands.h"

int main(int argc, char** argv) {
    return zo::tools::reg::runReg({argv + 1, argv + argc}, std::cin, std::cout, std::cerr);
}
