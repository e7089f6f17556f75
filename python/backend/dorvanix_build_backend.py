"""The build backend named in pyproject.toml: setuptools' own, found where the interpreter's
packages are instead of being downloaded.

pip builds in an isolated environment that holds only the build requirements, fetched from a
package index. Dorvanix builds offline from Debian's packages, so pyproject.toml requires nothing
and this module adds the interpreter's site-packages back at the end of sys.path: those of a
virtual environment (and the system's, with --system-site-packages), then, for a virtual
environment without them, the base interpreter's, where python3-setuptools and python3-wheel are.
"""

import importlib.util
import site
import sys
import sysconfig


def _site_folders():
    yield from site.getsitepackages()
    for scheme in ("deb_system", "posix_prefix"):
        if scheme in sysconfig.get_scheme_names():
            base = {"base": sys.base_prefix, "platbase": sys.base_prefix}
            yield sysconfig.get_path("purelib", scheme, base)


def _reach(*modules):
    for folder in _site_folders():
        if all(importlib.util.find_spec(module) for module in modules):
            return
        site.addsitedir(folder)  # appended, with its .pth files, as the interpreter would


_reach("setuptools", "wheel")

from setuptools import build_meta as _setuptools  # noqa: E402

build_sdist = _setuptools.build_sdist
build_wheel = _setuptools.build_wheel
prepare_metadata_for_build_wheel = _setuptools.prepare_metadata_for_build_wheel
get_requires_for_build_sdist = _setuptools.get_requires_for_build_sdist


def get_requires_for_build_wheel(config_settings=None):
    # setuptools asks for "wheel", which pip would try to download; it is already reachable.
    return []
