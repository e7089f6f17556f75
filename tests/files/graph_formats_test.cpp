// The TikZ dual graph goes into a paper as it is: three of them, each \input as a figure of a
// two-column article, compile with pdflatex without an error or an overfull box.
#include "files/graph_formats.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "analysis/analysis_dual_graph.h"
#include "model/dual_graph.h"
#include "model/input_check.h"
#include "support/process_run.h"

namespace dorvanix {
namespace {

using testing::readBytes;
using testing::ScratchFolder;
using testing::writeBytes;

TEST(DualGraphTikz, ThreeGraphsAsFiguresOfATwoColumnPaperCompileWithoutOverfullBoxes) {
    // A curve whose self-intersection is no whole number and J with no genus (two notes), J
    // meeting the core three times, and a star of twelve branches wider than a column.
    const DualGraph noted = analysisDualGraph(parseFiberText("((6,2),4,3,3,2)"),
                                              "(4;(3,2),(3),(1),(1)):: ell = 1 :: type = ??AA");
    const DualGraph thrice =
        analysisDualGraph(parseFiberText("((2,3),1,1,1,1,1,1)"),
                          "(1;(1),(1),(1),(1),(1),(1)):: ell = 1 :: type = BBBBBB");
    const DualGraph star = fiberDualGraph(parseFiberText("((2,6),1,1,1,1,1,1,1,1,1,1,1,1)"));

    const std::string picture = dualGraphTikz(noted);
    EXPECT_EQ(picture.find("\\documentclass"), std::string::npos) << "a picture alone";
    EXPECT_NE(picture.find("% Needs \\usepackage{amsmath} and \\usepackage{tikz}"),
              std::string::npos);
    EXPECT_NE(picture.find("multiplicity over its self-intersection"), std::string::npos);
    EXPECT_NE(picture.find("self-intersection $-\\tfrac{3}{2}$"), std::string::npos) << picture;
    EXPECT_NE(picture.find("$^{2}$ $J$: the formula gives $3$"), std::string::npos) << picture;
    EXPECT_EQ(picture.find("-3/2"), std::string::npos) << "ASCII mathematics";
    EXPECT_EQ(picture.find("curve 2:"), std::string::npos) << "an id the picture does not show";
    EXPECT_EQ(picture.find("cm"), std::string::npos) << "a fixed width";
    EXPECT_EQ(
        dualGraphTikz(noted, LayoutMethod::kGraphviz, {.legend = false}).find("multiplicity over"),
        std::string::npos);
    EXPECT_EQ(dualGraphTikz(star, LayoutMethod::kPlain, {.standalone = true})
                  .rfind("\\documentclass{article}\n", 0),
              0u);

    if (std::system("command -v pdflatex > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "pdflatex is not installed (texlive-latex-base, texlive-pictures)";
    }
    ScratchFolder folder;
    std::string paper =
        "\\documentclass[twocolumn]{article}\n\\usepackage{amsmath}\n\\usepackage{tikz}\n"
        "\\begin{document}\nText beside the figures.\n";
    int n = 0;
    for (const DualGraph* graph : {&noted, &thrice, &star}) {
        const std::string name = "graph" + std::to_string(++n);
        writeBytes(folder / (name + ".tex"), dualGraphTikz(*graph));
        paper += "\\begin{figure}\\centering\\input{" + name + ".tex}\\caption{Graph " +
                 std::to_string(n) + ".}\\end{figure}\n";
    }
    writeBytes(folder / "paper.tex", paper + "\\end{document}\n");
    const std::string command = "cd '" + folder.path().string() +
                                "' && pdflatex -interaction=nonstopmode -halt-on-error paper.tex"
                                " > pdflatex.out 2>&1";
    const int status = std::system(command.c_str());
    const std::string log = readBytes(folder / "paper.log");
    ASSERT_EQ(status, 0) << readBytes(folder / "pdflatex.out");
    EXPECT_EQ(log.find("Overfull"), std::string::npos) << log;
    EXPECT_NE(log.find("Output written on paper.pdf (1 page"), std::string::npos) << log;
}

}  // namespace
}  // namespace dorvanix
