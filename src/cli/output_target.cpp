#include "cli/output_target.h"

#include <ostream>

#include "files/atomic_file.h"

namespace dorvanix::cli {

void OutputTarget::writeFile(const std::string& defaultName, std::ostream& out,
                             const std::function<void(std::ostream&)>& write) const {
    const std::string path = save ? defaultName : outputPath;
    AtomicFile file(path);
    write(file.stream());
    file.commit();
    if (save) out << path << '\n';
}

std::string checkFileName(const std::string& name) {
    return name.empty() ? "a file name cannot be empty" : std::string();
}

}  // namespace dorvanix::cli
