// The public header redeclares routines of the internal headers for hosts.
// Were the two to drift apart, the names below would be overloaded and these
// checks would stop compiling.
#include <expreval/expreval.h>

#include <string>
#include <type_traits>

#include "eval/evaluate.h"
#include "symbols/tables.h"

static_assert(std::is_same_v<decltype(&expreval::Evaluate), std::string (*)(std::string)>);
static_assert(std::is_same_v<decltype(&expreval::SetVariable), void (*)(std::string, std::string)>);
static_assert(std::is_same_v<decltype(&expreval::BuildSymbolTables), void (*)()>);
