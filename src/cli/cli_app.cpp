#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>

#include "cli/commands.h"
#include "cli/progress_line.h"
#include "dorvanix/version.h"
#include "files/atomic_file.h"
#include "model/input_check.h"
#include "model/node_pool.h"

namespace dorvanix::cli {

namespace {

constexpr const char* kFooter = R"(
Sizes: every number typed (m, r, b, multiplicities, genus) is at most 10000; sums are exact
64-bit integers, and counts are exact at any size. A count that would need a table of more than
2^24 numbers (or more than 1 GB of whole numbers for an exact count past 2^128) and a picture of
more than 100000 curves (X's, or the chain diagram's nodes) are declined.

Progress: fibers, --count and file listings that run longer than a second show a progress line
on standard error when it is a terminal of its own; a census shows it on a shared terminal too,
until its first line.

Exit status: 0 done, 1 a file could not be written (or a self-test check does not hold), 2 bad
input or an answer too large to hold, 130 interrupted.

Examples:
  dorvanix-cli fibers 3 2 3
  dorvanix-cli fibers 7 2 3 --multiplicities 6 --save
  dorvanix-cli subdivisors '((3,2),2,2,2)' --ell 2 --all-types
  dorvanix-cli subdivisors '(5;(4,3,2,1),(3,1),(3,1))' --count
  dorvanix-cli quorbel '(3;(2,1),(2,1),(2,1))' '(2;(2),(1),(1)):: ell = 1 :: type = CAA'
  dorvanix-cli analyze '(5;(4,3,2,1),(3,1),(3,1))' '(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB'
  dorvanix-cli picture '((3,2),2,2,2)' '(2;(2),(1),(1))' --ticks 30 --output fly.svg
  dorvanix-cli census --genus 2
  dorvanix-cli graph '((3,2),2,2,2)' --format dot
  dorvanix-cli lookup 2.5.2.4-4-2
  dorvanix-cli census --genus 2..10 --format sqlite --output census.sqlite
  dorvanix-cli selftest
)";

// The list of subcommands in --help gives each the first line of its description, so that the
// list fits a screen; the lines after it (the census's, lookup's and the self-test's long texts)
// are shown by the subcommand's own --help, a paragraph below the first line broken into lines
// of at most kWidth characters, and so reach the manual page.
class SubcommandListFormatter : public CLI::Formatter {
  public:
    static constexpr std::size_t kWidth = 100;

    std::string make_description(const CLI::App* app) const override {
        const std::string text = CLI::Formatter::make_description(app);
        const std::size_t first = text.find('\n');
        if (first + 1 >= text.size()) return text;
        std::string out = text.substr(0, first + 1) + '\n';
        std::size_t lineStart = out.size();
        std::istringstream words(text.substr(first + 1));
        for (std::string word; words >> word;) {
            if (out.size() > lineStart && out.size() - lineStart + 1 + word.size() > kWidth) {
                out += '\n';
                lineStart = out.size();
            } else if (out.size() > lineStart) {
                out += ' ';
            }
            out += word;
        }
        return out + "\n\n";
    }

    std::string make_subcommand(const CLI::App* sub) const override {
        const std::string& description = sub->get_description();
        std::ostringstream out;
        CLI::detail::format_help(out, sub->get_display_name(true),
                                 description.substr(0, description.find('\n')), column_width_);
        return out.str();
    }
};

void buildApp(CLI::App& app, CommandContext& context) {
    app.require_subcommand(1);
    app.formatter(std::make_shared<SubcommandListFormatter>());
    app.set_version_flag("--version", "dorvanix-cli " DORVANIX_VERSION);
    app.footer(kFooter);
    addFibersCommand(app, context);
    addSubdivisorsCommand(app, context);
    addQuorbelCommand(app, context);
    addAnalyzeCommand(app, context);
    addPictureCommand(app, context);
    addCensusCommand(app, context);
    addGraphCommand(app, context);
    addLookupCommand(app, context);
    addSelfTestCommand(app, context);
}

// The tool's own messages, and CLI11's, made into one line.
std::string oneLine(std::string message) {
    for (char& ch : message) {
        if (ch == '\n' || ch == '\r') ch = ' ';
    }
    while (!message.empty() && message.back() == ' ') message.pop_back();
    return message;
}

// CLI11's messages hold typed text raw and whole (a value given to a flag, say): every byte that
// is not printable is written \xNN, and the message is cut after kLongestMessage characters.
std::string escapedMessage(std::string_view message) {
    constexpr std::size_t kLongestMessage = 200;
    const std::string quoted = quoteInput(message.substr(0, kLongestMessage));
    std::string text = quoted.substr(1, quoted.size() - 2);  // without quoteInput's quotes
    if (message.size() > kLongestMessage) text += "...";
    return text;
}

// The arguments CLI11 found no place for, named as the tool names typed text: quoted, escaped and
// shortened, the first few of them and how many more.
std::string unexpectedArguments(const CLI::App& app, std::string_view fallback) {
    constexpr std::size_t kNamed = 3;
    const std::vector<std::string> extras = app.remaining(true);
    if (extras.empty()) return escapedMessage(fallback);
    std::string message = extras.size() == 1 ? "unexpected argument" : "unexpected arguments";
    for (std::size_t i = 0; i < extras.size() && i < kNamed; ++i) {
        message += " " + quoteInput(extras[i]);
    }
    if (extras.size() > kNamed)
        message += " and " + std::to_string(extras.size() - kNamed) + " more";
    return message;
}

// The first word, quoted, when it is meant as a command but names none; empty otherwise.
std::string unknownCommand(CLI::App& app, const std::vector<std::string>& args) {
    if (args.empty() || args.front().empty() || args.front().front() == '-') return {};
    try {
        app.get_subcommand(args.front());
        return {};
    } catch (const CLI::OptionNotFound&) {
        return quoteInput(args.front());
    }
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           std::istream* in) {
    CommandContext context{out, err, writesToTerminal(err), writesToTerminal(out), in};
    context.commandLine = "dorvanix-cli";
    for (const std::string& arg : args) {
        const bool plain =
            !arg.empty() && arg.find_first_not_of(
                                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                "0123456789-_.,/=:+") == std::string::npos;
        context.commandLine += plain ? " " + arg : " " + quoteInput(arg);
    }
    CLI::App app("Dorvanix: star-shaped singular fibers, their sub-divisors and polynomial files",
                 "dorvanix-cli");
    buildApp(app, context);
    if (const std::string unknown = unknownCommand(app, args); !unknown.empty()) {
        err << "dorvanix-cli: unknown command " << unknown << " (see dorvanix-cli --help)\n";
        return kBadInput;
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
        out.flush();
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return kDone;
    } catch (const CLI::CallForAllHelp&) {
        out << app.help("", CLI::AppFormatMode::All);
        return kDone;
    } catch (const CLI::CallForVersion& version) {
        out << version.what() << '\n';
        return kDone;
    } catch (const CLI::ExtrasError& error) {
        err << "dorvanix-cli: " << unexpectedArguments(app, error.what())
            << " (see dorvanix-cli --help)\n";
        return kBadInput;
    } catch (const CLI::ParseError& error) {
        err << "dorvanix-cli: " << escapedMessage(oneLine(error.what()))
            << " (see dorvanix-cli --help)\n";
        return kBadInput;
    } catch (const InputError& error) {
        err << "dorvanix-cli: " << oneLine(error.what()) << '\n';
        return kBadInput;
    } catch (const FileWriteError& error) {
        err << "dorvanix-cli: " << oneLine(error.what()) << '\n';
        return kWriteFailed;
    } catch (const PoolExhausted& error) {
        err << "dorvanix-cli: " << error.what() << '\n';
        return kBadInput;
    } catch (const std::bad_alloc&) {
        err << "dorvanix-cli: not enough memory for this input\n";
        return kBadInput;
    } catch (const std::exception& error) {
        err << "dorvanix-cli: " << oneLine(error.what()) << '\n';
        return kBadInput;
    }
    return context.exitStatus != 0 ? context.exitStatus : kDone;
}

}  // namespace dorvanix::cli
