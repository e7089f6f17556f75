#include <sstream>

#include "analysis/analysis_dual_graph.h"
#include "analysis/census_statistics.h"
#include "bindings.h"
#include "census/genus_census.h"
#include "files/analysis_records.h"
#include "files/census_records.h"
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

// The rows of census_frame, gathered on a worker thread.
struct FrameRows {
    std::vector<CensusRow> rows;
    std::vector<std::vector<int>> branches;
    std::vector<std::string> tables;  // each fiber's (N, d, h) table as JSON, with analyze
};

FrameRows frameRows(const std::vector<int>& genera, bool analyze, int threads, Progress& progress) {
    FrameRows frame;
    const auto take = [&](const CensusFiber& fiber) {
        frame.rows.push_back(censusRow(fiber));
        frame.branches.push_back(fiber.shape.parts);
    };
    for (int genus : genera) {
        const bool done = analyze ? censusAnalysis(
                                        genus,
                                        [&](const CensusFiber& fiber, const AnalysisTable& table) {
                                            take(fiber);
                                            frame.tables.push_back(analysisTableJson(table).dump());
                                        },
                                        &progress, CensusOptions{threads})
                                  : censusByGenus(genus, take, &progress, CensusOptions{threads});
        if (!done) throw Cancelled();
    }
    return frame;
}

py::object censusFrame(const py::object& genus, bool analyze, int threads) {
    py::module_ pandas;
    try {
        pandas = py::module_::import("pandas");
    } catch (const py::error_already_set& error) {
        if (!error.matches(PyExc_ImportError)) throw;
        throw py::import_error(
            "census_frame needs pandas, which is not installed: install Debian's python3-pandas "
            "(apt install python3-pandas) or pip install pandas");
    }
    std::vector<int> genera;
    if (py::isinstance<py::int_>(genus)) {
        genera.push_back(genus.cast<int>());
    } else {
        for (const py::handle value : genus) genera.push_back(value.cast<int>());
    }
    for (int g : genera) {
        if (g < 1) throw py::value_error("the genus must be at least 1, not " + std::to_string(g));
    }
    if (threads < 0) throw py::value_error("threads cannot be negative");
    const FrameRows frame = runInterruptibly<FrameRows>(
        [&](Progress& progress) { return frameRows(genera, analyze, threads, progress); });
    py::list label, genusColumn, m, r, b, branches, crusts, line, tables;
    for (std::size_t i = 0; i < frame.rows.size(); ++i) {
        const CensusRow& row = frame.rows[i];
        label.append(row.label);
        genusColumn.append(row.genus);
        m.append(row.m);
        r.append(row.r);
        b.append(row.b);
        branches.append(py::tuple(py::cast(frame.branches[i])));
        crusts.append(py::reinterpret_steal<py::object>(
            PyLong_FromString(row.simpleCrusts.c_str(), nullptr, 10)));
        line.append(row.line);
        if (analyze) tables.append(jsonObject(frame.tables[i]));
    }
    py::dict columns;
    columns["label"] = label;
    columns["genus"] = genusColumn;
    columns["m"] = m;
    columns["r"] = r;
    columns["b"] = b;
    columns["branches"] = branches;
    columns["simple_crusts"] = crusts;
    columns["line"] = line;
    if (analyze) columns["analysis_table"] = tables;
    return pandas.attr("DataFrame")(columns);
}

}  // namespace

// The census walk keeps its positions off the stack, whatever the genus, and its crust counts run
// on threads of their own besides this one: a megabyte is far more than they need.
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
    module.def("census_frame", &censusFrame, py::kw_only(), py::arg("genus"),
               py::arg("analyze") = false, py::arg("threads") = 0,
               "The census of a genus, or of each genus in an iterable such as range(2, 11), as a "
               "pandas DataFrame: one fiber a row, in census order, with the columns of "
               "`dorvanix-cli census --format csv` (label, genus, m, r, b, branches as a tuple, "
               "simple_crusts as an exact int, line) and with analyze=True analysis_table, each "
               "fiber's (N, d, h) rows as dicts. Needs pandas (Debian's python3-pandas); raises "
               "ImportError saying so when it is missing.");
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
