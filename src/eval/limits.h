// The largest value an operation may build, for hosts that evaluate texts
// they do not trust.
#pragma once

#include <cstddef>
#include <cstdint>

namespace expreval {

// Bytes a value built by an operation may hold on this thread; a session
// with limits sets it around each evaluation.
constinit inline thread_local std::size_t t_maxValueSize = SIZE_MAX;

// Throws Exception "Value too large.".
[[noreturn]] void ThrowValueTooLarge();

// Where a value is built: a result pushed, stored or grown element by
// element. Its operands are no longer than the limit, so no text grows
// past a few times it before this refuses it.
inline void CheckValueSize(std::size_t size) {
    if (size > t_maxValueSize)
        ThrowValueTooLarge();
}

}  // namespace expreval
