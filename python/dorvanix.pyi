"""Star-shaped singular fibers, their sub-divisors and polynomial files: the core of Dorvanix
for scripts and notebooks."""

from __future__ import annotations

import os
from typing import Any, Iterable, Iterator, Optional, Sequence, SupportsIndex

__version__: str

class Fiber:
    """A star-shaped singular fiber X: a core of multiplicity m and self-intersection -r with b
    branches, each a Hirzebruch-Jung chain."""

    def __init__(self, text: str) -> None:
        """A fiber from a fiber line '((3,2),2,2,2)' (annotation allowed), divisor notation
        '(3;(2,1),(2,1),(2,1))' or its label '1.3.2.2-2-2'; raises ValueError with
        dorvanix-cli's message."""
    @property
    def label(self) -> str:
        """The label 'G.m.r.a1-...-ab': genus, m, r, first multiplicities largest first."""
    @property
    def m(self) -> int:
        """Multiplicity of the core."""
    @property
    def r(self) -> int:
        """The core's self-intersection is -r."""
    @property
    def branches(self) -> tuple[int, ...]:
        """The first-branch multiplicities a1, ..., ab, in branch order."""
    @property
    def chains(self) -> tuple[tuple[int, ...], ...]:
        """Each branch's multiplicities from the core outward."""
    @property
    def genus(self) -> int:
        """Genus g of the fiber."""
    @property
    def simple_crust_count(self) -> int:
        """Number of sub-divisors whose branches are all of type A, B, C or 0."""
    @property
    def line(self) -> str:
        """The line as the fiber list shows it: '((m,r),a1,...,ab) : n (g=g)'."""
    @property
    def notation(self) -> str:
        """Divisor notation '(m;(c1,c2,...),...)'."""
    @property
    def subdivisor_list_file_name(self) -> str:
        """Default name of the sub-divisor list file, e.g. 'X3-2-2-2.doc'."""
    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain values: one line of `dorvanix-cli fibers --jsonl`."""
    def dual_graph(self) -> dict[str, Any]:
        """'vertices' (id, multiplicity, self_intersection, genus, kind, note) and 'edges'
        (pairs of ids): `dorvanix-cli graph X`. The core is vertex 0. Raises ValueError past
        200000 curves."""
    def analysis_table(
        self, *, part: tuple[int, Sequence[int]] | None = None
    ) -> list[dict[str, Any]]:
        """How many listed sub-divisors have each (N, d, h): dicts of chain_count, gcd,
        genus_numerator, joining_curve_genus (None where the count is no genus) and count, as
        'analysis_table' in `dorvanix-cli census --analyze`; with `part` (one of
        listing_parts()), only those of that part."""
    def listing_parts(self, depth: int) -> list[tuple[int, tuple[int, ...]]]:
        """The parts of the listing fixed on its `depth` slowest branches, in list order, as
        (k, values of the last branch, the one before, ...); the tables of all of them joined
        are analysis_table()."""
    def intersection_matrix(self) -> list[list[int]]:
        """Intersection matrix of the curves, in the order of dual_graph()['vertices']. Raises
        ValueError past 1000 curves."""
    def _repr_latex_(self) -> str: ...
    def subdivisors(
        self, *, ell: int = 0, except_only_ab: bool = False, all_types: bool = False
    ) -> SubdivisorIterator:
        """The sub-divisors Y in list order, lazily."""
    def count_subdivisors(
        self, *, ell: int = 0, except_only_ab: bool = False, all_types: bool = False
    ) -> int:
        """The number of sub-divisors subdivisors() would list, exactly."""
    def quorbel(self, subdivisor: Subdivisor) -> str:
        """The polynomial file's text for the Quorbel program (CR LF line ends)."""
    def quorbel_file_name(self, subdivisor: Subdivisor) -> str:
        """Default name of the polynomial file, e.g. '3222-2211.qpf'."""
    def write_subdivisor_list(
        self,
        path: str | os.PathLike[str],
        *,
        ell: int = 0,
        except_only_ab: bool = False,
        all_types: bool = False,
    ) -> None:
        """Writes the sub-divisor list file as dorvanix-cli does, atomically."""
    def write_quorbel(self, path: str | os.PathLike[str], subdivisor: Subdivisor) -> None:
        """Writes the polynomial file atomically."""
    def picture(self, subdivisor: Optional[Subdivisor] = None, ticks: int = 0) -> str:
        """SVG of the picture as `dorvanix-cli picture` draws it, after `ticks` animation steps
        (0 ... 1000)."""
    def _repr_svg_(self) -> str: ...
    def analyze(self, subdivisor: Subdivisor) -> Analysis:
        """Analyses the sub-divisor: the analysis divisor, the joining curve and the chain
        diagram, as figures. Raises ValueError, as `dorvanix-cli analyze` does, when the chain
        diagram would hold more than a million nodes."""
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class Subdivisor:
    """A sub-divisor Y of a fiber X, with its ell and branch types."""

    def __init__(self, fiber: Fiber, line: str) -> None:
        """The sub-divisor a listed line names, checked against the fiber; raises ValueError."""
    @property
    def k(self) -> int:
        """Core multiplicity of Y."""
    @property
    def ys(self) -> tuple[int, ...]:
        """Multiplicity of Y on the first curve of each branch (0 for an empty branch)."""
    @property
    def ell(self) -> int:
        """ell = gcd(k, y1, ..., yb)."""
    @property
    def types(self) -> str:
        """One branch type letter per branch: '0', 'A', 'B', 'C' or '?'."""
    @property
    def line(self) -> str:
        """The line as listed: '(k;(...),...):: ell = L :: type = T'."""
    @property
    def notation(self) -> str:
        """Y in divisor notation, the part of the line before '::'."""
    @property
    def fiber(self) -> Fiber:
        """The fiber X this is a sub-divisor of."""
    def to_dict(self) -> dict[str, Any]:
        """The attributes as plain values: one line of `dorvanix-cli subdivisors --jsonl`."""
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class Analysis:
    """The figures of the analysis of a sub-divisor (Fiber.analyze)."""

    @property
    def chain_count(self) -> Optional[int]:
        """N, the number of chains; None when a branch of Y is proportional to X's."""
    @property
    def gcd(self) -> Optional[int]:
        """d = gcd(m, mY div ell); None when a branch of Y is proportional to X's."""
    @property
    def joining_curve_genus(self) -> Optional[int]:
        """h, the genus of the joining curve; None where the count is no genus of it."""
    @property
    def genus_numerator(self) -> Optional[int]:
        """d N - (a + chi(X) - chi(R)); None when a branch of Y is proportional to X's."""
    @property
    def joining_curve_genus_note(self) -> Optional[str]:
        """Why there is no genus h; None where there is one."""
    @property
    def core_branches(self) -> int:
        """kc, the new branches of the core."""
    @property
    def stub_count(self) -> int:
        """Number of stubs the joining curve replaces."""
    @property
    def inserted_count(self) -> int:
        """a, the nodes inserted on branches of type A."""
    @property
    def support_euler_x(self) -> int:
        """Euler number of the support of X."""
    @property
    def support_euler_r(self) -> int:
        """Euler number of the support of the analysis divisor."""
    @property
    def proportional_branch(self) -> bool:
        """True when a branch of Y is proportional to X's."""
    @property
    def nodes(self) -> list[dict[str, Any]]:
        """Nodes of the analysis divisor, depth first: id, parent (None for the root), depth,
        serial, multiplicity, in_r, self_intersection, neighbours_in_r (ids of the curves of R
        it meets), drawing_points, genus_chain, joining_curve_points."""
    @property
    def chains(self) -> list[list[dict[str, Any]]]:
        """Chains of the chain diagram: multiplicity and flagged per node."""
    @property
    def subdivisor(self) -> Subdivisor:
        """The sub-divisor analysed."""
    @property
    def fiber(self) -> Fiber:
        """The fiber it belongs to."""
    def to_dict(self) -> dict[str, Any]:
        """Every figure as plain values."""
    def picture(self, ticks: int = 100) -> str:
        """SVG of the analysed sub-divisor's picture; by default the settled frame."""
    def _repr_svg_(self) -> str: ...
    def dual_graph(self) -> dict[str, Any]:
        """Dual graph of the analysis divisor R with its joining curve (kind 'joining_curve',
        genus h or None); self-intersections as numerical triviality asks them, None (with a
        note) where that is no whole number."""
    def _repr_latex_(self) -> str: ...

class CensusIterator(Iterator[Fiber]):
    """Lazy iterator over the fibers of one genus; closing or dropping it stops the work."""

    def __iter__(self) -> CensusIterator: ...
    def __next__(self) -> Fiber: ...
    def close(self) -> None:
        """Stops the census."""
    def __enter__(self) -> CensusIterator: ...
    def __exit__(self, *args: object) -> None: ...

def census(*, genus: SupportsIndex, threads: SupportsIndex = 0) -> CensusIterator:
    """Every fiber of the genus over all m >= 2, r >= 2 and b >= 3 (fibers with r = 1 are not
    listed), ordered by m, r, b and then as fibers() lists them; simple crusts counted on
    `threads` threads (0: one per core, at most 256). ValueError for a genus below 1 or above
    10000."""

class CensusBlock:
    """A block of fibers of the census walk of one genus, as `dorvanix-cli census` works on
    them; picklable, for another process or machine (examples/dask_census.py)."""

    @property
    def genus(self) -> int: ...
    def __len__(self) -> int: ...
    def analysis_records(
        self,
        *,
        threads: SupportsIndex = 0,
        tables: dict[int, Sequence[list[dict[str, Any]]]] | None = None,
    ) -> list[str]:
        """The block's lines of `dorvanix-cli census --genus G --analyze --jsonl`, byte for
        byte, worked out here on `threads` threads (0: one per core, at most 256); `tables` maps
        a fiber's place in the block to the tables of all the parts of its listing, joined here
        instead of analysing it. ValueError when a sub-divisor would have a chain diagram of more
        than a million nodes."""
    def fibers(self) -> list[Fiber]:
        """Its fibers, in census order."""

class CensusBlockIterator(Iterator[CensusBlock]):
    """Lazy iterator over the blocks of a census walk."""

    def __iter__(self) -> CensusBlockIterator: ...
    def __next__(self) -> CensusBlock: ...
    def close(self) -> None:
        """Stops the walk."""

def census_blocks(*, genus: SupportsIndex) -> CensusBlockIterator:
    """The census of the genus as the blocks the tool works on, in census order; their
    analysis_records() joined in order are `dorvanix-cli census --genus G --analyze --jsonl`.
    ValueError for a genus below 1 or above 10000."""

def census_frame(
    *, genus: SupportsIndex | Iterable[SupportsIndex], analyze: bool = False,
    threads: SupportsIndex = 0
) -> Any:
    """The census of a genus or of several (range(2, 11)) as a pandas DataFrame, one fiber a row,
    with the columns of `census --format csv`; needs pandas (python3-pandas)."""

def self_test() -> dict[str, Any]:
    """The checks of `dorvanix-cli selftest`: 'passed', 'checks' (name, passed, detail, seconds,
    line) and 'summary'; `python3 -m dorvanix.selftest` prints them."""

def lookup(form: str | dict[str, Any]) -> Fiber:
    """The census fiber a label, fiber line, divisor notation or dual graph (dict or JSON) names;
    raises ValueError saying why when it names none (a graph in JSON: at most 64 MB, 200000
    curves, ids of 32 bits), MemoryError when memory runs out, TypeError for text that is no
    UTF-8, as Fiber() does."""

class FiberIterator(Iterator[Fiber]):
    """Lazy iterator over a fiber list; closing or dropping it stops the work."""

    def __iter__(self) -> FiberIterator: ...
    def __next__(self) -> Fiber: ...
    def close(self) -> None:
        """Stops the listing and frees what it held."""
    def __enter__(self) -> FiberIterator: ...
    def __exit__(self, *args: object) -> None: ...

class SubdivisorIterator(Iterator[Subdivisor]):
    """Lazy iterator over a sub-divisor list; closing or dropping it stops the work."""

    def __iter__(self) -> SubdivisorIterator: ...
    def __next__(self) -> Subdivisor: ...
    def close(self) -> None:
        """Stops the listing and frees what it held."""
    def __enter__(self) -> SubdivisorIterator: ...
    def __exit__(self, *args: object) -> None: ...

def fibers(
    m: SupportsIndex,
    r: SupportsIndex,
    b: SupportsIndex,
    *,
    no_duplicates: bool = False,
    genus: Optional[SupportsIndex] = None,
    at_most_two_crusts: bool = False,
    multiplicities: Optional[Sequence[SupportsIndex]] = None,
) -> FiberIterator:
    """The fibers with core multiplicity m, self-intersection -r and b branches, lazily, in the
    order of the fiber list."""

def write_fiber_list(path: str | os.PathLike[str], fibers: Iterable[Fiber]) -> None:
    """Writes the fiber list file of `fibers` as `dorvanix-cli fibers --output` does."""

def fiber_list_file_name(m: int, r: int, b: int) -> str:
    """Default name of the fiber list file: '03-2-3.doc' for 3, 2, 3."""
