#!/usr/bin/env python3
"""The rules of the house for includes and libraries between the folders of src/ (run by ctest as
IncludeRules).

- The core (any folder that is no window/ folder) includes no window/ header.
- A page (a file of a subsystem's window/ folder, or the editor launcher of src/app/window)
  includes no other page folder and, of src/app/window, only the shared window library.
- Each window/ folder is a library of its own that links, of our libraries, only its core library
  (with what that links), the shared window library and the libraries of its own folder.
- A file includes only headers of its own library and of the libraries it links; every source
  file belongs to a library or program of the CMakeLists.txt files under src/.
- No header includes itself again through others (no include cycle).
Prints each breach and exits 1 when there is one.
"""
import re
import sys
from pathlib import Path

SHARED_LIBRARY = "ravlek_window_shared"
APP_PAGES = {"app/window/editor_launcher.h", "app/window/editor_launcher.cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
COMMAND = re.compile(r"\b(add_library|add_executable|target_sources|target_link_libraries)\s*\(([^)]*)\)")
LIBRARY_KINDS = {"STATIC", "SHARED", "MODULE", "OBJECT", "INTERFACE", "EXCLUDE_FROM_ALL"}
SCOPES = {"PUBLIC", "PRIVATE", "INTERFACE"}


def folder(path):
    return str(Path(path).parent)


def is_page(path):
    f = folder(path)
    return path in APP_PAGES or (f.endswith("/window") and f != "app/window")


class Targets:
    """The libraries and programs that the CMakeLists.txt files under src/ define."""

    def __init__(self, src):
        self.owner = {}  # file (relative to src) -> target
        self.folder = {}  # target -> folder it is defined in
        self.links = {}  # target -> [(target, public)] of targets defined here
        links = []
        for cmake in sorted(src.rglob("CMakeLists.txt")):
            here = str(cmake.parent.relative_to(src))
            text = re.sub(r"#[^\n]*", "", cmake.read_text(encoding="utf-8"))
            for command, args in COMMAND.findall(text):
                words = args.split()
                if not words:
                    continue
                name, rest = words[0], words[1:]
                if command in ("add_library", "add_executable"):
                    self.folder[name] = here
                    self.links.setdefault(name, [])
                if command == "target_link_libraries":
                    public = True
                    for word in rest:
                        if word in SCOPES:
                            public = word != "PRIVATE"
                        else:
                            links.append((name, word, public))
                    continue
                for word in rest:
                    if word in LIBRARY_KINDS or word in SCOPES or "$" in word.replace(
                            "${CMAKE_CURRENT_SOURCE_DIR}/", ""):
                        continue
                    word = word.replace("${CMAKE_CURRENT_SOURCE_DIR}/", "")
                    self.owner[str(Path(here) / word) if here != "." else word] = name
        for name, target, public in links:
            if target in self.folder:
                self.links.setdefault(name, []).append((target, public))

    def public_closure(self, target, seen=None):
        seen = set() if seen is None else seen
        for linked, public in self.links.get(target, []):
            if public and linked not in seen:
                seen.add(linked)
                self.public_closure(linked, seen)
        return seen

    def reachable(self, target):
        """The target and what its code may include: what it links, and what those pass on."""
        allowed = {target}
        for linked, _ in self.links.get(target, []):
            allowed.add(linked)
            allowed |= self.public_closure(linked)
        return allowed


def check_libraries(targets, breaches):
    if not targets.folder:
        breaches.append("no library found in the CMakeLists.txt files")
        return
    for name, here in targets.folder.items():
        if not here.endswith("/window") or here == "app/window":
            continue
        core = {t for t, f in targets.folder.items() if f == here[: -len("/window")]}
        allowed = {SHARED_LIBRARY} | {t for t, f in targets.folder.items() if f == here}
        for c in core:
            allowed |= {c} | targets.reachable(c)
        for linked, _ in targets.links.get(name, []):
            if linked not in allowed:
                breaches.append(f"{name} ({here}) links {linked}, neither its core library nor the "
                                "shared window library")


def main(src):
    src = Path(src)
    files = {str(p.relative_to(src)): p for p in src.rglob("*") if p.suffix in (".h", ".cpp")}
    includes = {name: [i for i in INCLUDE.findall(p.read_text(encoding="utf-8")) if i in files]
                for name, p in files.items()}
    targets = Targets(src)
    breaches = []
    check_libraries(targets, breaches)
    shared = {f for f, t in targets.owner.items() if t == SHARED_LIBRARY}
    for name in sorted(files):
        if name not in targets.owner:
            breaches.append(f"{name}: belongs to no library or program of src/")
    for name, found in includes.items():
        for target in found:
            if "/window/" not in name and "/window/" in target:
                breaches.append(f"{name}: the core includes window code {target}")
            own, theirs = targets.owner.get(name), targets.owner.get(target)
            if own and theirs and theirs not in targets.reachable(own):
                breaches.append(f"{name}: includes {target} of {theirs}, which {own} does not link")
            if not is_page(name):
                continue
            if target.startswith("app/window/") and target not in shared and target not in APP_PAGES:
                breaches.append(f"{name}: a page includes {target}, not of the shared window library")
            elif is_page(target) and folder(target) != folder(name):
                breaches.append(f"{name}: a page includes another page's {target}")
    # Include cycles among headers.
    state = {}

    def visit(node, path):
        state[node] = 1
        for target in includes.get(node, []):
            if state.get(target) == 1:
                cycle = path[path.index(target):] + [target] if target in path else [node, target]
                breaches.append("include cycle: " + " -> ".join(cycle))
            elif target not in state:
                visit(target, path + [target])
        state[node] = 2

    for name in sorted(files):
        if name not in state:
            visit(name, [name])
    for breach in breaches:
        print(breach)
    return 1 if breaches else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "src"))
