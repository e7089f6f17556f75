#pragma once

#include <QTest>

namespace dorvanix::testing {

// How long a test waits for work to end. The wait ends as soon as the work has, so the limit only
// catches work that never ends: a sanitizer build on a machine busy with other builds runs some
// twenty times slower than alone, and an interface test must not fail for that.
inline constexpr int kWorkWaitMs = 120000;

template <typename Done>
bool waitUntil(Done done) {
    return QTest::qWaitFor(done, kWorkWaitMs);
}

}  // namespace dorvanix::testing
