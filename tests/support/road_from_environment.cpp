// EXPREVAL_ROAD=reference runs this test program on the reference road: the
// free functions of the main thread, and the sessions it makes. Each test
// then checks the reference against its own expected bytes, as it checks the
// fast road when the variable is not set.
#include <cstdlib>
#include <string_view>

#include "eval/road.h"

namespace {

const bool kRoadChosen = [] {
    const char* road = std::getenv("EXPREVAL_ROAD");
    if (road != nullptr && std::string_view(road) == "reference")
        expreval::SetDefaultRoad(expreval::Road::kReference);
    return true;
}();

}  // namespace
