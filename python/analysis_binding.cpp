#include "analysis/subdivisor_choice.h"
#include "analysis_object.h"
#include "bindings.h"
#include "files/analysis_records.h"
#include "interruptible_wait.h"

namespace dorvanix::python {

namespace py = pybind11;

namespace {

// -1 stands for "none" in the core (ended by a proportional branch); Python says None.
py::object definedOrNone(int value) {
    return value < 0 ? py::none() : py::object(py::int_(value));
}

template <typename Number>
py::object optionalOrNone(const std::optional<Number>& value) {
    return value ? py::object(py::int_(*value)) : py::object(py::none());
}

// A figure as Python shows it: None for one that is not there (-1 or empty in the core).
std::string figureText(std::optional<int> value) {
    return value && *value >= 0 ? std::to_string(*value) : "None";
}

py::object analysisDict(const AnalysisObject& analysis) {
    return jsonObject(analysisJson(analysis.figures, analysis.subdivisor.line).dump());
}

AnalysisObject analyze(const FiberObject& fiber, const SubdivisorObject& y) {
    SubdivisorLine line = subdivisorOf(fiber, y);
    std::shared_ptr<const FiberData> data = fiber.data;
    AnalysisFigures figures = runInterruptibly<AnalysisFigures>(
        [&](Progress& progress) { return analysisFigures(*data, line, &progress); });
    return AnalysisObject{std::move(data), std::move(line), std::move(figures)};
}

template <typename Getter>
void figure(py::class_<AnalysisObject>& analysis, const char* name, Getter get, const char* doc) {
    analysis.def_property_readonly(
        name, [get](const AnalysisObject& a) { return get(a.figures); }, doc);
}

}  // namespace

void defineAnalysis(py::class_<AnalysisObject>& analysis, FiberClass& fiber) {
    fiber.def("analyze", &analyze, py::arg("subdivisor"),
              R"doc(Analyses a sub-divisor as Select does in the desktop program.

Builds the analysis divisor R (X with Y taken off, the stubs joined into the joining curve J)
and the chain diagram, and gives their figures, as ``dorvanix-cli analyze`` does.

Args:
    subdivisor: a Subdivisor of this fiber.

Returns:
    Analysis: N, d, h and the other figures.

Raises:
    ValueError: when the sub-divisor is not this fiber's, or the chain diagram would hold more
        than a million nodes.
    KeyboardInterrupt: on Ctrl-C, which stops the analysis.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> a = x.analyze(dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))"))
    >>> a.chain_count, a.gcd, a.joining_curve_genus
    (3, 1, 1)
)doc");
    figure(
        analysis, "chain_count",
        [](const AnalysisFigures& f) { return definedOrNone(f.chainCount); },
        "N, the number of chains of the chain diagram; None when a branch of Y is "
        "proportional to X's.");
    figure(
        analysis, "gcd", [](const AnalysisFigures& f) { return definedOrNone(f.gcd); },
        "d = gcd(m, mY div ell); None when a branch of Y is proportional to X's.");
    figure(
        analysis, "joining_curve_genus",
        [](const AnalysisFigures& f) { return optionalOrNone(f.joiningCurveGenus); },
        "h, the genus of the joining curve J; None where the count (d N - (a + chi(X) - "
        "chi(R))) / 2 is no genus of J (joining_curve_genus_note says why).");
    figure(
        analysis, "genus_numerator",
        [](const AnalysisFigures& f) { return optionalOrNone(f.genusNumerator); },
        "d N - (a + chi(X) - chi(R)), the numerator of the count of h; None when a branch of Y "
        "is proportional to X's.");
    figure(
        analysis, "joining_curve_genus_note",
        [](const AnalysisFigures& f) {
            return f.genusNote.empty() ? py::object(py::none()) : py::object(py::str(f.genusNote));
        },
        "Why there is no genus h (None where there is one).");
    figure(
        analysis, "core_branches", [](const AnalysisFigures& f) { return f.coreBranches; },
        "kc, the new branches of the core.");
    figure(
        analysis, "stub_count", [](const AnalysisFigures& f) { return f.stubCount; },
        "Number of stubs that J replaces.");
    figure(
        analysis, "inserted_count", [](const AnalysisFigures& f) { return f.insertedCount; },
        "a, the nodes inserted on branches of type A.");
    figure(
        analysis, "support_euler_x", [](const AnalysisFigures& f) { return f.supportEulerX; },
        "Euler number of the support of X.");
    figure(
        analysis, "support_euler_r", [](const AnalysisFigures& f) { return f.supportEulerR; },
        "Euler number of the support of the analysis divisor.");
    figure(
        analysis, "proportional_branch",
        [](const AnalysisFigures& f) { return f.proportionalBranch; },
        "True when a branch of Y is proportional to X's, which ends the analysis early.");
    figure(
        analysis, "nodes",
        [](const AnalysisFigures& f) { return jsonObject(analysisNodesJson(f).dump()); },
        "The nodes of the analysis divisor from its root by the child rule, depth first: "
        "dicts of id (the position in this list), parent (its id, None for the root), depth, "
        "serial, multiplicity, in_r (a curve of R), self_intersection (None where it is no whole "
        "number or the node no curve of R), neighbours_in_r (the ids of the curves of R it "
        "meets), and what the drawing keeps: drawing_points, genus_chain and "
        "joining_curve_points.");
    figure(
        analysis, "chains",
        [](const AnalysisFigures& f) { return jsonObject(analysisChainsJson(f).dump()); },
        "The chains of the chain diagram, each a list of dicts of multiplicity and flagged.");
    analysis.def_property_readonly(
        "subdivisor",
        [](const AnalysisObject& a) {
            return SubdivisorObject{a.fiber, a.subdivisor};
        },
        "The sub-divisor analysed.");
    analysis.def_property_readonly(
        "fiber",
        [](const AnalysisObject& a) {
            return FiberObject{a.fiber, std::nullopt};
        },
        "The fiber the sub-divisor belongs to.");
    analysis.def(
        "to_dict", &analysisDict,
        R"doc(Every figure as a dict of plain values: the record of ``dorvanix-cli analyze --json``.

Returns:
    dict: subdivisor (its line), chain_count, gcd, genus_numerator, joining_curve_genus,
    joining_curve_genus_note, core_branches, stub_count, inserted_count, support_euler_x,
    support_euler_r, proportional_branch, nodes and chains.

Example:
    >>> x = dorvanix.Fiber("((5,2),4,3,3)")
    >>> record = x.analyze(dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))")).to_dict()
    >>> record["genus_numerator"], len(record["chains"])
    (2, 3)
)doc");
    analysis.def(
        "__repr__",
        [](const AnalysisObject& a) {
            const AnalysisFigures& f = a.figures;
            return "<Analysis of " + a.subdivisor.line + ": N = " + figureText(f.chainCount) +
                   ", d = " + figureText(f.gcd) + ", h = " + figureText(f.joiningCurveGenus) + ">";
        },
        "The sub-divisor with N, d and h.");
}

}  // namespace dorvanix::python
