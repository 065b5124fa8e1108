#!/usr/bin/env python3
"""The rules of the house for includes between the folders of src/ (run by ctest as IncludeRules).

- The core (any folder that is no window/ folder) includes no window/ header.
- A page (a file of a subsystem's window/ folder, or the editor launcher of src/app/window)
  includes no other page folder and, of src/app/window, only the shared window library.
- No header includes itself again through others (no include cycle).
Prints each breach and exits 1 when there is one.
"""
import re
import sys
from pathlib import Path

SHARED = {f"app/window/{name}.h" for name in
          ("messages", "design_units", "designed_layout", "page_control", "picture_box",
           "qt_translations", "screen_fit", "framed_text_fields")}
APP_PAGES = {"app/window/editor_launcher.h", "app/window/editor_launcher.cpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder(path):
    return str(Path(path).parent)


def is_page(path):
    f = folder(path)
    return path in APP_PAGES or (f.endswith("/window") and f != "app/window")


def main(src):
    src = Path(src)
    files = {str(p.relative_to(src)): p for p in src.rglob("*") if p.suffix in (".h", ".cpp")}
    includes = {name: [i for i in INCLUDE.findall(p.read_text(encoding="utf-8")) if i in files]
                for name, p in files.items()}
    breaches = []
    for name, targets in includes.items():
        for target in targets:
            if "/window/" not in name and "/window/" in target:
                breaches.append(f"{name}: the core includes window code {target}")
            if not is_page(name):
                continue
            if target.startswith("app/window/") and target not in SHARED and target not in APP_PAGES:
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
