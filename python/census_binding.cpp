#include <sstream>

#include "analysis/analysis_dual_graph.h"
#include "analysis/census_statistics.h"
#include "bindings.h"
#include "census/genus_census.h"
#include "files/analysis_records.h"
#include "files/fiber_lookup.h"
#include "files/graph_formats.h"
#include "interruptible_wait.h"
#include "model/dual_graph.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// One fiber of the census as the worker hands it over.
struct CensusRecord {
    int m = 0;
    int r = 0;
    std::vector<int> parts;
    long long simpleCrusts = 0;
};

py::object graphDict(const DualGraph& graph) {
    return jsonObject(dualGraphJson(graph));
}

// The fiber and its intersection matrix, for a notebook's LaTeX output.
std::string fiberLatex(const FiberObject& x) {
    const std::vector<std::vector<int>> matrix = intersectionMatrix(fiberDualGraph(*x.data));
    std::ostringstream out;
    out << "$X = " << x.notation() << ",\\ g = " << x.genus() << ",\\quad (E_i\\cdot E_j) = "
        << "\\left(\\begin{smallmatrix}";
    for (std::size_t i = 0; i < matrix.size(); ++i) {
        for (std::size_t j = 0; j < matrix[i].size(); ++j)
            out << (j == 0 ? "" : "&") << matrix[i][j];
        out << (i + 1 == matrix.size() ? "" : "\\\\");
    }
    out << "\\end{smallmatrix}\\right)$";
    return out.str();
}

std::string countLatex(int value) {
    return value < 0 ? "\\text{none}" : std::to_string(value);
}

}  // namespace

// The census walk recurses once per branch, at most 2 genus + 2 of them, and its crust counts
// run on threads of their own: a megabyte is far more than the walk needs.
constexpr std::size_t kCensusStack = std::size_t{1} << 20;

// The lazy census of `dorvanix.census`.
class CensusIterator {
  public:
    CensusIterator(int genus, int threads)
        : stream_(
              [genus, threads](auto& sink, Progress& progress) {
                  censusByGenus(
                      genus,
                      [&](const CensusFiber& fiber) {
                          sink.push([&](CensusRecord& slot) {
                              slot.m = fiber.shape.m;
                              slot.r = fiber.shape.r;
                              slot.parts = fiber.shape.parts;
                              slot.simpleCrusts = fiber.simpleCrusts.clamped();
                          });
                      },
                      &progress, CensusOptions{threads});
              },
              kCensusStack) {}

    std::optional<FiberObject> tryNext() {
        return stream_.next([](const CensusRecord& record) {
            return FiberObject{
                std::make_shared<const FiberData>(fiberFromParts(record.m, record.r, record.parts)),
                record.simpleCrusts};
        });
    }
    void close() { stream_.stop(); }

  private:
    ItemStream<CensusRecord> stream_;
};

void defineCensus(py::module_& module, FiberClass& fiber, py::class_<AnalysisObject>& analysis) {
    py::class_<CensusIterator> census(
        module, "CensusIterator", "Lazy iterator over the fibers of one genus (dorvanix.census).");
    census.def(
        "__iter__", [](py::object self) { return self; }, "The iterator itself.");
    census.def(
        "__next__",
        [](CensusIterator& self) {
            auto item = self.tryNext();
            if (!item) throw py::stop_iteration();
            return std::move(*item);
        },
        "The next fiber; waits with the GIL released, Ctrl-C stops the census.");
    census.def("close", &CensusIterator::close, "Stops the census.");
    census.def(
        "__enter__", [](py::object self) { return self; }, "The iterator itself.");
    census.def(
        "__exit__", [](CensusIterator& self, const py::args&) { self.close(); },
        "Closes the iterator.");
    module.def(
        "census",
        [](int genus, int threads) {
            if (genus < 1) throw py::value_error("the genus must be at least 1");
            if (threads < 0) throw py::value_error("threads cannot be negative");
            return std::make_unique<CensusIterator>(genus, threads);
        },
        py::kw_only(), py::arg("genus"), py::arg("threads") = 0,
        "Every fiber of the genus over all m, r and b, lazily, ordered by m, then r, then b, and "
        "within one (m, r, b) as dorvanix.fibers lists them. The simple crusts are counted on "
        "`threads` threads (0: one per core); the order does not depend on it.");
    module.def(
        "lookup",
        [](const py::object& form) {
            // A dual graph may come as the dict that Fiber.dual_graph() gives.
            const std::string text =
                py::isinstance<py::str>(form)
                    ? form.cast<std::string>()
                    : py::module_::import("json").attr("dumps")(form).cast<std::string>();
            const FoundFiber found = runInterruptibly<FoundFiber>(
                [&](Progress& progress) { return lookupFiber(text, &progress); });
            return FiberObject{std::make_shared<const FiberData>(found.fiber),
                               found.simpleCrusts.clamped()};
        },
        py::arg("form"),
        "The fiber of the census that `form` names: a label ('2.5.2.4-4-2'), a fiber line "
        "(branches in any order), divisor notation, or a dual graph as Fiber.dual_graph() gives "
        "it (a dict, or its JSON text; vertices in any order, with any ids). Its branches come "
        "largest first, as the census lists them. Raises ValueError with one line saying why "
        "when `form` names no fiber of the census.");
    fiber.def(
        "dual_graph", [](const FiberObject& x) { return graphDict(fiberDualGraph(*x.data)); },
        "The dual graph as a dict: 'vertices' (dicts of id, multiplicity, self_intersection, "
        "genus, kind) and 'edges' (pairs of ids); the core is vertex 0.");
    fiber.def(
        "intersection_matrix",
        [](const FiberObject& x) { return intersectionMatrix(fiberDualGraph(*x.data)); },
        "The intersection matrix of the curves, in the order of dual_graph()['vertices'].");
    fiber.def(
        "analysis_table",
        [](const FiberObject& x) {
            std::shared_ptr<const FiberData> data = x.data;
            const AnalysisTable table = runInterruptibly<AnalysisTable>(
                [&](Progress& progress) { return analysisTable(*data, &progress); });
            return jsonObject(analysisTableJson(table).dump());
        },
        "How many listed sub-divisors (the default listing) have each (N, d, h): dicts of "
        "chain_count, gcd, joining_curve_genus and count, ordered by (N, d, h), as the rows of "
        "'analysis_table' in `dorvanix-cli census --analyze --jsonl`.");
    fiber.def("_repr_latex_", &fiberLatex, "The fiber and its intersection matrix in LaTeX.");
    analysis.def(
        "dual_graph",
        [](const AnalysisObject& a) {
            DualGraph graph;
            {
                py::gil_scoped_release release;
                graph = analysisDualGraph(*a.fiber, a.subdivisor.line);
            }
            return graphDict(graph);
        },
        "The dual graph of the analysis divisor R with its joining curve (kind "
        "'joining_curve', genus h); self-intersections are None.");
    analysis.def(
        "_repr_latex_",
        [](const AnalysisObject& a) {
            const AnalysisFigures& f = a.figures;
            return "$N = " + countLatex(f.chainCount) + ",\\ d = " + countLatex(f.gcd) +
                   ",\\ h = " + std::to_string(f.joiningCurveGenus) + "$";
        },
        "N, d and h in LaTeX.");
}

}  // namespace dorvanix::python
