#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace dorvanix::cli {

// Where a command's file goes: `--output FILE`, `--save` (the default name in the current
// folder), or nowhere (the command prints to standard output instead).
struct OutputTarget {
    std::string outputPath;
    bool save = false;

    bool wanted() const { return save || !outputPath.empty(); }

    // Writes the file through `write` atomically, to the chosen path or the default name; with
    // --save the name is printed on `out`. Throws FileWriteError.
    void writeFile(const std::string& defaultName, std::ostream& out,
                   const std::function<void(std::ostream&)>& write) const;
};

// The check of a value given to --output (CLI11's form: empty when it passes). An empty name
// would otherwise pass for no --output at all and print to standard output.
std::string checkFileName(const std::string& name);

}  // namespace dorvanix::cli
