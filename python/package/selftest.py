"""Re-derives on this machine what can be checked by hand or in the literature, as
`dorvanix-cli selftest` does, and prints one line a check and a summary:

    python3 -m dorvanix.selftest

Exit status 0 when every check holds, 1 otherwise.
"""

import sys

import dorvanix


def main():
    result = dorvanix.self_test()
    for check in result["checks"]:
        print(check["line"])
    print(result["summary"])
    return 0 if result["passed"] else 1


if __name__ == "__main__":
    sys.exit(main())
