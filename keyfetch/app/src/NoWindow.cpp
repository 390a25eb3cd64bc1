// The program without a window build: the console front end only.
#include "oltrex/keyfetch/console/WindowFrontEnd.h"

namespace oltrex {

bool keyFetchWindowAvailable() {
    return false;
}
int runKeyFetchWindow(int, char**) {
    return 2;
}

}  // namespace oltrex
