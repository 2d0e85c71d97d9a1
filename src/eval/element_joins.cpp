#include "eval/element_joins.h"

#include <cstdint>

#include "eval/nesting.h"
#include "value/value.h"

namespace expreval {

namespace {

// True when every element of the settled list is a settled number, or with
// strings too, a settled number or string: each then evaluates to itself,
// and so does each element joined with such a piece.
bool ElementsAreSettled(std::string_view list, bool stringsToo) {
    return ForEachListElement(list, [stringsToo](std::string_view element) {
        const Settled form = ClassifySettled(element);
        return IsNumberForm(form) || (stringsToo && form == Settled::kString);
    });
}

// A number piece joins as digits, the first point kept: the one point an
// element may hold then meets at most one point, which "." drops, as it
// would drop the second point at every join in turn. A string piece takes
// the contents of the strings in turn.
void Append(ElementJoins& joins, std::string_view right) {
    if (joins.pieceForm == Settled::kString) {
        joins.piece.pop_back();
        joins.piece.append(right.substr(1));
        return;
    }
    bool point = joins.pieceForm == Settled::kPointNumber;
    AppendNumberDigits(joins.piece, right, point);
    if (point)
        joins.pieceForm = Settled::kPointNumber;
}

// Each gathered join would run an element's evaluation two levels below
// this one, and under a limit on value sizes might be the one refused.
bool NothingCanFail(const Context& context) {
    return CanNestDeeper(context, 3) && context.maxValueSize == SIZE_MAX;
}

}  // namespace

bool GatherElementJoin(const Context& context, const Operator& join, std::string_view list,
                       Settled listForm, std::string_view right, ElementJoins& joins) {
    // Only a single value can be gathered; a list would be classified for
    // nothing, at every join of a long one.
    if (join.elementJoin == ElementJoin::kNone || list.empty() || list[0] != '{' || right.empty() ||
        right[0] == '{')
        return false;
    const Settled rightForm = ClassifySettled(right);
    // A list whose element holds "}" does not read back as itself, which
    // each later join, not gathered, would find.
    const bool string = rightForm == Settled::kString && right.find('}') == std::string_view::npos;
    const bool digits = join.elementJoin == ElementJoin::kStringsAndNumbers &&
                        IsNumberForm(rightForm) && right[0] != '-';
    if (!string && !digits)
        return false;
    if (joins.join != nullptr) {
        if (&join != joins.join || string != (joins.pieceForm == Settled::kString))
            return false;
        Append(joins, right);
        return true;
    }
    if (!NothingCanFail(context) ||
        (listForm != Settled::kList && ClassifySettled(list) != Settled::kList) ||
        !ElementsAreSettled(list, string))
        return false;
    joins.join = &join;
    joins.pieceForm = string ? Settled::kString : Settled::kNumber;
    joins.piece.clear();
    if (string)
        joins.piece = "\"\"";
    Append(joins, right);
    return true;
}

}  // namespace expreval
