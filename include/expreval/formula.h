// expreval::Formula: an expression compiled once by a Session, to be
// evaluated any number of times. See docs/embedding.md.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "expreval/export.h"

namespace expreval {

struct CompiledFormula;

// Immutable once compiled: any number of threads may evaluate one formula at
// once, each in a session of its own. Copies share the compiled form.
class EXPREVAL_API Formula {
  public:
    // The text it was compiled from, as given.
    const std::string& Text() const;
    // The names (lower case) of the variables and of the functions its text
    // reads, call arguments and list elements included, each once, in the
    // order they appear.
    const std::vector<std::string>& VariableNames() const;
    const std::vector<std::string>& FunctionNames() const;
    // Empty when the text scans into a whole expression; otherwise the
    // message with which every evaluation of it fails, once it has done
    // what comes before the fault ("(a=1)+2$" still assigns a).
    const std::string& SyntaxError() const;

  private:
    friend class Session;
    explicit Formula(std::shared_ptr<const CompiledFormula> compiled);
    std::shared_ptr<const CompiledFormula> compiled_;
};

}  // namespace expreval
