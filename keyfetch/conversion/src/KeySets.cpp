#include "oltrex/conversion/KeySets.h"

namespace oltrex {
namespace {

// Each text is assembled from pieces so that it never stands whole in the binary.
std::string assemble(std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* p : parts) text += p;
    return text;
}

}  // namespace

KeySet keySet(KeySetId id) {
    if (id == KeySetId::HeaderA) {
        return {assemble({"Ol", "tr3x", "-H", "dr", "K3y", "-2", "4c", "har", "s!", "#A"}),
                assemble({"Hd", "rIV", "-1", "6c", "ha", "rs", "#A!"})};
    }
    return {assemble({"Oltr", "3x-", "Cnt", "K3y-", "24", "ch", "ars", "!", "#B"}),
            assemble({"Cnt", "IV-", "16", "cha", "rs!", "#B"})};
}

}  // namespace oltrex
