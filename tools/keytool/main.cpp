#include <iostream>

#include "KeyTool.h"

int main(int argc, char** argv) {
    return oltrex::keytool::runKeyTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
