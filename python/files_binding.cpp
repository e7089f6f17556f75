#include <pybind11/stl/filesystem.h>

#include <optional>
#include <sstream>
#include <string>

#include "bindings.h"
#include "files/atomic_file.h"
#include "files/list_files.h"
#include "files/quorbel_file.h"
#include "interruptible_wait.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// The lines of a fiber list file gathered with the GIL held, a block at a time.
constexpr std::size_t kFiberListBlock = std::size_t{1} << 16;

// The fiber list file of the given fibers, one entry each, as `dorvanix-cli fibers --output`
// writes it; complete or absent, also when reading `fibers` is interrupted. The file is opened
// and written with the GIL released, so that a FIFO nobody reads, or a full pipe, holds up only
// this call, and Ctrl-C stops it there too.
void writeFiberList(const std::filesystem::path& path, const py::iterable& fibers) {
    bool interrupted = false;
    const AtomicFile::StillWaiting stillWaiting = [&interrupted] {
        py::gil_scoped_acquire acquire;
        interrupted = interrupted || PyErr_CheckSignals() != 0;
        return !interrupted;
    };
    std::optional<AtomicFile> file;
    try {
        py::gil_scoped_release release;
        file.emplace(path, stillWaiting);
    } catch (const Cancelled&) {
        throw py::error_already_set();
    }
    const auto writeOut = [&](std::string& block) {
        {
            py::gil_scoped_release release;
            file->stream() << block;
        }
        block.clear();
        if (interrupted) throw py::error_already_set();
    };
    std::ostringstream lines;
    std::string block;
    std::size_t written = 0;
    for (const py::handle item : fibers) {
        // A source that is always ahead (the fiber list) never makes this loop wait, so Ctrl-C
        // is looked for here as well.
        if (++written % 64 == 0 && PyErr_CheckSignals() != 0) throw py::error_already_set();
        if (!py::isinstance<FiberObject>(item)) {
            throw py::type_error("write_fiber_list takes Fiber objects, not " +
                                 std::string(py::str(py::type::of(item).attr("__name__"))));
        }
        lines.str({});
        writeFiberListLine(lines, item.cast<FiberObject&>().listLine());
        block += lines.str();
        if (block.size() >= kFiberListBlock) writeOut(block);
        // A file that stopped taking lines ends the work; the commit reports why.
        if (!file->stream()) break;
    }
    if (file->stream()) writeOut(block);
    try {
        py::gil_scoped_release release;
        file->commit();
    } catch (const FileWriteError&) {
        // Ctrl-C while the last lines waited for room.
        if (interrupted) throw py::error_already_set();
        throw;
    }
}

void writeSubdivisorList(const FiberObject& fiber, const std::filesystem::path& path, int ell,
                         bool exceptOnlyAB, bool allTypes) {
    const SubdivisorOptions options = listingOptions(ell, exceptOnlyAB, allTypes);
    const std::shared_ptr<const FiberData> data = fiber.data;
    // Interrupted, the worker drops its unfinished file; an earlier file stays as it was.
    runInterruptibly<bool>([&](Progress& progress) {
        AtomicFile file(path);
        // Stopped with the file still taking lines: interrupted. A file that failed is
        // committed all the same, so that the failure is raised.
        const bool done = dorvanix::writeSubdivisorList(file.stream(), *data, options, &progress);
        if (!done && file.stream()) return false;
        file.commit();
        return true;
    });
}

std::string quorbelText(const FiberObject& fiber, const SubdivisorObject& y) {
    return quorbelFileText(quorbelInputOf(*fiber.data, subdivisorOf(fiber, y)));
}

void writeQuorbel(const FiberObject& fiber, const std::filesystem::path& path,
                  const SubdivisorObject& y) {
    const std::string text = quorbelText(fiber, y);
    py::gil_scoped_release release;
    writeFileAtomically(path, text);
}

}  // namespace

void defineFiles(py::module_& module, FiberClass& fiber) {
    module.def(
        "write_fiber_list", &writeFiberList, py::arg("path"), py::arg("fibers"),
        R"doc(Writes a fiber list file byte for byte as ``dorvanix-cli fibers --output`` does.

The file is complete or absent: an earlier file survives any failure or Ctrl-C. Waiting for a
FIFO's reader or for room in a pipe, it holds no other Python thread up and stops on Ctrl-C.

Args:
    path: the file to write.
    fibers: any iterable of Fiber, such as dorvanix.fibers(...).

Raises:
    OSError: when the file cannot be written (with its errno, ENOSPC for a full disk).
    KeyboardInterrupt: on Ctrl-C, which leaves no file.

Example:
    >>> import os, tempfile
    >>> folder = tempfile.TemporaryDirectory()  # removed with its files when dropped
    >>> path = os.path.join(folder.name, dorvanix.fiber_list_file_name(5, 2, 3))
    >>> dorvanix.write_fiber_list(path, dorvanix.fibers(5, 2, 3))
    >>> open(path, "rb").read()
    b'((5,2),4,4,2) : 22 (g=2)\n\r((5,2),4,3,3) : 18 (g=2)\n\r'
)doc");
    fiber.def("write_subdivisor_list", &writeSubdivisorList, py::arg("path"), py::kw_only(),
              py::arg("ell") = 0, py::arg("except_only_ab") = false, py::arg("all_types") = false,
              R"doc(Writes the sub-divisor list file as ``dorvanix-cli subdivisors --output`` does.

Header lines with the fiber and the options, then the lines (or NONE), complete or absent.

Args:
    path: the file to write.
    ell: as for subdivisors().
    except_only_ab: as for subdivisors().
    all_types: as for subdivisors().

Raises:
    OSError: when the file cannot be written.
    ValueError: for abs(ell) above 100.

Example:
    >>> import os, tempfile
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> folder = tempfile.TemporaryDirectory()  # removed with its files when dropped
    >>> path = os.path.join(folder.name, x.subdivisor_list_file_name)
    >>> x.write_subdivisor_list(path, ell=3)
    >>> open(path, "rb").read().splitlines()[4]
    b'******Subdivisors of ell= 3******'
)doc");
    fiber.def(
        "quorbel", &quorbelText, py::arg("subdivisor"),
        R"doc(The polynomial file for the Quorbel program, as ``dorvanix-cli quorbel`` prints it.

Args:
    subdivisor: a Subdivisor of this fiber.

Returns:
    str: six lines ending in CR LF.

Raises:
    ValueError: when the sub-divisor is not this fiber's.

Example:
    >>> x = dorvanix.Fiber("((3,2),2,2,2)")
    >>> x.quorbel(dorvanix.Subdivisor(x, "(2;(2),(1),(1))")).splitlines()[1]
    'x*(1-y)*(x^2*y^2*(1-y)-3)-2'
)doc");
    fiber.def("write_quorbel", &writeQuorbel, py::arg("path"), py::arg("subdivisor"),
              R"doc(Writes the polynomial file (quorbel()), complete or absent.

Args:
    path: the file to write.
    subdivisor: a Subdivisor of this fiber.

Raises:
    OSError: when the file cannot be written.
    ValueError: when the sub-divisor is not this fiber's.

Example:
    >>> import os, tempfile
    >>> x = dorvanix.Fiber("((3,2),2,2,2)")
    >>> y = dorvanix.Subdivisor(x, "(2;(2),(1),(1))")
    >>> folder = tempfile.TemporaryDirectory()  # removed with its files when dropped
    >>> path = os.path.join(folder.name, x.quorbel_file_name(y))
    >>> x.write_quorbel(path, y)
    >>> open(path, "rb").read() == x.quorbel(y).encode()
    True
)doc");
    module.def("fiber_list_file_name", &fiberListFileName, py::arg("m"), py::arg("r"), py::arg("b"),
               R"doc(The default name of the fiber list file of m, r, b.

Args:
    m: multiplicity of the core.
    r: the core's self-intersection is -r.
    b: number of branches.

Returns:
    str: m with two digits, r and b.

Example:
    >>> dorvanix.fiber_list_file_name(3, 2, 3)
    '03-2-3.doc'
)doc");
    fiber.def_property_readonly(
        "subdivisor_list_file_name",
        [](const FiberObject& x) { return subdivisorListFileName(x.notation()); },
        "Default name of the sub-divisor list file: 'X3-2-2-2.doc'.");
    fiber.def(
        "quorbel_file_name",
        [](const FiberObject& x, const SubdivisorObject& y) {
            return polynomialFileName(x.notation(), subdivisorOf(x, y).line);
        },
        py::arg("subdivisor"),
        R"doc(The default name of the polynomial file of this fiber and a sub-divisor.

Args:
    subdivisor: a Subdivisor of this fiber.

Returns:
    str: the numbers of X, '-', and the numbers of Y, then '.qpf'.

Raises:
    ValueError: when the sub-divisor is not this fiber's.

Example:
    >>> x = dorvanix.Fiber("((3,2),2,2,2)")
    >>> x.quorbel_file_name(dorvanix.Subdivisor(x, "(2;(2),(1),(1))"))
    '3222-2211.qpf'
)doc");
}

}  // namespace dorvanix::python
