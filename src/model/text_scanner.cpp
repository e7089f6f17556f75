#include "model/text_scanner.h"

#include "model/input_check.h"

namespace dorvanix {

namespace {

std::string describe(char ch) {
    if (ch == '\0') return "the end of the text";
    if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7f) {
        return "a byte that is not a printable character";
    }
    return std::string("'") + ch + "'";
}

}  // namespace

void TextScanner::expect(char ch) {
    if (peek() != ch) fail(std::string("expected '") + ch + "' but found " + describe(peek()));
    ++pos_;
}

bool TextScanner::accept(char ch) {
    if (peek() != ch) return false;
    ++pos_;
    return true;
}

bool TextScanner::acceptWord(std::string_view word) {
    if (rest().substr(0, word.size()) != word) return false;
    pos_ += word.size();
    return true;
}

int TextScanner::number(std::string_view name) {
    return static_cast<int>(number(name, kMaxInputNumber));
}

long long TextScanner::number(std::string_view name, long long largest) {
    const std::size_t start = pos_;
    if (peek() < '0' || peek() > '9') {
        fail("expected " + std::string(name) + " (a number) but found " + describe(peek()));
    }
    if (peek() == '0' && pos_ + 1 < text_.size() && text_[pos_ + 1] >= '0' &&
        text_[pos_ + 1] <= '9') {
        fail(std::string(name) + " has a leading zero");
    }
    long long value = 0;
    while (peek() >= '0' && peek() <= '9') {
        value = value * 10 + (peek() - '0');
        if (value > largest) {
            failAt(start,
                   std::string(name) + " is too large (at most " + std::to_string(largest) + ")");
        }
        ++pos_;
    }
    return value;
}

void TextScanner::skipDigits(std::string_view name) {
    if (peek() < '0' || peek() > '9') {
        fail("expected " + std::string(name) + " (a number) but found " + describe(peek()));
    }
    while (peek() >= '0' && peek() <= '9') ++pos_;
}

void TextScanner::expectEnd() {
    if (!atEnd()) fail("unexpected text after the end: " + quoteInput(rest()));
}

void TextScanner::fail(std::string_view problem) const {
    failAt(pos_, problem);
}

void TextScanner::failAt(std::size_t pos, std::string_view problem) const {
    throw InputError(std::string(what_) + " " + quoteInput(text_) + ": at character " +
                     std::to_string(pos + 1) + ": " + std::string(problem));
}

}  // namespace dorvanix
