#include "eval/front_joins.h"

#include <cstddef>

namespace expreval {

bool GatherFrontJoin(const Operator& join, std::string_view piece, std::string_view value,
                     Settled valueForm, FrontJoins& front, bool copy) {
    if (join.elementJoin == ElementJoin::kNone || piece.empty() || value.empty())
        return false;
    const Settled pieceForm = ClassifySettled(piece);
    Settled kind = pieceForm;
    if (IsNumberForm(pieceForm) && join.elementJoin == ElementJoin::kStringsAndNumbers)
        kind = Settled::kNumber;
    else if (pieceForm != Settled::kString && pieceForm != Settled::kList)
        return false;
    if (front.join != nullptr) {
        if (&join != front.join || kind != front.kind || front.pieces.back()[0] == '-')
            return false;
    } else {
        if (kind == Settled::kNumber ? !IsNumberForm(valueForm) || value[0] == '-'
                                     : valueForm != kind)
            return false;
        front.join = &join;
        front.kind = kind;
        front.pieces.clear();
        front.copies.clear();
    }
    if (copy)
        piece = front.copies.emplace_back(piece);
    front.pieces.push_back(piece);
    return true;
}

// Strings join their contents; lists their elements, each list's followed
// by a comma, empty ones too; numbers join their digits, of which "."
// keeps the first point and drops every later one, as it drops the second
// point at each join in turn.
std::string WriteFrontJoins(FrontJoins& front, std::string_view value, Settled& form) {
    size_t size = value.size();
    for (const std::string_view piece : front.pieces)
        size += piece.size();
    std::string text;
    text.reserve(size);
    if (front.kind != Settled::kNumber) {
        const bool list = front.kind == Settled::kList;
        text.push_back(value.front());
        for (size_t i = front.pieces.size(); i-- > 0;) {
            text.append(front.pieces[i].substr(1, front.pieces[i].size() - 2));
            if (list)
                text.push_back(',');
        }
        text.append(value.substr(1));
        form = front.kind;
    } else {
        bool point = false;
        for (size_t i = front.pieces.size(); i-- > 0;)
            AppendNumberDigits(text, front.pieces[i], point);
        AppendNumberDigits(text, value, point);
        form = point ? Settled::kPointNumber : Settled::kNumber;
    }
    front.join = nullptr;
    front.pieces.clear();
    front.copies.clear();
    return text;
}

}  // namespace expreval
