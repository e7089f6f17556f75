"""Shared helpers: the built dorvanix-cli, whose output the module must reproduce."""

import os
import subprocess
import threading

import pytest


def cli_path():
    path = os.environ.get("DORVANIX_CLI")
    if not path or not os.access(path, os.X_OK):
        pytest.fail("DORVANIX_CLI must name the built dorvanix-cli (CTest sets it)")
    return path


def run_cli(*args, check=True):
    """Runs dorvanix-cli with `args`; returns the completed process (bytes)."""
    done = subprocess.run([cli_path(), *map(str, args)], capture_output=True, timeout=60)
    if check and done.returncode != 0:
        pytest.fail(f"dorvanix-cli {args} failed: {done.stderr.decode()}")
    return done


def cli_lines(*args):
    """The lines dorvanix-cli prints for `args`."""
    return run_cli(*args).stdout.decode().splitlines()


# ThreadSanitizer's runtime starts a thread of its own with the first thread of the process: one
# started here keeps it out of the counts of the module's workers.
threading.Thread(target=lambda: None).start()


def os_thread_count():
    """Threads of this process as the system sees them, native workers included."""
    return len(os.listdir("/proc/self/task"))
