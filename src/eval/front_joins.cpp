#include "eval/front_joins.h"

#include <cstddef>

namespace expreval {

bool GatherFrontJoin(const Operator& join, std::string_view piece, std::string_view value,
                     Settled valueForm, FrontJoins& front) {
    if (join.elementJoin == ElementJoin::kNone || piece.empty() || value.empty())
        return false;
    const Settled pieceForm = ClassifySettled(piece);
    const bool strings = pieceForm == Settled::kString;
    if (!strings &&
        !(IsNumberForm(pieceForm) && join.elementJoin == ElementJoin::kStringsAndNumbers))
        return false;
    if (front.join != nullptr) {
        if (&join != front.join || strings != front.strings || front.pieces.back()[0] == '-')
            return false;
    } else {
        if (strings ? valueForm != Settled::kString : !IsNumberForm(valueForm) || value[0] == '-')
            return false;
        front.join = &join;
        front.strings = strings;
        front.pieces.clear();
    }
    front.pieces.push_back(piece);
    return true;
}

// Strings join their contents; numbers join their digits, of which "."
// keeps the first point and drops every later one, as it drops the second
// point at each join in turn.
std::string WriteFrontJoins(FrontJoins& front, std::string_view value, Settled& form) {
    size_t size = value.size();
    for (const std::string_view piece : front.pieces)
        size += piece.size();
    std::string text;
    text.reserve(size);
    if (front.strings) {
        text.push_back('"');
        for (size_t i = front.pieces.size(); i-- > 0;)
            text.append(front.pieces[i].substr(1, front.pieces[i].size() - 2));
        text.append(value.substr(1));
        form = Settled::kString;
    } else {
        bool point = false;
        for (size_t i = front.pieces.size(); i-- > 0;)
            AppendNumberDigits(text, front.pieces[i], point);
        AppendNumberDigits(text, value, point);
        form = point ? Settled::kPointNumber : Settled::kNumber;
    }
    front.join = nullptr;
    front.pieces.clear();
    return text;
}

}  // namespace expreval
