#pragma once

#include <QString>

namespace dorvanix {

class AppContext;
class MainWindow;

// Walks through one run (m = 3, r = 2, b = 3, the first fiber, one selected sub-divisor) and
// saves a picture of every window into `folder`, named after the window's number; for checking
// captions and layout on a real display. Answers the number of pictures written.
int takeScreenshots(AppContext& context, MainWindow& mainWindow, const QString& folder);

}  // namespace dorvanix
