"""Builds the Python module alone for `pip install .`: CMake configures the project without the
desktop program, the tests or the benchmarks and builds the target dorvanix_python; the package
folder it makes (the extension as dorvanix/__init__, its stub and py.typed) goes into the wheel.
The metadata is in pyproject.toml; the version is read from project(VERSION) in CMakeLists.txt."""

import os
import re
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(Dorvanix VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        # One build folder per interpreter, so that a Sage build and a system build do not mix.
        abi = sysconfig.get_config_var("SOABI") or "py%d%d" % sys.version_info[:2]
        build = ROOT / "build" / ("python-" + abi)
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     "-DDORVANIX_BUILD_GUI=OFF", "-DDORVANIX_BUILD_TESTS=OFF",
                     "-DDORVANIX_BUILD_BENCH=OFF", "-DPython_EXECUTABLE=" + sys.executable]
        if shutil.which("ninja") and not (build / "CMakeCache.txt").exists():
            configure += ["-G", "Ninja"]
        try:
            import pybind11

            configure.append("-Dpybind11_DIR=" + pybind11.get_cmake_dir())
        except ImportError:
            pass  # CMake finds Debian's pybind11-dev by itself
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "dorvanix_python",
                        "--parallel", str(os.cpu_count() or 1)], check=True)
        package = Path(self.get_ext_fullpath(ext.name)).parent
        package.mkdir(parents=True, exist_ok=True)
        for built in (build / "python" / "module" / "dorvanix").iterdir():
            shutil.copy2(built, package / built.name)


setup(
    version=project_version(),
    packages=[],
    ext_modules=[Extension("dorvanix.__init__", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
