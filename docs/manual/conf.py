# The Dorvanix manual: Markdown pages (MyST) with the furo theme, the module's reference from its
# own docstrings (autodoc), the core's C++ API from Doxygen's XML (breathe). scripts/docs.sh runs
# Doxygen and generate.py (the tool's help, outputs and pictures, into _generated/) first, puts
# the built module on PYTHONPATH and names Doxygen's XML folder; every warning fails the build.
import os
import re

project = "Dorvanix"
author = "The Dorvanix developers"
root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as cmake:
    release = re.search(r"project\(\s*dorvanix\s+VERSION\s+([0-9.]+)", cmake.read(), re.I).group(1)
version = release
copyright = "the Dorvanix developers, GPL-3.0-or-later"

extensions = ["myst_parser", "sphinx.ext.autodoc", "sphinx.ext.napoleon", "breathe"]
source_suffix = {".md": "markdown"}
myst_enable_extensions = ["colon_fence", "deflist"]
myst_heading_anchors = 3
exclude_patterns = ["_build", "_generated"]

html_theme = "furo"
html_title = f"Dorvanix {release}"
html_static_path = []
html_show_sourcelink = False
html_copy_source = False

autodoc_member_order = "bysource"
autodoc_default_options = {"members": True, "undoc-members": True, "special-members": "__init__"}
napoleon_google_docstring = True
napoleon_numpy_docstring = False

breathe_projects = {"dorvanix": os.environ.get("DORVANIX_DOXYGEN_XML", os.path.join(root, "build", "docs", "doxygen", "xml"))}
breathe_default_project = "dorvanix"
breathe_default_members = ("members",)
