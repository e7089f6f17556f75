"""Re-derives on this machine what can be checked by hand or in the literature, as
`dorvanix-cli selftest` does, and prints one line a check and a summary:

    python3 -m dorvanix.selftest

Exit status 0 when every check holds, 1 otherwise, or when the lines cannot be written (one line
on standard error says why, as the tool says it).
"""

import os
import sys

import dorvanix


def main():
    result = dorvanix.self_test()
    try:
        for check in result["checks"]:
            print(check["line"])
        print(result["summary"])
        sys.stdout.flush()
    except OSError as error:
        # What could not be written must not be written again at exit, with a traceback.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        print(f"dorvanix.selftest: cannot write to standard output: {error.strerror}",
              file=sys.stderr)
        return 1
    return 0 if result["passed"] else 1


if __name__ == "__main__":
    sys.exit(main())
