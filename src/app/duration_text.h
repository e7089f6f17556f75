#pragma once

#include <QString>

namespace dorvanix {

// A length of time in words, rounded as a guess is: "40 seconds", "3 minutes", "5 hours",
// "12 days", "4 months", "30 years".
QString durationText(double seconds);

}  // namespace dorvanix
