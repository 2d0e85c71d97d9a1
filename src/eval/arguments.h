// The arguments of a call of several: its argument text cut at the commas
// the scan meets outside any string, list, group or call.
#pragma once

#include <string_view>
#include <vector>

#include "eval/context.h"

namespace expreval {

// The parts of argument, the text between a call's parentheses. An empty
// text has none. Where the scan fails, the rest is the last part, and
// scanned (when given) is set false.
std::vector<std::string_view> SplitArguments(Context& context, std::string_view argument,
                                             bool* scanned = nullptr);

}  // namespace expreval
