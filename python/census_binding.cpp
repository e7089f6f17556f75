#include <pybind11/stl.h>

#include <algorithm>
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
#include "model/input_check.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// One fiber of the census as the worker hands it over.
struct CensusRecord {
    int m = 0;
    int r = 0;
    std::vector<int> parts;
    std::string simpleCrusts;  // in decimal, exact at any size
};

// The dict of dualGraphJson's text, built directly: a graph of 200 000 curves takes a second or
// more, so Ctrl-C is looked for every few thousand curves.
py::object graphDict(const DualGraph& graph) {
    constexpr std::size_t kCheckEvery = 4096;
    const auto checkSignals = [](std::size_t i) {
        if (i % kCheckEvery == kCheckEvery - 1 && PyErr_CheckSignals() != 0) {
            throw py::error_already_set();
        }
    };
    const auto optional = [](const std::optional<int>& number) -> py::object {
        return number ? py::object(py::int_(*number)) : py::object(py::none());
    };
    py::list vertices(graph.vertices.size());
    for (std::size_t i = 0; i < graph.vertices.size(); ++i) {
        const DualVertex& v = graph.vertices[i];
        py::dict vertex;
        vertex["id"] = v.id;
        vertex["multiplicity"] = v.multiplicity;
        vertex["self_intersection"] = optional(v.selfIntersection);
        vertex["genus"] = optional(v.genus);
        vertex["kind"] = v.kind;
        vertex["note"] = v.note.empty() ? py::object(py::none()) : py::object(py::str(v.note));
        vertices[i] = std::move(vertex);
        checkSignals(i);
    }
    py::list edges(graph.edges.size());
    for (std::size_t i = 0; i < graph.edges.size(); ++i) {
        py::list edge(2);
        edge[0] = graph.edges[i].first;
        edge[1] = graph.edges[i].second;
        edges[i] = std::move(edge);
        checkSignals(i);
    }
    py::dict dict;
    dict["vertices"] = std::move(vertices);
    dict["edges"] = std::move(edges);
    return dict;
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
    // Read as the tool reads --genus and --threads, so that the bounds and the messages agree.
    std::vector<int> genera;
    if (PyIndex_Check(genus.ptr()) != 0) {
        genera.push_back(wholeNumber(genus, "the genus"));
    } else {
        for (const py::handle value : genus) genera.push_back(wholeNumber(value, "the genus"));
    }
    for (int g : genera) {
        if (g < 1) throw py::value_error("the genus must be at least 1, not " + std::to_string(g));
    }
    threads = threadCount(threads, "threads");
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
                              slot.simpleCrusts = tallyText(fiber.simpleCrusts);
                          });
                      },
                      &progress, CensusOptions{threads});
              },
              kWalkStack) {}

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

namespace {

// A block of the census walk as the tool works on it (forEachGenusBlock, one thread: 256 fibers a
// block), to be sent whole to another process or machine.
struct CensusBlock {
    int genus = 0;
    std::vector<CensusShape> shapes;
};

// The blocks of `dorvanix.census_blocks`, lazily, in census order.
class CensusBlockIterator {
  public:
    explicit CensusBlockIterator(int genus)
        : stream_(
              [genus](auto& sink, Progress& progress) {
                  std::vector<CensusShape> block;
                  std::size_t size = 0;
                  forEachGenusBlock(genus,
                                    {[&](std::size_t count) {
                                         block.clear();
                                         size = count;
                                     },
                                     [](const CensusShape&, std::size_t) {},
                                     [&](const CensusShape& shape, std::size_t i) {
                                         block.push_back(shape);
                                         if (i + 1 < size) return;
                                         sink.push([&](CensusBlock& slot) {
                                             slot.genus = genus;
                                             slot.shapes = block;
                                         });
                                     }},
                                    &progress, CensusOptions{1});
              },
              kWalkStack) {}

    std::optional<CensusBlock> tryNext() {
        return stream_.next([](const CensusBlock& block) { return block; });
    }
    void close() { stream_.stop(); }

  private:
    ItemStream<CensusBlock> stream_;
};

// A value of a table row as Fiber.analysis_table() gives it: None for "none".
template <typename Number>
std::optional<Number> rowValue(const py::dict& row, const char* key) {
    const py::object value = row[key];
    if (value.is_none()) return std::nullopt;
    return value.cast<Number>();
}

// Tables of parts of one fiber (lists of the rows of Fiber.analysis_table(part=...)) joined.
AnalysisTable joinedTable(const py::handle& parts) {
    std::vector<AnalysisTable> tables;
    for (const auto& part : parts) {
        AnalysisTable& table = tables.emplace_back();
        for (const auto& item : part) {
            const auto row = item.cast<py::dict>();
            table.push_back({rowValue<int>(row, "chain_count").value_or(-1),
                             rowValue<int>(row, "gcd").value_or(-1),
                             rowValue<long long>(row, "genus_numerator"),
                             rowValue<int>(row, "joining_curve_genus"),
                             row["count"].cast<long long>()});
        }
    }
    return joinTables(tables);
}

// The census --analyze --jsonl lines of a block's fibers, worked out here but for the tables
// given by position in the block.
std::vector<std::string> blockRecords(const CensusBlock& block, int threads,
                                      const std::optional<py::dict>& tables) {
    threads = threadCount(threads, "threads");
    std::vector<std::optional<AnalysisTable>> given(block.shapes.size());
    if (tables) {
        for (const auto& [index, parts] : *tables) {
            const auto i = index.cast<std::size_t>();
            if (i >= given.size()) throw py::index_error("no fiber at that place in the block");
            given[i] = joinedTable(parts);
        }
    }
    return runInterruptibly<std::vector<std::string>>([&](Progress& progress) {
        std::vector<std::string> lines;
        analyseCensusShapes(
            block.genus, block.shapes, given,
            [&](const CensusFiber& fiber, const AnalysisTable& table) {
                lines.push_back(censusAnalysisJsonLine(fiber, table));
            },
            &progress, CensusOptions{threads});
        throwIfCancelled(&progress);
        return lines;
    });
}

// A block sent to another process comes back as plain numbers; it is read again as typed input,
// so that a forged one is refused rather than worked on.
CensusBlock blockFromState(const py::tuple& state) {
    if (state.size() != 2) throw py::value_error("a census block is (genus, fibers)");
    CensusBlock block{state[0].cast<int>(), {}};
    for (const auto& item : state[1].cast<py::list>()) {
        const auto fiber = item.cast<std::tuple<int, int, std::vector<int>>>();
        const FiberData data = parseFiberText(
            fiberLineText(std::get<0>(fiber), std::get<1>(fiber), std::get<2>(fiber)));
        if (fiberGenus(data.m, data.firstMultiplicities()) != block.genus) {
            throw py::value_error("a fiber of a census block of genus " +
                                  std::to_string(block.genus) + " has another genus");
        }
        block.shapes.push_back({data.m, data.r, data.firstMultiplicities()});
    }
    return block;
}

void defineCensusBlocks(py::module_& module) {
    py::class_<CensusBlock> block(
        module, "CensusBlock",
        "A block of fibers of the census walk of one genus, in census order, as "
        "`dorvanix-cli census` works on them; picklable, so that another process or machine "
        "can work on it (examples/dask_census.py).");
    block.def_readonly("genus", &CensusBlock::genus, "The genus of the census.");
    block.def(
        "__len__", [](const CensusBlock& b) { return b.shapes.size(); }, "Its fibers.");
    block.def(
        "analysis_records", &blockRecords, py::kw_only(), py::arg("threads") = 0,
        py::arg("tables") = py::none(),
        R"doc(The lines of ``dorvanix-cli census --genus G --analyze --jsonl`` for the block's fibers.

In order, byte for byte: each fiber with its simple crust count and its table of (N, d, h),
worked out with the GIL released.

Args:
    threads: threads to use (0: one per core, at most 256).
    tables: None, or a dict from a fiber's place in the block to the tables of every part of its
        listing (Fiber.analysis_table(part=...) of each of Fiber.listing_parts()), worked out
        elsewhere and joined here instead of analysing that fiber.

Returns:
    list[str]: one JSON line per fiber.

Raises:
    ValueError: naming the sub-divisor, when one would have a chain diagram of more than a
        million nodes.
    KeyboardInterrupt: on Ctrl-C.

Example:
    >>> block = next(dorvanix.census_blocks(genus=1))
    >>> len(block), block.analysis_records()[0][:24]
    (4, '{"label":"1.2.2.1-1-1-1"')
)doc");
    block.def(
        "fibers",
        [](const CensusBlock& b) {
            py::list fibers;
            for (const CensusShape& shape : b.shapes) {
                fibers.append(FiberObject{std::make_shared<const FiberData>(
                                              fiberFromParts(shape.m, shape.r, shape.parts)),
                                          std::nullopt});
            }
            return fibers;
        },
        R"doc(Its fibers, in census order.

Returns:
    list[Fiber]: the fibers of the block.

Example:
    >>> [x.label for x in next(dorvanix.census_blocks(genus=1)).fibers()]
    ['1.2.2.1-1-1-1', '1.3.2.2-2-2', '1.4.2.3-3-2', '1.6.2.5-4-3']
)doc");
    block.def(py::pickle(
        [](const CensusBlock& b) {
            py::list fibers;
            for (const CensusShape& shape : b.shapes)
                fibers.append(py::make_tuple(shape.m, shape.r, shape.parts));
            return py::make_tuple(b.genus, fibers);
        },
        &blockFromState));
    py::class_<CensusBlockIterator> blocks(module, "CensusBlockIterator",
                                           "Lazy iterator over the blocks of a census walk.");
    blocks.def(
        "__iter__", [](py::object self) { return self; }, "The iterator itself.");
    blocks.def(
        "__next__",
        [](CensusBlockIterator& self) {
            auto item = self.tryNext();
            if (!item) throw py::stop_iteration();
            return std::move(*item);
        },
        "The next block; waits with the GIL released.");
    blocks.def("close", &CensusBlockIterator::close,
               R"doc(Stops the walk; the iterator is then exhausted.

Example:
    >>> blocks = dorvanix.census_blocks(genus=2)
    >>> blocks.close()
    >>> list(blocks)
    []
)doc");
    module.def(
        "census_blocks",
        [](const py::object& genus) {
            // Read as the tool reads --genus, so that the bound and the message agree.
            const int g = wholeNumber(genus, "the genus");
            if (g < 1) throw py::value_error("the genus must be at least 1");
            return std::make_unique<CensusBlockIterator>(g);
        },
        py::kw_only(), py::arg("genus"),
        R"doc(The census of a genus as the blocks the tool works on, lazily and in census order.

Joined in order, their analysis_records() are ``dorvanix-cli census --genus G --analyze
--jsonl``; a block is picklable, so another process or machine can work on it
(examples/dask_census.py).

Args:
    genus: the genus, at least 1.

Returns:
    CensusBlockIterator: a lazy iterator of CensusBlock.

Raises:
    ValueError: for a genus below 1 or above 10000.

Example:
    >>> [len(block) for block in dorvanix.census_blocks(genus=2)]
    [...]
)doc");
}

}  // namespace

void defineCensus(py::module_& module, FiberClass& fiber, py::class_<AnalysisObject>& analysis) {
    defineCensusBlocks(module);
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
    census.def("close", &CensusIterator::close,
               R"doc(Stops the census; the iterator is then exhausted.

Example:
    >>> fibers = dorvanix.census(genus=3)
    >>> next(fibers).label
    '3.2.4.1-1-1-1-1-1-1-1'
    >>> fibers.close()
    >>> list(fibers)
    []
)doc");
    census.def(
        "__enter__", [](py::object self) { return self; }, "The iterator itself.");
    census.def(
        "__exit__", [](CensusIterator& self, const py::args&) { self.close(); },
        "Closes the iterator.");
    module.def(
        "census",
        [](const py::object& genus, int threads) {
            // Read as the tool reads --genus, so that the bound and the message agree.
            const int g = wholeNumber(genus, "the genus");
            if (g < 1) throw py::value_error("the genus must be at least 1");
            return std::make_unique<CensusIterator>(g, threadCount(threads, "threads"));
        },
        py::kw_only(), py::arg("genus"), py::arg("threads") = 0,
        R"doc(Every fiber of a genus, lazily, in the order of ``dorvanix-cli census``.

Over all m >= 2, r >= 2 and b >= 3 (fibers with r = 1 are not listed), ordered by m, then r,
then b, and within one (m, r, b) as dorvanix.fibers lists them.

Args:
    genus: the genus, at least 1.
    threads: threads counting the simple crusts (0: one per core, at most 256); the order does
        not depend on it.

Returns:
    CensusIterator: a lazy iterator of Fiber.

Raises:
    ValueError: for a genus below 1 or above 10000.

Example:
    >>> [x.label for x in dorvanix.census(genus=1)]
    ['1.2.2.1-1-1-1', '1.3.2.2-2-2', '1.4.2.3-3-2', '1.6.2.5-4-3']
)doc");
    module.def("census_frame", &censusFrame, py::kw_only(), py::arg("genus"),
               py::arg("analyze") = false, py::arg("threads") = 0,
               R"doc(The census of a genus as a pandas DataFrame, one fiber a row, in census order.

Args:
    genus: the genus, or an iterable of them such as range(2, 11).
    analyze: add the column analysis_table, each fiber's (N, d, h) rows as dicts.
    threads: threads to use (0: one per core, at most 256).

Returns:
    pandas.DataFrame: the columns of ``dorvanix-cli census --format csv`` (label, genus, m, r,
    b, branches as a tuple, simple_crusts as an exact int, line).

Raises:
    ImportError: saying what to install when pandas (Debian's python3-pandas) is missing.
    ValueError: for a genus below 1 or above 10000.

Example:
    >>> frame = dorvanix.census_frame(genus=1)
    >>> list(frame["label"])
    ['1.2.2.1-1-1-1', '1.3.2.2-2-2', '1.4.2.3-3-2', '1.6.2.5-4-3']
)doc");
    // Text, or a dual graph as the dict that Fiber.dual_graph() gives. Text that is no UTF-8 (a
    // lone surrogate) fits neither and is refused with TypeError, as Fiber() refuses it.
    const auto lookupText = [](std::string_view typed) {
        const std::string text(typed);  // kept while the work runs without the GIL
        const FoundFiber found = runInterruptibly<FoundFiber>(
            [&](Progress& progress) { return lookupFiber(text, &progress); });
        return FiberObject{std::make_shared<const FiberData>(found.fiber),
                           tallyText(found.simpleCrusts)};
    };
    module.def("lookup", lookupText, py::arg("form"));
    module.def(
        "lookup",
        [lookupText](const py::dict& form) {
            return lookupText(py::module_::import("json").attr("dumps")(form).cast<std::string>());
        },
        py::arg("form"),
        R"doc(The fiber of the census that a form names, as ``dorvanix-cli lookup`` finds it.

Args:
    form: a label ('2.5.2.4-4-2'), a fiber line (branches in any order), divisor notation, or a
        dual graph as Fiber.dual_graph() gives it (a dict, or its JSON text of at most 64 MB;
        vertices in any order, with any ids of 32 bits).

Returns:
    Fiber: its branches largest first, as the census lists them.

Raises:
    ValueError: with one line saying why, when the form names no fiber of the census.
    MemoryError: when memory runs out.
    TypeError: for text that is no UTF-8, as Fiber() does.

Example:
    >>> dorvanix.lookup("((5,2),3,4,3)").label
    '2.5.2.4-3-3'
    >>> dorvanix.lookup(dorvanix.Fiber("((6,2),5,4,3)").dual_graph()).line
    '((6,2),5,4,3) : 9 (g=1)'
)doc");
    fiber.def(
        "dual_graph", [](const FiberObject& x) { return graphDict(fiberDualGraph(*x.data)); },
        R"doc(The dual graph of the fiber, as ``dorvanix-cli graph X`` prints it.

Returns:
    dict: 'vertices' (dicts of id, multiplicity, self_intersection, genus, kind, note) and
    'edges' (pairs of ids); the core is vertex 0.

Raises:
    ValueError: past 200000 curves.

Example:
    >>> graph = dorvanix.Fiber("((5,2),4,3,3)").dual_graph()
    >>> graph["vertices"][0]["kind"], len(graph["edges"])
    ('core', 8)
)doc");
    fiber.def(
        "intersection_matrix",
        [](const FiberObject& x) { return intersectionMatrix(fiberDualGraph(*x.data)); },
        R"doc(The intersection matrix of the curves, in the order of dual_graph()['vertices'].

Returns:
    list[list[int]]: the symmetric matrix; the fiber's multiplicities are in its kernel.

Raises:
    ValueError: past 1000 curves.

Example:
    >>> dorvanix.Fiber("((5,2),4,3,3)").intersection_matrix()[0]
    [-2, 1, 0, 0, 0, 1, 0, 1, 0]
)doc");
    fiber.def(
        "listing_parts",
        [](const FiberObject& x, int depth) {
            py::list parts;
            for (const ListingPrefix& part : listingPrefixes(*x.data, depth)) {
                parts.append(py::make_tuple(part.k, py::tuple(py::cast(part.slowest))));
            }
            return parts;
        },
        py::arg("depth"),
        R"doc(The parts of the default listing fixed on its slowest branches, in list order.

For sharing out the analyses of one large fiber: the tables of all its parts
(analysis_table(part=...)) joined are its table; the parts left out hold no sub-divisor.

Args:
    depth: how many of the slowest branches each part fixes.

Returns:
    list[tuple]: each part as (k, values of the last branch, the one before, ...).

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> sum(row["count"] for part in x.listing_parts(1)
    ...     for row in x.analysis_table(part=part)) == sum(row["count"] for row in x.analysis_table())
    True
)doc");
    fiber.def(
        "analysis_table",
        [](const FiberObject& x, const std::optional<std::pair<int, std::vector<int>>>& part) {
            std::shared_ptr<const FiberData> data = x.data;
            if (part && (part->first < 1 || part->first >= data->m ||
                         part->second.size() > data->chains.size() ||
                         std::any_of(part->second.begin(), part->second.end(),
                                     [](int y) { return y < 0; }))) {
                throw py::value_error("not a part of this fiber's listing: see listing_parts()");
            }
            const AnalysisTable table = runInterruptibly<AnalysisTable>([&](Progress& progress) {
                return part ? analysisTable(*data, ListingPrefix{part->first, part->second},
                                            &progress)
                            : analysisTable(*data, &progress);
            });
            return jsonObject(analysisTableJson(table).dump());
        },
        py::kw_only(), py::arg("part") = py::none(),
        R"doc(How many listed sub-divisors (the default listing) have each (N, d, h).

Args:
    part: one of listing_parts(), to count only the sub-divisors of that part; None for all.

Returns:
    list[dict]: chain_count, gcd, genus_numerator, joining_curve_genus (None where the count is
    no genus) and count: the rows of 'analysis_table' in ``dorvanix-cli census --analyze
    --jsonl``.

Raises:
    ValueError: naming the sub-divisor, when one would have a chain diagram of more than a
        million nodes.
    KeyboardInterrupt: on Ctrl-C.

Example:
    >>> dorvanix.Fiber("((5,2),4,3,3)").analysis_table()[0]
    {'chain_count': 1, 'gcd': 1, 'genus_numerator': 0, 'joining_curve_genus': 0, 'count': 9}
)doc");
    fiber.def("_repr_latex_", &fiberLatex, "The fiber and its intersection matrix in LaTeX.");
    analysis.def(
        "dual_graph",
        [](const AnalysisObject& a) {
            const std::shared_ptr<const FiberData> fiber = a.fiber;
            const std::string line = a.subdivisor.line;
            return graphDict(runInterruptibly<DualGraph>(
                [&](Progress& progress) { return analysisDualGraph(*fiber, line, &progress); }));
        },
        R"doc(The dual graph of the analysis divisor R with its joining curve, as ``dorvanix-cli graph X Y``.

Returns:
    dict: as Fiber.dual_graph(); the joining curve has kind 'joining_curve' and genus h, or
    None with a note. Each self-intersection is the one numerical triviality asks, None (with a
    note) where that is no whole number.

Raises:
    KeyboardInterrupt: on Ctrl-C.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> graph = x.analyze(dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))")).dual_graph()
    >>> [v["genus"] for v in graph["vertices"] if v["kind"] == "joining_curve"]
    [1]
)doc");
    analysis.def(
        "_repr_latex_",
        [](const AnalysisObject& a) {
            const AnalysisFigures& f = a.figures;
            return "$N = " + countLatex(f.chainCount) + ",\\ d = " + countLatex(f.gcd) +
                   ",\\ h = " + countLatex(f.joiningCurveGenus.value_or(-1)) + "$";
        },
        "N, d and h in LaTeX.");
}

}  // namespace dorvanix::python
