-- The census as a SQLite database, as `dorvanix-cli census --format sqlite --output FILE` writes
-- it. Schema version 1. The rows of `fibers` are in census order (genus, then m, r, b, then the
-- branches in decreasing lexicographic order): ORDER BY rowid gives it back.

CREATE TABLE meta (
    key TEXT PRIMARY KEY,        -- program, version, command, schema_version, created,
                                 -- genus_from, genus_to, analyze (yes or no: --analyze given)
    value TEXT NOT NULL
);

CREATE TABLE fibers (
    label TEXT PRIMARY KEY,      -- G.m.r.a1-...-ab, e.g. 2.5.2.4-4-2
    genus INTEGER NOT NULL,      -- G
    m INTEGER NOT NULL,          -- multiplicity of the core
    r INTEGER NOT NULL,          -- the core's self-intersection is -r
    b INTEGER NOT NULL,          -- number of branches
    branches TEXT NOT NULL,      -- first-branch multiplicities, largest first, as JSON: [4,4,2]
    simple_crusts NOT NULL,      -- INTEGER below 2^63; past it the exact decimal digits as TEXT
    line TEXT NOT NULL           -- the census line: ((5,2),4,4,2) : 22 (g=2)
);
CREATE INDEX fibers_genus ON fibers (genus);
CREATE INDEX fibers_m ON fibers (m);

-- With --analyze: for each fiber, how many of its listed sub-divisors (the default listing, no
-- '?' branch) have each (N, d, h), the figures of `analyze`.
CREATE TABLE analysis (
    label TEXT NOT NULL REFERENCES fibers (label),
    chain_count INTEGER,         -- N; NULL after a proportional branch
    gcd INTEGER,                 -- d; NULL after a proportional branch
    genus_numerator INTEGER,     -- d N - (a + chi(X) - chi(R)), as `analyze --json` gives it; NULL
                                 -- after a proportional branch
    joining_curve_genus INTEGER, -- h; NULL where the count genus_numerator / 2 is no genus of the
                                 -- joining curve (`analyze --json` then gives the reason in
                                 -- joining_curve_genus_note) or after a proportional branch
    lines INTEGER NOT NULL       -- how many listed sub-divisors have these figures
);
CREATE INDEX analysis_label ON analysis (label);
