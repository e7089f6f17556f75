#include "oracle/exhaustive_subdivisors.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

// Read from the rules of the listing alone: nothing here calls the census stage, so that a fault
// in its chain walk, its type letters or its filters shows up as a difference.
namespace dorvanix::oracle {

namespace {

constexpr std::uint64_t kPollInterval = 1 << 14;

// One branch of X by its multiplicities: m(0) = m, m(1) ... m(L), and 0 beyond.
struct Branch {
    std::vector<long long> mult;

    long long at(std::size_t j) const { return j < mult.size() ? mult[j] : 0; }
    // The chain coefficient e(j) = (m(j-1) + m(j+1)) div m(j), 0 where m(j) = 0.
    long long e(std::size_t j) const { return at(j) == 0 ? 0 : (at(j - 1) + at(j + 1)) / at(j); }
};

// Where Y's chain n(0) = k, n(1) = y stops on a branch: n = n(t), p = n(t-1), e = e(t),
// mu = m(t), muNext = m(t+1), and the branch's text "(y,n(2),...,n(t))".
struct ChainEnd {
    long long n, p, e, mu, muNext;
    std::string text;
};

ChainEnd follow(const Branch& branch, long long k, long long y) {
    ChainEnd end{y, k, 0, 0, 0, y > 0 ? "(" + std::to_string(y) : "("};
    std::size_t j = 1;
    for (;; ++j) {
        const long long next = branch.e(j) * end.n - end.p;
        if (next <= 0 || next > branch.at(j + 1)) break;
        end.text += "," + std::to_string(next);
        end.p = end.n;
        end.n = next;
    }
    end.e = branch.e(j);
    end.mu = branch.at(j);
    end.muNext = branch.at(j + 1);
    end.text += ')';
    return end;
}

// The first rule that holds gives the letter; with y > 0 the chain's last value n is positive.
char letter(long long y, const ChainEnd& c, long long ell) {
    if (y == 0) return '0';
    if (c.p >= c.e * c.n) return 'A';
    if (c.n == c.mu && c.mu == ell) return 'B';
    const long long d = std::llabs((c.e - 1) * c.n - c.muNext - c.p + c.mu);
    if (c.p % c.n == 0 && d != 0 && ell % d == 0) return 'C';
    return '?';
}

// Visits every vector of the odometer for every k and hands each admitted vector that passes the
// options to `onHit`(k, ys, ell, types, ends). Answers false when stopped.
template <typename OnHit>
bool walkSubdivisors(const FiberData& x, const SubdivisorOptions& options, Progress* progress,
                     OnHit&& onHit) {
    const std::size_t b = x.chains.size();
    std::vector<Branch> branches;
    for (const auto& chain : x.chains) {
        branches.push_back({{x.m}});
        branches.back().mult.insert(branches.back().mult.end(), chain.begin(), chain.end());
    }
    std::vector<int> ys(b, 0);
    std::vector<std::vector<ChainEnd>> ends(b);
    std::string types(b, '0');
    std::uint64_t visits = 0;
    for (int k = x.m - 1; k >= 1 && b > 0; --k) {
        for (std::size_t i = 0; i < b; ++i) {
            ends[i].clear();
            for (long long y = 0; y <= std::min<long long>(branches[i].at(1), k); ++y) {
                ends[i].push_back(follow(branches[i], k, y));
            }
        }
        std::fill(ys.begin(), ys.end(), 0);
        while (true) {
            if (++visits % kPollInterval == 0 && stopRequested(progress)) return false;
            if (std::accumulate(ys.begin(), ys.end(), 0LL) >= static_cast<long long>(k) * x.r) {
                long long ell = k;
                for (int y : ys) ell = std::gcd(ell, static_cast<long long>(y));
                for (std::size_t i = 0; i < b; ++i) types[i] = letter(ys[i], ends[i][ys[i]], ell);
                if (passesOptions(options, ell, types)) onHit(k, ys, ell, types, ends);
            }
            std::size_t i = 0;  // the odometer: the first branch turns fastest
            while (i < b && ++ys[i] == static_cast<int>(ends[i].size())) ys[i++] = 0;
            if (i == b) break;
        }
        if (progress != nullptr) {
            progress->setFraction(static_cast<double>(x.m - k) / std::max(1, x.m - 1));
        }
    }
    return true;
}

}  // namespace

bool passesOptions(const SubdivisorOptions& options, long long ell, std::string_view types) {
    if (options.ellFilter > 0 && ell != options.ellFilter) return false;
    if (options.ellFilter < 0 && ell == -static_cast<long long>(options.ellFilter)) return false;
    if (options.exceptOnlyAB && types.find_first_not_of("AB0") == std::string_view::npos)
        return false;
    return !options.onlyABC || types.find('?') == std::string_view::npos;
}

bool listSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                     const SubdivisorSink& sink, Progress* progress) {
    std::string line;
    return walkSubdivisors(
        x, options, progress,
        [&](int k, const auto& ys, long long ell, const auto& types, const auto& ends) {
            line = "(" + std::to_string(k) + ";";
            for (std::size_t i = 0; i < ys.size(); ++i) {
                line += (i > 0 ? "," : "") + ends[i][ys[i]].text;
            }
            line += "):: ell = " + std::to_string(ell) + " :: type = " + types;
            sink(Subdivisor{k, ys, ell, types, line});
            if (progress != nullptr) progress->addResults(1);
        });
}

std::vector<std::string> subdivisorLines(const FiberData& x, const SubdivisorOptions& options) {
    std::vector<std::string> lines;
    oracle::listSubdivisors(x, options, [&](const Subdivisor& y) { lines.emplace_back(y.line); });
    return lines;
}

long long countSubdivisors(const FiberData& x, const SubdivisorOptions& options,
                           Progress* progress) {
    long long count = 0;
    const bool done =
        walkSubdivisors(x, options, progress,
                        [&](int, const auto&, long long, const auto&, const auto&) { ++count; });
    return done ? count : -1;
}

long long countSimpleCrusts(const FiberData& x, Progress* progress) {
    return oracle::countSubdivisors(x, SubdivisorOptions{0, false, true}, progress);
}

}  // namespace dorvanix::oracle
