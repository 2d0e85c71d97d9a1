#include "eval/evaluate.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "eval/element_joins.h"
#include "eval/front_joins.h"
#include "eval/grammar.h"
#include "eval/line_memo.h"
#include "eval/number_line.h"
#include "eval/program.h"
#include "eval/small_stack.h"
#include "eval/tokenizer.h"
#include "eval/whole_value.h"
#include "symbols/tables.h"
#include "value/lexicon.h"
#include "value/settled.h"
#include "value/value.h"

namespace expreval {

namespace {

// A text that starts with a name and a "(": mostly a lone call, which a
// line of arithmetic on numbers would give up.
bool StartsWithCall(std::string_view text) {
    if (text.empty() || !IsNameStart(text[0]))
        return false;
    const size_t end = NameEnd(text, 0);
    return end < text.size() && text[end] == '(';
}

// What a handler reads of an operand text in place: a plain number, or the
// name of a variable that holds one.
bool ReadTextNumber(const Context& context, std::string_view text, PlainNumber& number) {
    if (ReadPlainNumber(text, number, &context.caches->lastNumber))
        return true;
    return IsKeptName(text) && FindNumberVariable(context, text, number) != nullptr;
}

std::string VariableValue(const Context& context, std::string_view name) {
    const Variable* variable = FindVariable(context, name);
    if (variable == nullptr)
        throw Exception("Variable " + std::string(name) + " does not exist.");
    if (BoundToNoValue(*variable))
        throw Exception("Variable " + std::string(name) +
                        " is bound to an infinity or a not-a-number.");
    return ValueText(*variable);
}

// The argument is a view of the call text: no copy per call level.
std::string CallFunction(Context& context, const Function& function, std::string_view call) {
    const std::string_view argument = CutCall(call).argument;
    if (function.hostCall != nullptr)
        return function.hostCall(function, argument, context);
    return function.handler(argument, std::string_view(), context);
}

std::string CallFunction(Context& context, std::string_view call) {
    const std::string_view name = CutCall(call).name;
    const Function* function = FindFunction(context, name);
    if (function == nullptr)
        throw Exception("Function " + std::string(name) + " does not exist.");
    return CallFunction(context, *function, call);
}

// A lone name becomes its variable's value, a lone call its function's
// result; any other text is the value itself, taken over from owner when
// owner holds it.
std::string Resolve(Context& context, std::string_view text, std::string* owner) {
    if (text.empty() || !IsNameStart(text[0]))
        return owner != nullptr ? std::move(*owner) : std::string(text);
    if (FinalCallOpen(text) == std::string::npos)
        return VariableValue(context, text);
    return CallFunction(context, text);
}

// The value of a token as the scan found it: a literal is its own value,
// taken over from owned when that holds the whole of it.
std::string TokenValue(Context& context, const Token& token, std::string* owned) {
    switch (token.kind) {
        case TokenKind::kName:
            return VariableValue(context, token.text);
        case TokenKind::kCall:
            if (token.function == nullptr)
                return CallFunction(context, token.text);
            return CallFunction(context, *token.function, token.text);
        case TokenKind::kNumber:
        case TokenKind::kString:
        case TokenKind::kList:
            break;
    }
    if (owned != nullptr && token.text.data() == owned->data() &&
        token.text.size() == owned->size())
        return std::move(*owned);
    return std::string(token.text);
}

// The scan's events while they are one operand token: a text that is one
// token alone, mostly a call, is its token's value, without the stacks. The
// scan stops at a second event; a text short of the scan's first check for
// an interrupt is scanned again in full as if this had not been.
class LoneToken {
  public:
    void Operand(const Token& found) {
        if (seen_) {
            enough_ = true;
            return;
        }
        token = found;
        seen_ = true;
    }
    void OperatorToken(std::string_view) { enough_ = true; }
    void OpenGroup() { enough_ = true; }
    void CloseGroup() { enough_ = true; }
    const bool* EnoughFlag() const { return &enough_; }
    bool Found() const { return seen_ && !enough_; }

    Token token;

  private:
    bool seen_ = false;    // an operand came first
    bool enough_ = false;  // and something after it, or something else first
};

// The operand stack of one run, and the reductions on it. The grammar
// (eval/grammar.h) decides when to reduce and drives this as it scans, on
// either road; a formula's compiled form (eval/program.h) drives it with the
// same reductions in the same order.
class Evaluation {
  public:
    explicit Evaluation(Context& context) : context_(context) {}
    ~Evaluation() {
        for (size_t i = 0; i < operands_.Size(); ++i)
            Release(context_, operands_[i]);
    }
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    // A token stays where the scan found it: the text scanned outlives the run.
    // A number token may come read already (known).
    void Push(const Token& token, const PlainNumber* known = nullptr) {
        Entry& entry = operands_.Push();
        entry.token = token.text;
        entry.kind = token.kind;
        entry.function = token.function;
        entry.known = known != nullptr;
        if (known != nullptr)
            entry.number = *known;
        entry.owns = false;
        entry.computed = false;
        entry.form = Settled::kUnknown;
        if (entry.joins != nullptr)
            entry.joins->join = nullptr;
        if (entry.front != nullptr)
            entry.front->join = nullptr;
    }

    // A join of a list's elements that can wait is gathered; two numbers an
    // operator's row can work on are worked on as numbers; anything else
    // first applies what its operands wait for, then the handler.
    void Reduce(const Operator& op) {
        const size_t count = operands_.Size();
        Entry& left = operands_[count - 2];
        Entry& right = operands_[count - 1];
        if (ShortcutsOpen(context_)) {
            if (op.numbers != nullptr && ApplyToNumbers(op, left, right)) {
                PopRight();
                return;
            }
            Write(left);
            Write(right);
            if (op.elementJoin != ElementJoin::kNone && GatherInFront(op, left, right)) {
                std::swap(left, right);  // the growing value takes the left's place
                PopRight();
                return;
            }
            if (op.elementJoin != ElementJoin::kNone && IsList(left.Text()) && !right.Waits() &&
                !left.FrontWaits() &&
                GatherElementJoin(context_, op, left.Text(), left.form, right.Text(),
                                  left.Joins())) {
                PopRight();
                return;
            }
            FinishJoins(left);
            FinishJoins(right);
        }
        Apply(context_, op.handler, left, right);
        PopRight();
    }

    // The one operand left, when it is a number worked out here: the double
    // its text reads as, without writing the text.
    bool NumberResult(double& value) {
        Entry& entry = operands_.Top();
        PlainNumber number;
        if (!entry.computed || !ResultNumber(entry.raw, entry.cut, number))
            return false;
        value = number.value;
        return true;
    }

    // The one operand left: its value. A literal that is the whole of the
    // text held in whole is taken over from it. On the fast road a token is
    // resolved by what the scan found it to be.
    std::string Result(std::string* whole) {
        Entry& entry = operands_.Top();
        Write(entry);
        FinishJoins(entry);
        if (!ShortcutsOpen(context_))
            return Resolve(context_, entry.Text(), entry.Owner());
        if (entry.owns)
            return std::move(*entry.owned);
        return TokenValue(context_, Token{entry.token, entry.kind, entry.function}, whole);
    }

  private:
    // An operand: a scanned token, seen where it stands, or a handler's
    // result, held here; and whether it is known to be settled: a join's
    // result says so, a scanned token is left to the handler to evaluate.
    // A list may also wait for joins gathered for its elements, and a
    // number worked out here waits to be written until something needs its
    // text.
    // A result's string lives apart, so that an entry stays small (a line of
    // nested groups stacks one per few characters), and stays for the next
    // result pushed there.
    struct Entry {
        std::string_view token;
        std::unique_ptr<std::string> owned;
        const Function* function = nullptr;  // a call token's
        bool known = false;                  // a number token read: number
        PlainNumber number;
        TokenKind kind = TokenKind::kNumber;
        bool owns = false;
        bool computed = false;  // raw, cut: a number not yet written
        bool cut = false;
        Settled form = Settled::kUnknown;
        double raw = 0;
        std::size_t counted = 0;  // bytes of owned counted against the context
        // Joins gathered for a list's elements; made for the first.
        std::unique_ptr<ElementJoins> joins;

        // Joins gathered in front of it, as the right operand; made for the
        // first.
        std::unique_ptr<FrontJoins> front;

        // Joins wait behind its elements or in front of it, never both: a
        // list with joins in front has them written before any is gathered
        // behind its elements.
        bool Waits() const { return ElementsWait() || FrontWaits(); }
        bool ElementsWait() const { return joins != nullptr && joins->join != nullptr; }
        bool FrontWaits() const { return front != nullptr && front->join != nullptr; }
        ElementJoins& Joins() {
            if (joins == nullptr)
                joins = std::make_unique<ElementJoins>();
            return *joins;
        }
        std::string_view Text() const { return owns ? std::string_view(*owned) : token; }
        std::string* Owner() { return owns ? owned.get() : nullptr; }
        // What a handler is told of it: a held result it may take over, or
        // the token the scan found.
        expreval::Operand AsOperand(Settled* told) {
            expreval::Operand operand(Text(), Owner(), form, told);
            if (!owns && !computed) {
                operand.scanned = true;
                operand.kind = kind;
                operand.function = function;
            }
            return operand;
        }
        void Hold(std::string result) {
            if (owned == nullptr)
                owned = std::make_unique<std::string>();
            *owned = std::move(result);
            owns = true;
            computed = false;
        }
    };

    // A number worked out here, written as its operator's handler writes it.
    void Write(Entry& entry) {
        if (entry.computed)
            entry.Hold(ArithmeticResultText(entry.cut, entry.raw, &context_.caches->lastNumber));
    }

    // The values waiting on the stacks, at every level of nesting, share
    // the context's room for held values: a short text with many groups
    // would otherwise hold one value as large as the limit allows per
    // group. Number texts are never counted, so that both roads count the
    // same values, whether a number waits as a text or as a double.
    static void Keep(Context& context, Entry& entry, std::string value) {
        const std::size_t counted = value.size() > kLongestNumberText ? value.size() : 0;
        if (counted > context.heldRoom + entry.counted)
            ThrowValueTooLarge();
        context.heldRoom = context.heldRoom + entry.counted - counted;
        entry.counted = counted;
        entry.Hold(std::move(value));
    }

    // Gives the room of a counted value back, and its memory with it.
    static void Release(Context& context, Entry& entry) {
        if (entry.counted == 0)
            return;
        context.heldRoom += entry.counted;
        entry.counted = 0;
        std::string().swap(*entry.owned);
    }

    // After a reduction, whose result took the left operand's place.
    void PopRight() {
        Release(context_, operands_.Top());
        operands_.Pop();
    }

    // What the handler would read of an operand where it stands: its number,
    // and whether its value's text is an integer text. False where the
    // handler would evaluate it.
    bool ReadNumber(Entry& entry, PlainNumber& number) {
        if (entry.computed) {
            if (ResultNumber(entry.raw, entry.cut, number))
                return true;
            Write(entry);  // a result too rare to be worked out, such as 1.#INF
        }
        if (entry.Waits())
            return false;
        if (entry.owns)
            return ReadPlainNumber(*entry.owned, number, &context_.caches->lastNumber);
        if (entry.kind == TokenKind::kNumber) {
            if (entry.known) {
                number = entry.number;
                return true;
            }
            return ReadPlainNumber(entry.token, number, &context_.caches->lastNumber);
        }
        return entry.kind == TokenKind::kName && IsKeptName(entry.token) &&
               FindNumberVariable(context_, entry.token, number) != nullptr;
    }

    // The handler's own work on two numbers that it would read in place
    // (ops/operands.h), with the checks that reading counts, done here
    // without writing the result: the next operation mostly reads it as a
    // number again. / and % work on integers when both operand texts are
    // integer texts: a name is judged by its own letters, whatever its value.
    bool ApplyToNumbers(const Operator& op, Entry& left, Entry& right) {
        if (IsMathCall(left) || IsMathCall(right))
            return ApplyToCalls(op, left, right);
        PlainNumber a;
        PlainNumber b;
        if (!CanNestDeeper(context_) || !ReadNumber(left, a) || !ReadNumber(right, b))
            return false;
        const NumberKernel& kernel = *op.numbers;
        const bool integerTexts =
            kernel.ReadsTexts() && IsIntegerOperand(left, a) && IsIntegerOperand(right, b);
        SpendChecks(context_, 2 * kRunChecks);
        Computed(left, kernel.For(integerTexts)(a.value, b.value), a.integer && b.integer);
        return true;
    }

    // A call of a math function whose argument is read in place.
    static bool IsMathCall(const Entry& entry) {
        return !entry.owns && !entry.computed && entry.kind == TokenKind::kCall &&
               entry.function != nullptr && entry.function->number != nullptr &&
               entry.function->hostCall == nullptr;
    }

    // With a call among them, the handler evaluates both operands in turn
    // and reads their values' texts. Evaluating one is a run, one check; a
    // call's run applies its function to its argument read in place, one
    // level further down, one check more. Done here where that is all it
    // would do: each operand a number read in place, each call's argument
    // too; the function's work comes from its row. / and % look at the
    // operand texts: a call is an integer text when it holds no point and
    // no "e".
    bool ApplyToCalls(const Operator& op, Entry& left, Entry& right) {
        PlainNumber leftArgument;
        PlainNumber rightArgument;
        if (!CanNestDeeper(context_, 2) || !ReadOperand(left, leftArgument) ||
            !ReadOperand(right, rightArgument))
            return false;
        const PlainNumber a = OperandValue(left, leftArgument);
        const PlainNumber b = OperandValue(right, rightArgument);
        const NumberKernel& kernel = *op.numbers;
        const bool integerTexts = kernel.ReadsTexts() && IsIntegerCallOperand(left, leftArgument) &&
                                  IsIntegerCallOperand(right, rightArgument);
        Computed(left, kernel.For(integerTexts)(a.value, b.value), a.integer && b.integer);
        return true;
    }

    // An operand's number, or for a call its argument's, read in place.
    bool ReadOperand(Entry& entry, PlainNumber& number) {
        if (!IsMathCall(entry))
            return ReadNumber(entry, number);
        const std::string_view call = entry.token;
        return ReadTextNumber(context_, CutCall(call).argument, number);
    }

    // The operand's evaluation, with its checks: what reading the value's
    // text gives. A call's function may throw, after its checks.
    PlainNumber OperandValue(const Entry& entry, const PlainNumber& read) {
        if (!IsMathCall(entry)) {
            SpendChecks(context_, kRunChecks);
            return read;
        }
        SpendChecks(context_, kCallChecks);
        const double value = entry.function->number(read.value);
        PlainNumber number;
        if (ResultNumber(value, false, number))
            return number;
        const std::string text = NumberToText(value, &context_.caches->lastNumber);
        return PlainNumber{TextToNumber(text), IsIntegerText(text)};
    }

    bool IsIntegerCallOperand(const Entry& entry, const PlainNumber& read) {
        return IsMathCall(entry) ? IsIntegerText(entry.token) : IsIntegerOperand(entry, read);
    }

    // left becomes a number worked out here, to be written when needed.
    void Computed(Entry& left, double raw, bool cut) {
        Release(context_, left);
        left.owns = false;
        left.computed = true;
        left.cut = cut;
        left.raw = raw;
        left.form = Settled::kUnknown;
        if (context_.maxValueSize < kLongestNumberText) {
            Write(left);
            CheckValueSize(context_, left.owned->size());
        }
    }

    // Whether an operand read as number has an integer text: a number's
    // reading says so; a name is judged by its own letters.
    static bool IsIntegerOperand(const Entry& entry, const PlainNumber& number) {
        if (!entry.owns && !entry.computed && entry.kind == TokenKind::kName)
            return IsIntegerText(entry.token);
        return number.integer;
    }

    // A literal, or a variable's value, joined in front of a settled result
    // is gathered in front of it, where the handler could not fail: it would
    // evaluate the token one level down and take the result over, two
    // checks, and no limit on value sizes could refuse the join. A value is
    // copied: an assignment may change it before the joins are written.
    bool GatherInFront(const Operator& op, Entry& left, Entry& right) {
        if (left.owns || left.computed || left.Waits() || !right.owns || right.ElementsWait() ||
            !CanNestDeeper(context_, 2) || context_.maxValueSize != SIZE_MAX)
            return false;
        std::string_view piece = left.token;
        const bool named = left.kind == TokenKind::kName;
        if (named) {
            const Variable* variable = FindVariable(context_, left.token);
            if (variable == nullptr || BoundToNoValue(*variable))
                return false;
            piece = ValueText(*variable);
        }
        if (right.front == nullptr)
            right.front = std::make_unique<FrontJoins>();
        if (!GatherFrontJoin(op, piece, *right.owned, right.form, *right.front, named))
            return false;
        SpendChecks(context_, 2 * kRunChecks);
        return true;
    }

    // Inline: mostly nothing waits.
    [[gnu::always_inline]] void FinishJoins(Entry& entry) {
        if (entry.Waits())
            ApplyGathered(entry);
    }

    [[gnu::noinline]] void ApplyGathered(Entry& entry) {
        if (entry.FrontWaits()) {
            Settled form = Settled::kUnknown;
            Keep(context_, entry, WriteFrontJoins(*entry.front, *entry.owned, form));
            entry.form = form;
            return;
        }
        Entry piece;
        piece.Hold(std::move(entry.joins->piece));
        piece.form = entry.joins->pieceForm;
        Apply(context_, std::exchange(entry.joins->join, nullptr)->handler, entry, piece);
    }

    // The handler reads its operands where they stand: its own evaluations
    // run with stacks of their own and cannot touch these. It is told which
    // are results, and which settled, and may take those over, and tells
    // whether its result, which takes the left operand's place, is settled.
    // On the reference road the handler is told nothing, and its result is
    // never taken as settled.
    static void Apply(Context& context, Handler handler, Entry& left, Entry& right) {
        Settled resultForm = Settled::kUnknown;
        std::string result = ShortcutsOpen(context) ? handler(left.AsOperand(&resultForm),
                                                              right.AsOperand(nullptr), context)
                                                    : handler(left.Text(), right.Text(), context);
        CheckValueSize(context, result.size());
        Keep(context, left, std::move(result));
        left.form = resultForm;
    }

    // Entries kept inside the run itself: operands mostly reduce as they
    // come, so few wait at once.
    static constexpr size_t kTypicalDepth = 4;

    Context& context_;
    SmallStack<Entry, kTypicalDepth> operands_;
};

}  // namespace

// Where Evaluate would refuse to nest deeper, these refuse too, so that the
// caller's own Evaluate reports it.
bool EvaluatePlainNumber(Context& context, std::string_view text, PlainNumber& number) {
    if (!ShortcutsOpen(context) || !CanNestDeeper(context) ||
        !ReadTextNumber(context, text, number))
        return false;
    SpendChecks(context, kRunChecks);
    return true;
}

bool EvaluatePlainNumbers(Context& context, std::string_view left, std::string_view right,
                          PlainNumber& a, PlainNumber& b) {
    if (!ShortcutsOpen(context) || !CanNestDeeper(context) || !ReadTextNumber(context, left, a) ||
        !ReadTextNumber(context, right, b))
        return false;
    SpendChecks(context, 2 * kRunChecks);
    return true;
}

namespace {

// A call whose function the program does not hold (a host's) names the
// function of the context's session by that name.
Token HereIn(const Context& context, const Token& token) {
    if (token.kind != TokenKind::kCall || token.function != nullptr)
        return token;
    Token here = token;
    here.function = FindFunction(context, CutCall(token.text).name);
    return here;
}

// Runs program on the stacks of an evaluation. A program of one token, the
// commonest operand, needs no stacks. With number, a result worked out as a
// number is put there instead (true), and no text is written.
bool Run(Context& context, const Program& program, std::string* owned, std::string& result,
         double* number) {
    SpendChecks(context, program.ScanChecks());
    if (program.Size() == 1 && !program.Failed()) {
        result = TokenValue(context, HereIn(context, program[0].token), owned);
        return false;
    }
    Evaluation evaluation(context);
    for (size_t i = 0; i < program.Size(); ++i) {
        const Instruction& step = program[i];
        if (step.op != nullptr)
            evaluation.Reduce(*step.op);
        else
            evaluation.Push(HereIn(context, step.token), step.read ? &step.number : nullptr);
    }
    if (program.Failed())
        throw Exception(program.Failure());
    if (number != nullptr && evaluation.NumberResult(*number))
        return true;
    result = evaluation.Result(owned);
    return false;
}

}  // namespace

// Both roads apply each reduction as the scan meets it: a line is evaluated
// once, so writing a program first would only cost. The fast road first
// answers a lone call without the stacks.
std::string EvaluateOnStacks(Context& context, std::string_view text, std::string* owned) {
    if (ShortcutsOpen(context) && text.size() < kInterruptStride && StartsWithCall(text)) {
        LoneToken lone;
        Scan(context, text, lone);
        if (lone.Found())
            return TokenValue(context, lone.token, owned);
    }
    Evaluation evaluation(context);
    Grammar<Evaluation> grammar(context, evaluation);
    Scan(context, text, grammar);
    grammar.Finish();
    return evaluation.Result(ShortcutsOpen(context) ? owned : nullptr);
}

namespace {

// A text that starts with a call, mostly a lone call, which the numbers
// would give up, is not tried on them.
[[gnu::always_inline]] inline bool WorksOutOnNumbers(Context& context, std::string_view text,
                                                     NumberLineAnswer& answer) {
    return !StartsWithCall(text) && WorkOutNumberLine(context, text, answer);
}

// Every entry: one level of nesting, then on the fast road a line of plain
// arithmetic is worked out on numbers and a value token is its own value;
// else the rewrite where it changes anything, then arithmetic on numbers
// again, and any other line on the stacks.
// owned, when given, holds text and may be taken over. A view into the line
// under evaluation needs no look for the rewrite when the line's memo knows
// it kept.
std::string EvaluateEntry(Context& context, std::string_view text, std::string* owned) {
    const NestingGuard guard(context);
    // A long text is first asked whether the rewrite keeps it: one it would
    // change is not tried as it stands, since the number line would give it
    // up only where the change stands, perhaps far in (a run of blanks).
    LineMemo* line = context.line;
    const auto memoKept = [line, text] {
        return line != nullptr && line->Holds(text) && line->Kept(text);
    };
    const bool longText = text.size() >= kInterruptStride;
    const bool longKept = longText && (memoKept() || KeptByRewriteBySkipping(text));
    // Each shortcut gives what the stacks would, so either may look first:
    // arithmetic, the commonest line, unless the text is long enough that a
    // value token would cost a second scan.
    NumberLineAnswer answer;
    if (ShortcutsOpen(context)) {
        if (!longText && WorksOutOnNumbers(context, text, answer))
            return GiveNumberLineAnswer(context, answer);
        if (IsWholeValue(text))
            return owned != nullptr ? std::move(*owned) : std::string(text);
        if (longKept && WorksOutOnNumbers(context, text, answer))
            return GiveNumberLineAnswer(context, answer);
    }
    if (memoKept())
        return EvaluateOnStacks(context, text, owned);
    if (longText ? longKept : KeptByRewriteBySkipping(text)) {
        const LineScope scope(context, text);
        return EvaluateOnStacks(context, text, owned);
    }
    std::string rewritten = owned != nullptr ? std::move(*owned) : std::string(text);
    StripWhiteSpaceAndFoldCase(rewritten);
    const LineScope scope(context, rewritten);
    if (ShortcutsOpen(context) && WorksOutOnNumbers(context, rewritten, answer))
        return GiveNumberLineAnswer(context, answer);
    return EvaluateOnStacks(context, rewritten, &rewritten);
}

}  // namespace

// A text compiled once is run as Evaluate runs a text on the fast road; the
// reference road reads the text again.
bool EvaluateProgram(Context& context, std::string_view text, const Program& program,
                     std::string& result, double* number) {
    const NestingGuard guard(context);
    const LineScope scope(context, text);
    if (!ShortcutsOpen(context)) {
        result = EvaluateOnStacks(context, text);
        return false;
    }
    return Run(context, program, nullptr, result, number);
}

std::string EvaluateOwned(Context& context, std::string expression) {
    return EvaluateEntry(context, expression, &expression);
}

std::string EvaluateText(Context& context, std::string_view text) {
    return EvaluateEntry(context, text, nullptr);
}

// A literal is its own value at EvaluateEntry's first look. A name or call that
// the rewrite would change, alone, is another text than the scan saw in its
// line (1e"Ab" holds the name Ab, whose text alone folds to ab): that one is
// evaluated as a text too.
std::string EvaluateToken(Context& context, std::string_view text, TokenKind kind,
                          const Function* function) {
    const bool nameOrCall = kind == TokenKind::kName || kind == TokenKind::kCall;
    if (!nameOrCall || !KeptByRewriteBySkipping(text))
        return EvaluateText(context, text);
    const NestingGuard guard(context);
    return TokenValue(context, Token{text, kind, function}, nullptr);
}

}  // namespace expreval
