#include "app/dialog_number.h"

#include <QString>
#include <climits>

namespace dorvanix {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

int dialogNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a negative number so that INT_MIN is reachable without overflow.
    long long value = 0;
    constexpr long long limit = -static_cast<long long>(INT_MIN);
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) {
            value = limit + 1;  // saturated; further digits change nothing
        }
    }
    if (negative) return value >= limit ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int dialogNumber(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return dialogNumber(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace dorvanix
