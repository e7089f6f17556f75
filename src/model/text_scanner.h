#pragma once

#include <string>
#include <string_view>

namespace dorvanix {

// A strict left-to-right reader for typed divisor text. Every failure throws InputError with the
// position (counted from 1) and what was expected there.
class TextScanner {
  public:
    TextScanner(std::string_view text, std::string_view what) : text_(text), what_(what) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    std::size_t position() const { return pos_; }
    std::string_view rest() const { return text_.substr(pos_); }

    // Consumes `ch` or fails.
    void expect(char ch);
    // Consumes `ch` when it stands next.
    bool accept(char ch);
    // Consumes `word` when it stands next.
    bool acceptWord(std::string_view word);
    // An unsigned decimal number of at most kMaxInputNumber.
    int number(std::string_view name);
    // An unsigned decimal number of at most `largest`.
    long long number(std::string_view name, long long largest);
    // A run of decimal digits of any length, passed over: a note such as the count in a fiber
    // line's annotation, which is read past and never computed with.
    void skipDigits(std::string_view name);
    // Fails unless the whole text has been read.
    void expectEnd();

    [[noreturn]] void fail(std::string_view problem) const;
    [[noreturn]] void failAt(std::size_t pos, std::string_view problem) const;

  private:
    std::string_view text_;
    std::string_view what_;
    std::size_t pos_ = 0;
};

}  // namespace dorvanix
