#include "expreval/session.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "eval/context.h"
#include "eval/evaluate.h"
#include "eval/line_memo.h"
#include "eval/nesting.h"
#include "eval/number_program.h"
#include "eval/program.h"
#include "eval/tokenizer.h"
#include "eval/whole_value.h"
#include "ops/builtins.h"
#include "ops/host_function.h"
#include "session/formula.h"
#include "session/session.h"
#include "symbols/tables.h"
#include "value/lexicon.h"
#include "value/number_text.h"
#include "value/value.h"

namespace expreval {

// A variable bound to a host's double, and its record as last found.
struct Binding {
    std::string name;
    double* value;
    expreval::Variable* record = nullptr;
};

// The records of the variables that the number form of a formula reads, as
// last found, with the membership of the session's lists then. Never
// copied with the session.
struct FormulaRecords {
    FormulaRecords() = default;
    FormulaRecords(const FormulaRecords&) {}
    FormulaRecords& operator=(const FormulaRecords&) {
        formula = 0;
        return *this;
    }

    std::uint64_t formula = 0;  // its id; none is 0
    std::uint64_t variables = 0;
    std::uint64_t functions = 0;
    std::vector<const expreval::Variable*> records;
    // The host's functions it calls, as records: a function defined again
    // keeps its record and changes what it holds, which each run reads.
    std::vector<const Function*> hostRecords;
    std::vector<NumberHost> hosts;
    std::vector<double> arguments;
};

// The record a number was last set on, by the name as given, with the
// membership of the session's variables then: a host's loop sets the same
// one each time.
struct HeldRecord {
    std::string name;
    std::uint64_t found = 0;
    expreval::Variable* record = nullptr;
};

struct Session::State {
    SessionTables tables;
    Limits limits;
    bool limited = false;  // any limit but the console's
    InterruptFlag interrupt{false};
    bool evaluating = false;
    Road road = DefaultRoad();
    // What a formula's number form needs to know of limits and road, kept
    // with them (SessionSettings::Refresh): whether it may run, and whether
    // limits bound its work.
    bool numbersRun = false;
    bool bounded = false;
    // Variables bound to a host's doubles (BindVariable), by name.
    std::vector<Binding> bindings;
    // Whether the bindings' records were found since a binding was made.
    // A record stays where it is until it is removed, and removing it ends
    // its binding: variables that join do not move it.
    bool bindingsFound = false;
    FormulaRecords formulaRecords;
    // The formula whose host functions were last found to be this
    // session's, and the membership of its functions then: a formula
    // evaluated again is not compared name by name with every function.
    std::uint64_t functionsHeldFormula = 0;
    std::uint64_t functionsHeldMembership = 0;
    HeldRecord held;
    // The context every evaluation starts from, its budget not yet started:
    // kept with limits and road (SessionSettings::Refresh).
    Context start;
};

namespace {

bool BoundsWork(const Limits& limits) {
    return limits.maxSteps != UINT64_MAX ||
           limits.maxTime != std::chrono::steady_clock::duration::max();
}

bool IsLimited(const Limits& limits) {
    return BoundsWork(limits) || limits.maxValueSize != SIZE_MAX ||
           limits.maxNesting != Limits::kDeepestNesting;
}

// The number form runs where the program would take the same steps: on the
// fast road, with every nesting level open and room for any number text.
bool NumbersFit(const Limits& limits, Road road) {
    return road == Road::kFast && limits.maxNesting == Limits::kDeepestNesting &&
           limits.maxValueSize >= kLongestNumberText;
}

// Marks the session as evaluating for as long as it lives, by any road.
class Evaluating {
  public:
    explicit Evaluating(bool& evaluating) : evaluating_(evaluating) { evaluating_ = true; }
    ~Evaluating() { evaluating_ = false; }
    Evaluating(const Evaluating&) = delete;
    Evaluating& operator=(const Evaluating&) = delete;

  private:
    bool& evaluating_;
};

[[noreturn]] void ThrowDuringEvaluation(const char* operation) {
    throw std::logic_error(std::string("expreval::Session::") + operation +
                           " called while the session evaluates");
}

// Values waiting at once, all levels together, may take as many bytes as
// maxNesting values of the largest size: what a host's bound on memory
// counts on.
std::size_t HeldRoom(const Limits& limits) {
    if (limits.maxValueSize == SIZE_MAX)
        return SIZE_MAX;
    const auto levels = static_cast<std::size_t>(limits.maxNesting);
    return limits.maxValueSize > SIZE_MAX / levels ? SIZE_MAX : limits.maxValueSize * levels;
}

// The context of an evaluation in a session, before its budget starts.
Context UnstartedContext(SessionTables& tables, const InterruptFlag& interrupt,
                         const Limits& limits, Road road) {
    Context context;
    context.road = road;
    context.session = &tables;
    context.interrupt = &interrupt;
    context.nestingLevel = kMaxNesting - limits.maxNesting;
    context.maxValueSize = limits.maxValueSize;
    context.heldRoom = HeldRoom(limits);
    return context;
}

void StartBudget(Context& context, const Limits& limits) {
    StartBudget(context, Budget{limits.maxSteps, limits.maxTime});
}

// The names of a list of functions, in its order.
std::vector<std::string> HostFunctionNames(const SymbolList<Function>& functions) {
    std::vector<std::string> names;
    for (const Function* p = functions.Sentinel()->next; p != functions.Sentinel(); p = p->next)
        names.push_back(p->name);
    return names;
}

bool SameHostFunctions(const SymbolList<Function>& functions,
                       const std::vector<std::string>& names) {
    size_t i = 0;
    for (const Function* p = functions.Sentinel()->next; p != functions.Sentinel(); p = p->next) {
        if (i == names.size() || p->name != names[i++])
            return false;
    }
    return i == names.size();
}

// Collects the names a text reads, call arguments included, as the scan
// finds them; a scan that fails ends the collecting there. An argument
// nested past the deepest level evaluation reaches is not read by it, and
// descending into it would only use up the stack.
class NameCollector final : public TokenEvents {
  public:
    NameCollector(Context& context, CompiledFormula& compiled)
        : context_(context), compiled_(compiled) {}

    void Collect(std::string_view text) {
        try {
            const NestingGuard level(context_);
            Scan(context_, text, *this);
        } catch (const Exception&) {
        }
    }

    void Operand(const Token& token) override {
        const std::string_view text = token.text;
        if (token.kind == TokenKind::kName) {
            Add(variablesSeen_, compiled_.variables, text);
        } else if (token.kind == TokenKind::kCall) {
            const CallParts call = CutCall(text);
            Add(functionsSeen_, compiled_.functions, call.name);
            Collect(call.argument);
        } else if (token.kind == TokenKind::kList) {
            // An operation on the list evaluates its elements: {a,b}*2 reads a.
            for (const std::string_view element : ListElements(text))
                Collect(element);
        }
    }
    void OperatorToken(std::string_view) override {}
    void OpenGroup() override {}
    void CloseGroup() override {}

  private:
    // A set of the names met, not a search of the list: a text may hold
    // hundreds of thousands of names. The views are into the text compiled.
    static void Add(std::unordered_set<std::string_view>& seen, std::vector<std::string>& names,
                    std::string_view name) {
        if (seen.insert(name).second)
            names.emplace_back(name);
    }

    Context& context_;
    CompiledFormula& compiled_;
    std::unordered_set<std::string_view> variablesSeen_;
    std::unordered_set<std::string_view> functionsSeen_;
};

// How the number form may call the host's function of record with so many
// arguments: only a pure one of numbers, taking that many. False otherwise.
bool CallsOnDoubles(const Function* record, std::uint32_t arguments, NumberHost& host) {
    const HostFunction* function = record != nullptr ? record->host.get() : nullptr;
    if (function == nullptr || !function->pure)
        return false;
    if (function->numeric) {
        host = NumberHost{&function->numeric, nullptr};
        return arguments == 1;
    }
    host = NumberHost{nullptr, &function->numbers};
    return function->numbers &&
           (function->arity == kAnyArity || function->arity == static_cast<int>(arguments));
}

// Compiles compiled.text for the functions of tables, in place.
void CompileFormula(SessionTables& tables, CompiledFormula& compiled) {
    InterruptFlag never{false};
    // No limits: there is no budget to start.
    Context context = UnstartedContext(tables, never, Limits(), Road::kFast);
    const ThreadContext thread(context, true);
    compiled.rewritten = compiled.text;
    StripWhiteSpaceAndFoldCase(compiled.rewritten);
    // The arguments the names are collected from are views into the text.
    const LineScope line(context, compiled.rewritten);
    Compile(context, compiled.rewritten, compiled.program);
    if (compiled.program.Failed())
        compiled.syntaxError = compiled.program.Failure();
    compiled.hostFunctions = HostFunctionNames(tables.functions);
    compiled.hostFunctionsMembership = tables.functions.Membership();
    NameCollector(context, compiled).Collect(compiled.rewritten);
    NumberProgram numbers;
    if (!CompileNumbers(context, compiled.program, numbers))
        return;
    NumberHost host;
    for (const HostCallSite& site : numbers.hosts) {
        if (!CallsOnDoubles(FindHostFunction(tables.functions, site.name), site.arguments, host))
            return;
    }
    compiled.numbers = std::move(numbers);
}

// A string or list result is refused.
double NumberOfResult(const std::string& result) {
    if (IsString(result) || IsList(result))
        throw Exception("Result is not a number.");
    return HostNumber(result);
}

// A bound variable assigned since its double was last written: a number is
// written to the double, and a string or a list ends the binding (false).
bool WriteBoundValue(expreval::Variable& variable, double* value) {
    variable.assigned = false;
    if (IsString(ValueText(variable)) || IsList(ValueText(variable))) {
        variable.bound = nullptr;
        return false;
    }
    *value = HostNumber(ValueText(variable));
    // The value is the double just written, its text written as any bound
    // double's, whatever the double was before: the host setting that one
    // again is then a change, read as any other.
    WriteDueText(variable);
    return true;
}

// After an evaluation: a number assigned to a bound variable is written to
// its host's double; a string or a list assigned ends the binding. A bound
// variable's value is read from its double when the evaluation reads it.
void WriteBoundValues(SymbolList<expreval::Variable>& variables, std::vector<Binding>& bindings,
                      bool& found) {
    if (!found) {
        for (Binding& binding : bindings)
            binding.record =
                const_cast<expreval::Variable*>(FindVariableIn(variables, binding.name));
        found = true;
    }
    std::erase_if(bindings, [](const Binding& binding) {
        expreval::Variable* variable = binding.record;
        if (variable == nullptr || !variable->assigned)
            return variable == nullptr;
        return !WriteBoundValue(*variable, binding.value);
    });
}

class BoundValues {
  public:
    BoundValues(SymbolList<expreval::Variable>& variables, std::vector<Binding>& bindings,
                bool& found)
        : variables_(variables), bindings_(bindings), found_(found) {}
    ~BoundValues() {
        if (!bindings_.empty())
            WriteBoundValues(variables_, bindings_, found_);
    }
    BoundValues(const BoundValues&) = delete;
    BoundValues& operator=(const BoundValues&) = delete;

  private:
    SymbolList<expreval::Variable>& variables_;
    std::vector<Binding>& bindings_;
    bool& found_;
};

// Binds the variable name of variables, which exists, to value.
void Bind(SymbolList<expreval::Variable>& variables, std::string_view name, double* value) {
    auto* variable = const_cast<expreval::Variable*>(FindVariableIn(variables, name));
    variable->bound = value;
    variable->written = *value;
    variable->assigned = false;
}

void RefuseDuringEvaluation(bool evaluating, const char* operation) {
    if (evaluating)
        ThrowDuringEvaluation(operation);
}

void StoreFunction(SymbolList<Function>& functions, std::string_view name,
                   std::shared_ptr<const HostFunction> host) {
    if (!IsValidName(name))
        throw std::invalid_argument("expreval: not a valid function name: " + std::string(name));
    std::string key(name);
    FoldCase(key);
    if (IsBuiltInFunction(key))
        throw std::invalid_argument("expreval: cannot replace the built-in function " + key);
    Function* place = functions.InsertOrAssign(
        key, [&key] { return new Function(key, nullptr); }, [](Function&) {});
    place->host = std::move(host);
    place->hostCall = CallHostFunction;
}

// A copy's functions are copies too, so that the two sessions may call
// them on two threads at once as they call their own.
void CopyTables(const SessionTables& from, SessionTables& to) {
    const expreval::Variable* variables = from.variables.Sentinel();
    for (const expreval::Variable* p = variables->next; p != variables; p = p->next)
        to.variables.Append(new expreval::Variable(p->name, CurrentValueText(*p)));
    const Function* functions = from.functions.Sentinel();
    for (const Function* p = functions->next; p != functions; p = p->next) {
        Function* copy = to.functions.Append(new Function(p->name, nullptr));
        copy->host = std::make_shared<const HostFunction>(*p->host);
        copy->hostCall = p->hostCall;
    }
}

}  // namespace

void CheckHostVariable(std::string_view name, const std::string& value) {
    if (!IsValidName(name))
        throw std::invalid_argument("expreval: not a valid variable name: " + std::string(name));
    if (!IsStorableValue(value))
        throw std::invalid_argument("expreval: not a value text: " + value);
}

void StoreHostVariable(SymbolList<expreval::Variable>& list, std::string_view name,
                       std::string value) {
    CheckHostVariable(name, value);
    StoreVariable(list, std::string(name), std::move(value));
}

SessionTables& TablesOf(Session& session) {
    return session.state_->tables;
}

// Members of a friend rather than of State, which is part of the exported
// Session: the library exports no more names than its headers show.
struct SessionSettings {
    static void SetRoad(Session& session, Road road) {
        session.state_->road = road;
        Refresh(*session.state_);
    }
    // After limits or road change.
    static void Refresh(Session::State& state) {
        state.limited = IsLimited(state.limits);
        state.numbersRun = NumbersFit(state.limits, state.road);
        state.bounded = BoundsWork(state.limits);
        state.start = UnstartedContext(state.tables, state.interrupt, state.limits, state.road);
    }
    // The context of one evaluation in state, its budget started.
    static Context ContextFor(const Session::State& state) {
        Context context = state.start;
        if (state.bounded)
            StartBudget(context, state.limits);
        return context;
    }
};

void SetRoad(Session& session, Road road) {
    SessionSettings::SetRoad(session, road);
}

Session::Session() : Session(Limits()) {}

Session::Session(const Limits& limits) : state_(std::make_unique<State>()) {
    EnsureBuiltInTables();
    SetLimits(limits);
}

Session Session::Console() {
    Session session;
    DefinePredefinedVariables(session.state_->tables.variables);
    return session;
}

// Everything but the interrupt flag and the evaluation under way.
Session::Session(const Session& other) : state_(std::make_unique<State>()) {
    const State& from = *other.state_;
    RefuseDuringEvaluation(from.evaluating, "Session");
    CopyTables(from.tables, state_->tables);
    state_->limits = from.limits;
    state_->road = from.road;
    SessionSettings::Refresh(*state_);
    state_->bindings = from.bindings;
    state_->bindingsFound = false;
    for (const Binding& binding : state_->bindings)
        Bind(state_->tables.variables, binding.name, binding.value);
}

Session& Session::operator=(const Session& other) {
    if (this != &other) {
        RefuseDuringEvaluation(state_ != nullptr && state_->evaluating, "operator=");
        *this = Session(other);
    }
    return *this;
}

Session::Session(Session&& other) noexcept = default;
Session& Session::operator=(Session&& other) noexcept = default;
Session::~Session() = default;

// Evaluate(formula): the checks of any evaluation, then the number form
// where it answers, or else the program, with the number of a number result
// put in number when given (true) rather than written as text. A session
// whose functions are not those the formula was compiled for evaluates its
// text.
struct FormulaRunner {
    static void Start(Session::State& state, std::size_t textSize);
    static bool RunNumbers(Session::State& state, const CompiledFormula& compiled,
                           NumberResult& found);
    static bool RunProgram(Session& session, const CompiledFormula& compiled, std::string& result,
                           double* number);
    static bool RunNumbersCallingHosts(Session::State& state, const CompiledFormula& compiled,
                                       NumberResult& found);
    static bool FindRecords(Session::State& state, const CompiledFormula& compiled);
    static bool HostFunctionsHold(Session::State& state, const CompiledFormula& compiled);
    static std::int64_t MeasureChecks(Session::State& state, const CompiledFormula& compiled);
};

// The checks of every evaluation, of a text or a formula.
[[gnu::always_inline]] inline void FormulaRunner::Start(Session::State& state,
                                                        std::size_t textSize) {
    if (state.evaluating)
        ThrowDuringEvaluation("Evaluate");
    if (textSize > state.limits.maxTextLength)
        throw Exception("Expression too long.");
    state.interrupt.store(false, std::memory_order_relaxed);
}

// The context of one evaluation in state: its tables, its flag, and its
// limits when it has any; without, it works within those of an evaluation
// under way on the thread, if any (a host's function evaluating here). The
// caller keeps line while it is evaluated: it needs no copy.
std::string EvaluateLine(Session& session, std::string_view line) {
    Session::State& state = *session.state_;
    FormulaRunner::Start(state, line.size());
    const Evaluating evaluating(state.evaluating);
    const BoundValues bound(state.tables.variables, state.bindings, state.bindingsFound);
    Context context = SessionSettings::ContextFor(state);
    const ThreadContext thread(context, state.limited);
    return EvaluateText(context, line);
}

std::string Session::Evaluate(const std::string& expression) {
    return EvaluateLine(*this, expression);
}

Formula Session::Compile(std::string expression) const {
    if (expression.size() > state_->limits.maxTextLength)
        throw Exception("Expression too long.");
    static std::atomic<std::uint64_t> lastId = 0;
    auto compiled = std::make_shared<CompiledFormula>();
    compiled->id = lastId.fetch_add(1, std::memory_order_relaxed) + 1;
    compiled->text = std::move(expression);
    CompileFormula(state_->tables, *compiled);
    return Formula(std::move(compiled));
}

namespace {

// Whether the records found last are those of compiled in the session as it
// is: no variable or function has joined or left since.
bool RecordsHold(const FormulaRecords& found, const CompiledFormula& compiled,
                 const SessionTables& tables) {
    return found.formula == compiled.id && found.variables == tables.variables.Membership() &&
           found.functions == tables.functions.Membership();
}

}  // namespace

// A formula of numbers alone, run on doubles (true) where the number form
// answers; its checks are spent as the program's run would spend them.
[[gnu::always_inline]] inline bool FormulaRunner::RunNumbers(Session::State& state,
                                                             const CompiledFormula& compiled,
                                                             NumberResult& found) {
    if (!compiled.numbers.has_value() || !state.numbersRun ||
        !(RecordsHold(state.formulaRecords, compiled, state.tables) ||
          FindRecords(state, compiled)))
        return false;
    if (!compiled.numbers->hosts.empty())
        return RunNumbersCallingHosts(state, compiled, found);
    std::int64_t checks = compiled.numberChecks.load(std::memory_order_relaxed);
    if (checks == CompiledFormula::kUnknownChecks &&
        (checks = MeasureChecks(state, compiled)) == CompiledFormula::kUnknownChecks)
        return false;
    if (!expreval::RunNumbers(*compiled.numbers, state.formulaRecords.records.data(), NumberCalls(),
                              found))
        return false;
    if (state.bounded) {
        Context context = SessionSettings::ContextFor(state);
        SpendChecks(context, checks);
    }
    return true;
}

// A number form that calls the host's functions: where no limit bounds the
// work (its steps are then not measured, and a host's call needs no reading
// of the clock), with the functions the session holds now, while the
// session counts as evaluating, as its program's run would.
bool FormulaRunner::RunNumbersCallingHosts(Session::State& state, const CompiledFormula& compiled,
                                           NumberResult& found) {
    const NumberProgram& numbers = *compiled.numbers;
    FormulaRecords& records = state.formulaRecords;
    if (state.bounded)
        return false;
    records.hosts.resize(numbers.hosts.size());
    for (std::size_t i = 0; i < numbers.hosts.size(); ++i) {
        if (!CallsOnDoubles(records.hostRecords[i], numbers.hosts[i].arguments, records.hosts[i]))
            return false;
    }
    const NumberCalls calls{records.hosts.data(), &records.arguments, &state.interrupt};
    const Evaluating evaluating(state.evaluating);
    return expreval::RunNumbers(numbers, records.records.data(), calls, found);
}

// The records of the variables the number form reads, found again; false
// when one is missing or the session's functions make the text another one.
bool FormulaRunner::FindRecords(Session::State& state, const CompiledFormula& compiled) {
    FormulaRecords& found = state.formulaRecords;
    found.formula = 0;
    if (!HostFunctionsHold(state, compiled))
        return false;
    found.records.clear();
    for (const std::string& name : compiled.numbers->names) {
        const expreval::Variable* record = FindVariableIn(state.tables.variables, name);
        if (record == nullptr)
            return false;
        found.records.push_back(record);
    }
    found.hostRecords.clear();
    for (const HostCallSite& site : compiled.numbers->hosts) {
        const Function* record = FindHostFunction(state.tables.functions, site.name);
        if (record == nullptr)
            return false;
        found.hostRecords.push_back(record);
    }
    found.formula = compiled.id;
    found.variables = state.tables.variables.Membership();
    found.functions = state.tables.functions.Membership();
    return true;
}

namespace {

// The record named name, or null, found again through last while no
// variable has joined or left. A record found has a valid name.
expreval::Variable* RecordToHold(HeldRecord& last, const SymbolList<expreval::Variable>& list,
                                 std::string_view name) {
    if (last.found == list.Membership() && last.name == name)
        return last.record;
    auto* record = const_cast<expreval::Variable*>(FindVariableIn(list, name));
    if (record != nullptr)
        last = HeldRecord{std::string(name), list.Membership(), record};
    return record;
}

// value, held by record when it exists and no host's double is bound to
// it; false otherwise.
bool HoldNumber(expreval::Variable* record, double value) {
    if (record == nullptr || (record->bound != nullptr && record->bound != &record->held))
        return false;
    record->held = value;
    record->bound = &record->held;
    record->written = -value;  // another sign bit: the text is due
    return true;
}

}  // namespace

// Whether the session's host functions are those compiled was compiled
// for, by name. A session with many functions compares them all only when
// they or the formula are not those of the last time.
bool FormulaRunner::HostFunctionsHold(Session::State& state, const CompiledFormula& compiled) {
    const std::uint64_t membership = state.tables.functions.Membership();
    if (membership == compiled.hostFunctionsMembership ||
        (state.functionsHeldFormula == compiled.id && state.functionsHeldMembership == membership))
        return true;
    if (!SameHostFunctions(state.tables.functions, compiled.hostFunctions))
        return false;
    state.functionsHeldFormula = compiled.id;
    state.functionsHeldMembership = membership;
    return true;
}

// The checks a run of the program spends, measured by running it where no
// limit applies, and kept with the formula when the number form gives the
// same result. The number form is asked first: only where it answers is the
// program of numbers alone, with no effect (a variable holding a list may
// hold an assignment, which must not be made twice).
std::int64_t FormulaRunner::MeasureChecks(Session::State& state, const CompiledFormula& compiled) {
    if (compiled.measures.fetch_add(1, std::memory_order_relaxed) >= CompiledFormula::kMostMeasures)
        return CompiledFormula::kUnknownChecks;
    NumberResult found;
    if (!expreval::RunNumbers(*compiled.numbers, state.formulaRecords.records.data(), NumberCalls(),
                              found))
        return CompiledFormula::kUnknownChecks;
    InterruptFlag never{false};
    Context context = UnstartedContext(state.tables, never, Limits(), Road::kFast);
    const ThreadContext thread(context, true);
    const std::int64_t before = context.checksLeft;
    std::string text;
    try {
        EvaluateProgram(context, compiled.rewritten, compiled.program, text, nullptr);
    } catch (const Exception&) {
        return CompiledFormula::kUnknownChecks;
    }
    if (ArithmeticResultText(found.cut, found.raw, nullptr) != text)
        return CompiledFormula::kUnknownChecks;
    const std::int64_t checks = before - context.checksLeft;
    compiled.numberChecks.store(checks, std::memory_order_relaxed);
    return checks;
}

bool FormulaRunner::RunProgram(Session& session, const CompiledFormula& compiled,
                               std::string& result, double* number) {
    Session::State& state = *session.state_;
    if (!HostFunctionsHold(state, compiled)) {
        result = session.Evaluate(compiled.text);
        return false;
    }
    const Evaluating evaluating(state.evaluating);
    const BoundValues bound(state.tables.variables, state.bindings, state.bindingsFound);
    Context context = SessionSettings::ContextFor(state);
    const ThreadContext thread(context, state.limited);
    return EvaluateProgram(context, compiled.rewritten, compiled.program, result, number);
}

std::string Session::Evaluate(const Formula& formula) {
    const CompiledFormula& compiled = *formula.compiled_;
    FormulaRunner::Start(*state_, compiled.text.size());
    NumberResult found;
    if (FormulaRunner::RunNumbers(*state_, compiled, found))
        return ArithmeticResultText(found.cut, found.raw, nullptr);
    std::string result;
    FormulaRunner::RunProgram(*this, compiled, result, nullptr);
    return result;
}

double Session::EvaluateNumber(const std::string& expression) {
    return NumberOfResult(Evaluate(expression));
}

// No text is written when the number form answers.
double Session::EvaluateNumber(const Formula& formula) {
    const CompiledFormula& compiled = *formula.compiled_;
    FormulaRunner::Start(*state_, compiled.text.size());
    NumberResult found;
    if (FormulaRunner::RunNumbers(*state_, compiled, found))
        return found.number.value;
    std::string result;
    double number = 0;
    if (FormulaRunner::RunProgram(*this, compiled, result, &number))
        return number;
    return NumberOfResult(result);
}

void Session::SetVariable(std::string_view name, std::string value) {
    StoreHostVariable(state_->tables.variables, name, std::move(value));
    // Between evaluations, a bound variable set takes its double (or leaves
    // it) now: by the next evaluation the host may have set the double.
    if (state_->evaluating || state_->bindings.empty())
        return;
    auto* variable =
        const_cast<expreval::Variable*>(FindVariableIn(state_->tables.variables, name));
    if (variable == nullptr || !variable->assigned || variable->bound == nullptr ||
        variable->bound == &variable->held)
        return;
    // The host's own double, bound through a pointer to non-const.
    if (!WriteBoundValue(*variable, const_cast<double*>(variable->bound)))
        std::erase_if(state_->bindings, [variable](const Binding& binding) {
            return binding.name == variable->name;
        });
}

// A finite number set on a variable that holds a host's own double is
// held as a double, its text written when something reads it: a host's loop
// of setting a number and evaluating writes no text.
void Session::SetVariable(std::string_view name, double value) {
    if (!std::isfinite(value) ||
        !HoldNumber(RecordToHold(state_->held, state_->tables.variables, name), value))
        SetVariable(name, NumberToText(value));
}

void Session::BindVariable(std::string_view name, double* value) {
    RefuseDuringEvaluation(state_->evaluating, "BindVariable");
    std::string key(name);
    FoldCase(key);
    // A refused binding changes nothing: the binding before it stays.
    std::string text;
    if (value != nullptr) {
        text = NumberToText(*value);
        CheckHostVariable(key, text);
    }
    std::erase_if(state_->bindings, [&key](const Binding& binding) { return binding.name == key; });
    const expreval::Variable* variable = FindVariableIn(state_->tables.variables, key);
    if (variable != nullptr) {
        ValueText(*variable);  // an unbound variable keeps the value it has
        const_cast<expreval::Variable*>(variable)->bound = nullptr;
    }
    if (value == nullptr)
        return;
    StoreVariable(state_->tables.variables, std::string(key), std::move(text));
    Bind(state_->tables.variables, key, value);
    state_->bindings.push_back(Binding{std::move(key), value});
    state_->bindingsFound = false;
}

// Removing a record an evaluation may still be reading would free it under
// that evaluation.
bool Session::RemoveVariable(std::string_view name) {
    RefuseDuringEvaluation(state_->evaluating, "RemoveVariable");
    SymbolList<expreval::Variable>& list = state_->tables.variables;
    expreval::Variable* variable = list.Find(expreval::Variable(std::string(name), std::string()));
    if (list.IsSentinel(variable))
        return false;
    std::erase_if(state_->bindings,
                  [variable](const Binding& binding) { return binding.name == variable->name; });
    list.Remove(variable);
    return true;
}

void Session::ClearVariables() {
    RefuseDuringEvaluation(state_->evaluating, "ClearVariables");
    state_->tables.variables.Clear();
    state_->bindings.clear();
}

std::optional<std::string> Session::Variable(std::string_view name) const {
    const expreval::Variable* variable = FindVariableIn(state_->tables.variables, name);
    if (variable == nullptr)
        return std::nullopt;
    return CurrentValueText(*variable);
}

std::vector<std::pair<std::string, std::string>> Session::Variables() const {
    std::vector<std::pair<std::string, std::string>> variables;
    const SymbolList<expreval::Variable>& list = state_->tables.variables;
    for (const expreval::Variable* p = list.Sentinel()->next; p != list.Sentinel(); p = p->next)
        variables.emplace_back(p->name, CurrentValueText(*p));
    return variables;
}

std::vector<std::string> Session::VariableNames() const {
    std::vector<std::string> names;
    const SymbolList<expreval::Variable>& list = state_->tables.variables;
    for (const expreval::Variable* p = list.Sentinel()->next; p != list.Sentinel(); p = p->next)
        names.push_back(p->name);
    return names;
}

std::vector<std::string> Session::FunctionNames() const {
    std::vector<std::string> names = HostFunctionNames(*g_functions);
    const std::vector<std::string> hosts = HostFunctionNames(state_->tables.functions);
    names.insert(names.end(), hosts.begin(), hosts.end());
    std::sort(names.begin(), names.end());
    return names;
}

void Session::DefineFunction(std::string_view name, std::function<double(double)> function) {
    DefineFunction(name, std::move(function), Purity::kMayHaveEffects);
}

void Session::DefineFunction(std::string_view name, std::function<double(double)> function,
                             Purity purity) {
    RefuseDuringEvaluation(state_->evaluating, "DefineFunction");
    if (!function)
        throw std::invalid_argument("expreval: no function given for " + std::string(name));
    HostFunction host;
    host.numeric = std::move(function);
    host.pure = purity == Purity::kPure;
    StoreFunction(state_->tables.functions, name,
                  std::make_shared<const HostFunction>(std::move(host)));
}

void Session::DefineValueFunction(std::string_view name,
                                  std::function<std::string(const std::string&)> function) {
    RefuseDuringEvaluation(state_->evaluating, "DefineValueFunction");
    if (!function)
        throw std::invalid_argument("expreval: no function given for " + std::string(name));
    HostFunction host;
    host.general = std::move(function);
    StoreFunction(state_->tables.functions, name,
                  std::make_shared<const HostFunction>(std::move(host)));
}

namespace {

void CheckDefinition(bool evaluating, const char* operation, std::string_view name, int arity,
                     bool given) {
    RefuseDuringEvaluation(evaluating, operation);
    if (!given)
        throw std::invalid_argument("expreval: no function given for " + std::string(name));
    if (arity < Session::kVariadic)
        throw std::invalid_argument("expreval: not an arity: " + std::to_string(arity));
}

}  // namespace

static_assert(Session::kVariadic == kAnyArity);

void Session::DefineFunction(std::string_view name, int arity,
                             std::function<double(const std::vector<double>&)> function) {
    DefineFunction(name, arity, std::move(function), Purity::kMayHaveEffects);
}

void Session::DefineFunction(std::string_view name, int arity,
                             std::function<double(const std::vector<double>&)> function,
                             Purity purity) {
    CheckDefinition(state_->evaluating, "DefineFunction", name, arity, bool(function));
    HostFunction host;
    host.numbers = std::move(function);
    host.arity = arity;
    host.pure = purity == Purity::kPure;
    StoreFunction(state_->tables.functions, name,
                  std::make_shared<const HostFunction>(std::move(host)));
}

void Session::DefineValueFunction(
    std::string_view name, int arity,
    std::function<std::string(const std::vector<std::string>&)> function) {
    CheckDefinition(state_->evaluating, "DefineValueFunction", name, arity, bool(function));
    HostFunction host;
    host.values = std::move(function);
    host.arity = arity;
    StoreFunction(state_->tables.functions, name,
                  std::make_shared<const HostFunction>(std::move(host)));
}

void Session::SetLimits(const Limits& limits) {
    RefuseDuringEvaluation(state_->evaluating, "SetLimits");
    if (limits.maxNesting < 1 || limits.maxNesting > Limits::kDeepestNesting)
        throw std::invalid_argument("expreval: maxNesting must be from 1 to " +
                                    std::to_string(Limits::kDeepestNesting));
    state_->limits = limits;
    SessionSettings::Refresh(*state_);
}

const Limits& Session::CurrentLimits() const {
    return state_->limits;
}

void Session::Interrupt() noexcept {
    state_->interrupt.store(true, std::memory_order_relaxed);
}

}  // namespace expreval
