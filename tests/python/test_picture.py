"""Pictures from Python are the SVG dorvanix-cli draws."""

import pytest

import dorvanix
from conftest import run_cli

CASES = [
    # fiber, sub-divisor line or None, ticks
    ("(3;(2,1),(2,1),(2,1))", None, 0),
    ("((5,2),4,3,3)", None, 0),
    ("(3;(2,1),(2,1),(2,1))", "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 0),
    ("(3;(2,1),(2,1),(2,1))", "(2;(2),(1),(1)):: ell = 1 :: type = CAA", 30),
    ("((5,2),4,3,3)", "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB", 50),
    ("((5,2),4,3,3)", "(3;(2,1),(2,1),(2,1)):: ell = 1 :: type = ABB", 100),
    ("((2,2),1,1,1,1)", "(1;(1),(1),(),())", 120),
]


@pytest.mark.parametrize("fiber,line,ticks", CASES,
                         ids=[f"{c[0]} {c[1] and c[1].split('::')[0]} t{c[2]}" for c in CASES])
def test_picture_is_the_tools(fiber, line, ticks):
    x = dorvanix.Fiber(fiber)
    y = dorvanix.Subdivisor(x, line) if line else None
    args = ["picture", fiber] + ([line] if line else []) + ["--ticks", ticks]
    expected = run_cli(*args).stdout.decode()
    svg = x.picture(y, ticks=ticks)
    assert svg == expected
    assert svg.startswith("<") and "</svg>" in svg
    # the same call twice draws the same picture: the random sequence starts over each time
    assert x.picture(y, ticks=ticks) == svg


def test_rich_display_hooks():
    x = dorvanix.Fiber("((5,2),4,3,3)")
    y = dorvanix.Subdivisor(x, "(3;(2,1),(2,1),(2,1))")
    assert x._repr_svg_() == x.picture()
    analysis = x.analyze(y)
    assert analysis._repr_svg_() == analysis.picture() == x.picture(y, ticks=100)
    assert analysis.picture(ticks=7) == x.picture(y, ticks=7)


def test_bad_ticks():
    x = dorvanix.Fiber("((3,2),2,2,2)")
    for ticks in (-1, 1001):
        with pytest.raises(ValueError, match="ticks must lie in 0 ... 1000"):
            x.picture(ticks=ticks)


def test_too_large_a_chain_diagram_is_declined_before_drawing():
    # 20 branches of 999 curves and one of 20: the first listed line has a chain diagram of
    # 19 chains of 9481 nodes, which an analysis builds and a picture declines.
    x = dorvanix.Fiber("((1000,20)" + ",999" * 20 + ",20)")
    y = next(x.subdivisors())
    analysis = x.analyze(y)
    assert analysis.chain_count * x.genus > 100000
    for draw in (lambda: analysis.picture(), analysis._repr_svg_, lambda: x.picture(y, ticks=80)):
        with pytest.raises(ValueError, match="a chain diagram of 180,139 curves"):
            draw()
