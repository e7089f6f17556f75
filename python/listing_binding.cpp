#include <string>
#include <vector>

#include "bindings.h"
#include "census/subdivisor_count.h"
#include "census/subdivisor_listing.h"
#include "interruptible_wait.h"
#include "iterator_slot.h"
#include "model/input_check.h"

namespace dorvanix::python {

namespace py = pybind11;

int wholeNumber(const py::handle& value, const std::string& what) {
    PyObject* index = PyNumber_Index(value.ptr());
    if (index == nullptr) throw py::error_already_set();
    const std::string text = py::str(py::reinterpret_steal<py::object>(index));
    return parseInputNumber(text, what);
}

namespace {

int atLeast(const py::handle& value, const char* name, int least) {
    return dorvanix::atLeast(wholeNumber(value, name), name, least);
}

std::array<int, 4> readMultiplicities(const py::handle& values) {
    std::vector<int> required;
    for (const py::handle value : values) {
        required.push_back(wholeNumber(value, "a required multiplicity"));
    }
    return requiredMultiplicities(required);
}

std::unique_ptr<FiberIterator> startFibers(const py::object& m, const py::object& r,
                                           const py::object& b, bool noDuplicates,
                                           const py::object& genus, bool atMostTwoCrusts,
                                           const py::object& multiplicities) {
    const int coreMultiplicity = atLeast(m, "m", kLeastCoreMultiplicity);
    const int selfIntersection = atLeast(r, "r", kLeastSelfIntersection);
    const int branches = atLeast(b, "b", kLeastBranchCount);
    FiberOptions options;
    options.noDuplicateBranches = noDuplicates;
    options.atMostTwoSimpleCrusts = atMostTwoCrusts;
    if (!genus.is_none()) options.requiredGenus = genusRequirement(wholeNumber(genus, "the genus"));
    if (!multiplicities.is_none()) {
        options.multiplicityOption = true;
        options.requiredMultiplicities = readMultiplicities(multiplicities);
    }
    return std::make_unique<FiberIterator>(coreMultiplicity, selfIntersection, branches, options);
}

// The count is exact at any size, so it reaches Python as decimal text read into an int.
py::int_ countLines(const FiberObject& fiber, int ell, bool exceptOnlyAB, bool allTypes) {
    const SubdivisorOptions options = listingOptions(ell, exceptOnlyAB, allTypes);
    const std::shared_ptr<const FiberData> data = fiber.data;
    const SubdivisorTally tally =
        runInterruptibly<SubdivisorTally>([data, options](Progress& progress) {
            return tallySubdivisors(*data, options, &progress);
        });
    return exactInt(tallyText(tally));
}

template <typename Iterator>
void defineIterator(py::class_<Iterator>& iterator) {
    iterator.def(
        "__iter__", [](py::object self) { return self; }, "The iterator itself.");
    iterator.def(
        "__next__",
        [](Iterator& self) {
            auto item = self.tryNext();
            if (!item) throw py::stop_iteration();
            return std::move(*item);
        },
        "The next item; waits with the GIL released, Ctrl-C stops the listing.");
    iterator.def("close", &Iterator::close, R"doc(Stops the listing and frees what it held.

The worker thread is stopped and joined; the iterator is then exhausted. Leaving a ``with``
block or dropping the iterator does the same.

Example:
    >>> listing = dorvanix.fibers(5, 2, 3)
    >>> next(listing).line
    '((5,2),4,4,2) : 22 (g=2)'
    >>> listing.close()
    >>> list(listing)
    []
)doc");
    iterator.def(
        "__enter__", [](py::object self) { return self; }, "The iterator itself.");
    iterator.def(
        "__exit__", [](Iterator& self, const py::args&) { self.close(); }, "Closes the iterator.");
    IteratorSlot<Iterator>::install(iterator);
}

}  // namespace

void defineListings(py::module_& module, FiberClass& fiber, py::class_<FiberIterator>& fibers,
                    py::class_<SubdivisorIterator>& subdivisors) {
    defineIterator(fibers);
    defineIterator(subdivisors);
    module.def("fibers", &startFibers, py::arg("m"), py::arg("r"), py::arg("b"), py::kw_only(),
               py::arg("no_duplicates") = false, py::arg("genus") = py::none(),
               py::arg("at_most_two_crusts") = false, py::arg("multiplicities") = py::none(),
               R"doc(The fibers with core multiplicity m, self-intersection -r and b branches.

The list is computed on a worker thread a few hundred fibers ahead of the reader, never all at
once, in the order of ``dorvanix-cli fibers``; dropping or closing the iterator stops it.

Args:
    m: multiplicity of the core, at least 2.
    r: the core's self-intersection is -r, at least 2.
    b: number of branches, at least 3.
    no_duplicates: no two branches alike.
    genus: only fibers of this genus (below 1 counts as 1); None for every genus.
    at_most_two_crusts: only fibers with at most 2 simple crusts.
    multiplicities: up to 4 required first-branch multiplicities of positions 1 to 4, largest
        first, 0 = any.

Returns:
    FiberIterator: a lazy iterator of Fiber.

Raises:
    ValueError: for m < 2, r < 2, b < 3 or a number above 10000, with the tool's message.

Example:
    >>> [x.line for x in dorvanix.fibers(5, 2, 3)]
    ['((5,2),4,4,2) : 22 (g=2)', '((5,2),4,3,3) : 18 (g=2)']
    >>> [x.label for x in dorvanix.fibers(7, 2, 3, multiplicities=[6])]
    ['3.7.2.6-6-2', '3.7.2.6-5-3', '3.7.2.6-4-4']
)doc");
    fiber.def(
        "subdivisors",
        [](const FiberObject& x, int ell, bool exceptOnlyAB, bool allTypes) {
            return std::make_unique<SubdivisorIterator>(
                x.data, listingOptions(ell, exceptOnlyAB, allTypes));
        },
        py::kw_only(), py::arg("ell") = 0, py::arg("except_only_ab") = false,
        py::arg("all_types") = false,
        R"doc(The sub-divisors Y of this fiber, lazily, in the order of ``dorvanix-cli subdivisors``.

Args:
    ell: 0 for every ell, v > 0 for only ell = v, v < 0 for every ell but -v (abs(v) <= 100).
    except_only_ab: leave out those whose branches are all of type A, B or 0.
    all_types: also list those with a '?' branch.

Returns:
    SubdivisorIterator: a lazy iterator of Subdivisor.

Raises:
    ValueError: for abs(ell) above 100.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> [y.types for y in x.subdivisors(ell=3)]
    ['BB0', 'B0B', '0BB', 'BBB']
)doc");
    fiber.def(
        "count_subdivisors", &countLines, py::kw_only(), py::arg("ell") = 0,
        py::arg("except_only_ab") = false, py::arg("all_types") = false,
        R"doc(The number of sub-divisors subdivisors() would list, counted without listing them.

Args:
    ell: as for subdivisors().
    except_only_ab: as for subdivisors().
    all_types: as for subdivisors().

Returns:
    int: the exact count, at any size.

Raises:
    ValueError: for abs(ell) above 100, or a count that would need a table of more than 2^24
        numbers.
    KeyboardInterrupt: on Ctrl-C, which stops the count.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> x.count_subdivisors(), x.count_subdivisors(all_types=True)
    (18, 44)
)doc");
}

}  // namespace dorvanix::python
