#include "KeyRules.h"

namespace oltrex::keytool {

bool needsProtectedRead(std::string_view series, int fw) {
    if (series == "OX" && ((fw >= 118 && fw <= 199) || (fw >= 518 && fw <= 599))) return true;
    if (series == "OB" && fw >= 102) return true;
    if (series == "OC" && fw >= 402) return true;
    if (series == "OE" && fw >= 603) return true;
    return (fw >= 801 && fw <= 829) || (fw >= 831 && fw <= 869) || (fw >= 871 && fw <= 899) ||
           (fw >= 900 && fw <= 1200);
}

bool needsSecureMode(std::string_view series, int fw) {
    return series != "OX" || (fw >= 800 && fw <= 999);
}

}  // namespace oltrex::keytool
