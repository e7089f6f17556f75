#include "model/leading_number.h"

#include <climits>

namespace dorvanix {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

int leadingNumber(std::string_view text, std::size_t from) {
    std::size_t i = from;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Past -INT_MIN the value stops growing, so that further digits cannot overflow it.
    constexpr long long kLimit = -static_cast<long long>(INT_MIN);
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value <= kLimit) value = value * 10 + (text[i] - '0');
    }
    if (negative) return value >= kLimit ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace dorvanix
