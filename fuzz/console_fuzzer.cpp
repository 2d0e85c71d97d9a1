// libFuzzer target: arbitrary bytes go through the console loop as typed
// lines, with the real tables. The variables are reset after every input so
// that each run stands alone and every record it made is freed.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "console/console.h"
#include "expreval/expreval.h"
#include "symbols/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool built = [] {
        expreval::BuildSymbolTables();
        return true;
    }();
    (void)built;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    expreval::RunConsole(in, out);
    expreval::ResetVariables();
    return 0;
}
