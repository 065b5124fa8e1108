#!/usr/bin/env python3
"""Checks that scripts/setup installs everything the project needs on a fresh machine.

Finds what the build, the tests, the benchmarks and the scripts use:
- programs that CMake files require (find_program(... REQUIRED));
- pkg-config modules (pkg_check_modules / pkg_search_module) and CMake packages (find_package);
- programs that the shell scripts run (scripts/*, .ci/run, tests/**/*.sh), and programs that the
  C++ tests, benchmarks and tools start (a string literal naming a program on PATH, or an absolute
  path of an installed file);
- Python modules that the project's Python scripts import.
Each is traced to the Debian package that provides it (dpkg -S). The check fails naming every one
whose package scripts/setup does not list, or that is not installed at all. Packages marked
Essential (coreutils, bash, grep …) are on every Debian machine and need no listing.

Usage: check_setup.py [--verbose]   (run from anywhere; exits 1 when something is missing)
"""

import glob
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Shell words that look like program names but are the shell's own, or words of prose.
SHELL_WORDS = {
    "if", "then", "else", "elif", "fi", "for", "in", "do", "done", "while", "until", "case",
    "esac", "function", "return", "local", "export", "set", "unset", "shift", "exit", "trap",
    "cd", "echo", "printf", "read", "wait", "eval", "exec", "source", "true", "false", "test",
    "declare", "command", "type", "kill", "break", "continue", "umask", "ulimit", "pwd", "let",
    "readonly", "times", "builtin", "getopts", "hash", "jobs", "disown", "alias", "mapfile",
}


def tracked_files(*patterns):
    out = subprocess.run(["git", "-C", ROOT, "ls-files", "--", *patterns], capture_output=True,
                         text=True, check=True).stdout
    return [os.path.join(ROOT, p) for p in out.splitlines() if p]


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def listed_packages():
    text = read(os.path.join(ROOT, "scripts", "setup"))
    match = re.search(r"^packages=\((.*?)^\)", text, re.S | re.M)
    if not match:
        sys.exit("check_setup: no packages=( … ) list in scripts/setup")
    body = re.sub(r"#.*", "", match.group(1))
    return set(body.split())


_owner_cache = {}


def owner_of(path):
    """The Debian package that installed path (following links), or None. Debian 12 merges /bin
    into /usr/bin, but dpkg still knows the files of older packages under /bin."""
    candidates = [path, os.path.realpath(path)]
    for p in list(candidates):
        if p.startswith("/usr/bin/") or p.startswith("/usr/sbin/") or p.startswith("/usr/lib/"):
            candidates.append(p[len("/usr"):])
    for candidate in candidates:
        if candidate in _owner_cache:
            return _owner_cache[candidate]
        result = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
        if result.returncode == 0:
            # "pkg1, pkg2: /path" or "pkg:arch: /path"; diversions start with "diversion by".
            for line in result.stdout.splitlines():
                if line.startswith("diversion"):
                    continue
                names = line.rsplit(": ", 1)[0]
                package = names.split(",")[0].strip().split(":")[0]
                _owner_cache[candidate] = package
                return package
    return None


_essential_cache = {}


def essential(package):
    if package not in _essential_cache:
        result = subprocess.run(["dpkg-query", "-W", "-f=${Essential} ${Priority}", package],
                                capture_output=True, text=True)
        fields = result.stdout.split()
        _essential_cache[package] = bool(fields) and (fields[0] == "yes" or "required" in fields)
    return _essential_cache[package]


def cmake_required_programs():
    found = []
    for path in tracked_files("*CMakeLists.txt", "*.cmake"):
        for m in re.finditer(r"find_program\(\s*\w+\s+(?:NAMES\s+)?([\w.+-]+)([^)]*)\)", read(path)):
            if "REQUIRED" in m.group(2):
                found.append((m.group(1), os.path.relpath(path, ROOT)))
    return found


def cmake_pkg_config_modules():
    found = []
    for path in tracked_files("*CMakeLists.txt", "*.cmake"):
        for m in re.finditer(r"pkg_(?:check_modules|search_module)\(\s*\w+([^)]*)\)", read(path)):
            for word in m.group(1).split():
                if word not in ("REQUIRED", "QUIET", "IMPORTED_TARGET", "GLOBAL", "NO_CMAKE_PATH",
                                "NO_CMAKE_ENVIRONMENT_PATH"):
                    found.append((re.split(r"[<>=]", word)[0], os.path.relpath(path, ROOT)))
    return found


def cmake_packages():
    """find_package(Name [version] [REQUIRED] [COMPONENTS a b]) -> config files to trace."""
    found = []
    for path in tracked_files("*CMakeLists.txt", "*.cmake"):
        for m in re.finditer(r"find_package\(\s*([\w]+)([^)]*)\)", read(path)):
            name, rest = m.group(1), m.group(2)
            if name in ("PkgConfig", "Python3", "Threads"):
                continue  # traced through the programs and modules they stand for
            components = []
            words = rest.split()
            if "COMPONENTS" in words:
                components = [w for w in words[words.index("COMPONENTS") + 1:]
                              if w not in ("REQUIRED", "OPTIONAL_COMPONENTS")]
            names = [name + c for c in components] if name == "Qt6" and components else [name]
            for n in names:
                found.append((n, os.path.relpath(path, ROOT)))
    return found


# CMake's own find modules have no config file: the header each one looks for stands for it.
FIND_MODULE_FILES = {"OpenSSL": "/usr/include/openssl/ssl.h", "SQLite3": "/usr/include/sqlite3.h"}


def cmake_config_file(name):
    if name in FIND_MODULE_FILES:
        return FIND_MODULE_FILES[name] if os.path.exists(FIND_MODULE_FILES[name]) else None
    for base in ("/usr/lib/x86_64-linux-gnu/cmake", "/usr/lib/*/cmake", "/usr/lib/cmake",
                 "/usr/share/cmake", "/usr/share/*/cmake"):
        for pattern in (f"{base}/{name}/{name}Config.cmake",
                        f"{base}/{name}/{name.lower()}-config.cmake",
                        f"{base}/{name.lower()}/{name.lower()}-config.cmake",
                        f"{base}/{name}/{name}-config.cmake"):
            hits = glob.glob(pattern)
            if hits:
                return hits[0]
    return None


def without_strings(text):
    """The shell text with the contents of quoted strings blanked, except command substitutions
    inside double quotes, and with array literals (name=( … )) removed."""
    text = re.sub(r"\b\w+=\((?:[^()]|\n)*?\)", "", text)
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "'":
            end = text.find("'", i + 1)
            i = len(text) if end < 0 else end + 1
            out.append("''")
        elif c == '"':
            j = i + 1
            kept = []
            while j < len(text) and text[j] != '"':
                if text[j] == "\\":
                    j += 2
                    continue
                if text.startswith("$(", j):
                    depth, k = 0, j
                    while k < len(text):
                        if text[k] == "(":
                            depth += 1
                        elif text[k] == ")":
                            depth -= 1
                            if depth == 0:
                                break
                        k += 1
                    kept.append(";" + text[j + 2:k] + ";")
                    j = k + 1
                    continue
                j += 1
            out.append('""' + " ".join(kept))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def strip_shell_comments(text):
    lines = []
    for line in text.splitlines():
        if line.lstrip().startswith("#"):
            continue
        lines.append(re.sub(r"\s#.*$", "", line))
    return "\n".join(lines)


def shell_programs():
    """Command words of the shell scripts: the word at the start of a command, after a pipe,
    &&, ||, ;, $( or a backtick, skipping variable assignments."""
    scripts = [p for p in tracked_files("scripts/*", ".ci/*", "tests/*.sh", "packaging/*.sh")
               if not p.endswith((".py", ".supp", ".md"))]
    found = []
    for path in scripts:
        text = strip_shell_comments(read(path))
        text = text.replace("\\\n", " ")  # a command continued on the next line is one command
        # Drop here-documents' bodies and quoted strings' contents, which are text, not commands.
        text = re.sub(r"<<-?\s*'?(\w+)'?.*?\n.*?\n\1\b", "", text, flags=re.S)
        text = without_strings(text)
        text = re.sub(r"\$\(\((?:[^()]|\([^()]*\))*\)\)", "0", text)  # arithmetic
        # A program looked for first (command -v NAME) is optional: the script does without it.
        optional = set(re.findall(r"command -v ([\w.+-]+)", text))
        functions = set(re.findall(r"^\s*(?:function\s+)?([\w-]+)\s*\(\)", text, re.M))
        for segment in re.split(r"\|\|?|&&|;|\$\(|`|\n|\bthen\b|\bdo\b|\belse\b|\(|\)|!", text):
            words = segment.split()
            while words and re.match(r"^\w+=", words[0]):
                words.pop(0)
            while words and words[0] in ("sudo", "exec", "command", "env", "nohup", "time",
                                         "timeout", "$sudo", "xvfb-run"):
                if words[0] in ("time", "timeout", "xvfb-run"):
                    found.append((words[0], os.path.relpath(path, ROOT)))
                words.pop(0)
                while words and (words[0].startswith("-") or re.match(r"^[\d.]+[smh]?$", words[0])):
                    words.pop(0)
            if not words:
                continue
            word = words[0].strip("\"'")
            if (re.fullmatch(r"[a-z][\w.+-]*", word) and word not in SHELL_WORDS
                    and word not in functions and word not in optional):
                found.append((word, os.path.relpath(path, ROOT)))
    return found


def source_programs():
    """String literals in the C++ tests, benchmarks and tools that name a program: either a bare
    name passed to a process start, or an absolute path under /usr."""
    found = []
    sources = tracked_files("tests/*.cpp", "tests/*.h", "bench/*.cpp", "bench/*.h", "tools/*.cpp",
                            "src/*.cpp")
    for path in sources:
        for name in programs_in_source(read(path)):
            found.append((name, os.path.relpath(path, ROOT)))
    return found


# How a C++ source names our own command-line program.
CLI_MENTION = re.compile(r"RAVLEK_CLI\w*|ravlek[-_]cli|\b(?:Run)?Cli\(", re.I)


def programs_in_source(text):
    """The string literals of one C++ source that may name a program it starts. The words that
    follow ravlek-cli in the same statement are its command and arguments (ravlek-cli import …),
    not programs."""
    if "QProcess" not in text and "execv" not in text:
        return []
    names = []
    for m in re.finditer(r'"((?:/usr/[\w./+-]+)|[a-z][\w.+-]*)"', text):
        statement = text[text.rfind(";", 0, m.start()) + 1:m.start()]
        if CLI_MENTION.search(statement):
            continue
        names.append(m.group(1))
    return names


def python_modules():
    found = []
    for path in tracked_files("*.py"):
        for m in re.finditer(r"^\s*(?:import|from)\s+([A-Za-z_]\w*)", read(path), re.M):
            found.append((m.group(1), os.path.relpath(path, ROOT)))
    return found


def module_file(name):
    code = ("import importlib.util, sys\n"
            f"spec = importlib.util.find_spec({name!r})\n"
            "print(spec.origin if spec and spec.origin not in (None, 'built-in', 'frozen') else '')")
    # The system's Python, which the build's scripts run on a Debian machine (another Python on
    # PATH, such as a pyenv one, would hide what Debian's packages provide).
    python = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
    result = subprocess.run([python, "-c", code], capture_output=True, text=True)
    return result.stdout.strip() or None


def system_program(name):
    """Where a fresh Debian machine has the program: the system's folders first, so that a copy of
    a developer's own (a pyenv shim, ~/.local/bin) does not hide the package that provides it."""
    for folder in ("/usr/bin", "/usr/sbin", "/bin", "/sbin"):
        path = os.path.join(folder, name)
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
    return shutil.which(name)


def with_dependencies(packages):
    """The packages and, transitively, the installed packages they depend on (a listed
    metapackage such as postgresql brings postgresql-15)."""
    done = set()
    todo = list(packages)
    while todo:
        package = todo.pop()
        if package in done:
            continue
        done.add(package)
        result = subprocess.run(["dpkg-query", "-W", "-f=${Depends},${Pre-Depends}", package],
                                capture_output=True, text=True)
        for alternative in result.stdout.split(","):
            for choice in alternative.split("|"):
                name = choice.strip().split(" ")[0].split(":")[0]
                if name and name not in done:
                    todo.append(name)
    return done


def main():
    verbose = "--verbose" in sys.argv
    listed = with_dependencies(listed_packages())
    problems = []
    traced = []

    def need(kind, name, where, path, must_exist=True):
        if path is None:
            if must_exist:
                problems.append(f"{kind} {name} ({where}): not installed by scripts/setup's packages")
            return
        package = owner_of(path)
        if package is None:
            if must_exist:
                problems.append(f"{kind} {name} ({where}): {path} belongs to no Debian package")
            return
        traced.append(f"{kind} {name} -> {package}")
        if package not in listed and not essential(package):
            problems.append(f"{kind} {name} ({where}): package {package} is not in scripts/setup")

    for name, where in cmake_required_programs():
        need("program", name, where, system_program(name))
    for name, where in cmake_pkg_config_modules():
        result = subprocess.run(["pkg-config", "--variable=pcfiledir", name], capture_output=True,
                                text=True)
        pc = os.path.join(result.stdout.strip(), name + ".pc") if result.returncode == 0 else None
        need("pkg-config module", name, where, pc)
    for name, where in cmake_packages():
        need("CMake package", name, where, cmake_config_file(name))
    for name, where in shell_programs():
        path = system_program(name)
        if path is None:
            # A script's own helper (scripts/build) or a program a step builds is not a package's.
            if not glob.glob(os.path.join(ROOT, "**", name), recursive=True):
                problems.append(f"program {name} ({where}): not installed by scripts/setup's packages")
            continue
        need("program", name, where, path)
    for literal, where in source_programs():
        if literal.startswith("/usr/"):
            if os.path.isfile(literal):
                need("file", literal, where, literal, must_exist=False)
        else:
            path = system_program(literal)
            if path:
                need("program", literal, where, path, must_exist=False)
    for name, where in python_modules():
        if name in sys.stdlib_module_names:
            continue
        if glob.glob(os.path.join(ROOT, "**", name + ".py"), recursive=True):
            continue  # a module of the project's own
        path = module_file(name)
        if path is None:
            problems.append(f"Python module {name} ({where}): not installed")
            continue
        if path.startswith(ROOT):
            continue
        need("Python module", name, where, path)

    if verbose:
        for line in sorted(set(traced)):
            print(line)
    if problems:
        for line in sorted(set(problems)):
            print("setup --check:", line)
        return 1
    print(f"setup --check: every one of {len(set(traced))} programs, modules and packages "
          "that the project uses comes from a package that scripts/setup installs")
    return 0


if __name__ == "__main__":
    sys.exit(main())
