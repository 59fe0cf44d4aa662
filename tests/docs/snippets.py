#!/usr/bin/env python3
"""Runs the code of the reference manual (docs/*.md).

A fenced block is taken when the last non-blank line before its opening fence
is one of these comments:
  <!-- run -->                a program (```c or ```fortran); a block without
                              main (C) or a program statement (Fortran) is
                              placed in one (C: stdio, stdlib, string and the
                              header; Fortran: iso_c_binding and the module)
  <!-- file: NAME -->         written to NAME in the document's work directory
  <!-- output -->             what the run blocks above it print
  <!-- output-file: NAME -->  what they leave in NAME
A line "..." in an expected block stands for any number of lines; trailing
blanks of lines are not compared. Run blocks and the expected blocks after
them, up to the next heading, form a group: each run block runs in turn and
every expectation of the group is checked after it, so a Fortran and a C
version share one expectation.

  snippets.py extract DOCS_DIR OUT_DIR     writes the programs and a CMake list
  snippets.py check DOC BIN_DIR WORK_DIR [--no-fortran] [--gs GS] [--emulator CMD;ARGS] [--suffix .exe]

The emulator runs the programs of another system (Wine for Windows programs);
their line ends are read as line feeds.
"""
import os
import re
import subprocess
import sys

MARK = re.compile(r"^<!--\s*(run|file|output|output-file)\s*(?::\s*(\S+))?\s*-->$")
C_HEAD = '#include <stdio.h>\n#include <stdlib.h>\n#include <string.h>\n#include "morvane.h"\n'


def blocks(path):
    """(kind, name, language, text) of every marked block and heading, in order."""
    out, mark, lines, i = [], None, open(path, encoding="utf-8").read().split("\n"), 0
    while i < len(lines):
        line = lines[i]
        if line.startswith("```"):
            lang, body, i = line[3:].strip(), [], i + 1
            while not lines[i].startswith("```"):
                body.append(lines[i])
                i += 1
            if mark:
                out.append((mark[0], mark[1], lang, "\n".join(body) + "\n"))
            mark = None
        elif line.startswith("#"):
            out.append(("heading", None, None, None))
            mark = None
        elif line.strip():
            m = MARK.match(line.strip())
            mark = (m.group(1), m.group(2)) if m else None
        i += 1
    return out


def program(lang, text):
    if lang == "c":
        return text if re.search(r"\bmain\s*\(", text) else C_HEAD + "int main(void) {\n" + text + "return 0;\n}\n"
    if re.search(r"^\s*program\s+\w+", text, re.I | re.M):
        return text
    return ("program snippet\nuse, intrinsic :: iso_c_binding\nuse morvane\nimplicit none\n"
            + text + "end program snippet\n")


def write_if_changed(path, text):
    if not os.path.exists(path) or open(path, encoding="utf-8").read() != text:
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)


def extract(docs, out):
    os.makedirs(out, exist_ok=True)
    listing = []
    for doc in sorted(d for d in os.listdir(docs) if d.endswith(".md")):
        stem, path = doc[:-3], os.path.join(docs, doc)
        run_blocks = [b for b in blocks(path) if b[0] == "run"]
        for k, (_, _, lang, text) in enumerate(run_blocks, 1):
            if lang not in ("c", "fortran"):
                sys.exit(f"{doc}: run block {k} is neither c nor fortran")
            src = os.path.join(out, f"{stem}_{k}.{'c' if lang == 'c' else 'f90'}")
            write_if_changed(src, program(lang, text))
            listing.append(f"morvane_doc_snippet({stem} {k} {lang} {src})")
        if run_blocks:
            listing.append(f"morvane_doc_test({stem} {path})")
    write_if_changed(os.path.join(out, "snippets.cmake"), "\n".join(listing) + "\n")


def matches(expected, actual):
    exp = [l.rstrip() for l in expected.rstrip("\n").split("\n")]
    pattern = "".join(r"(?:[^\n]*\n)*?" if l == "..." else re.escape(l) + r"\n" for l in exp)
    act = "".join(l.rstrip() + "\n" for l in actual.rstrip("\n").split("\n"))
    return re.fullmatch(pattern, act) is not None


def check(doc, bin_dir, work, fortran, gs, emulator, suffix):
    stem, failures = os.path.basename(doc)[:-3], []
    os.makedirs(work, exist_ok=True)
    for f in os.listdir(work):
        os.remove(os.path.join(work, f))
    group, expects, k, runs = [], [], 0, [0]

    def flush():
        if expects and not runs[0]:
            failures.append(f"{doc}: an expectation with no program before it")
        for n, lang in group:
            exe = os.path.join(bin_dir, f"doc_{stem}_{n}{suffix}")
            r = subprocess.run(emulator + [exe], cwd=work, capture_output=True, text=True, timeout=120)
            where = f"{doc}: {lang} block {n}"
            if r.returncode != 0:
                failures.append(f"{where} exited with {r.returncode}:\n{r.stdout}{r.stderr}")
                continue
            for kind, name, text in expects:
                if kind == "output":
                    got = r.stdout
                else:
                    p = os.path.join(work, name)
                    got = open(p, encoding="latin-1").read() if os.path.exists(p) else f"(no file {name})\n"
                if not matches(text, got):
                    failures.append(f"{where}: {name or 'output'} differs; expected:\n{text}got:\n{got}")
        group.clear()
        expects.clear()
        runs[0] = 0

    for kind, name, lang, text in blocks(doc):
        if kind == "run":
            k += 1
            if expects:
                flush()
            runs[0] += 1
            if lang == "c" or fortran:
                group.append((k, lang))
        elif kind == "heading":
            flush()
        elif kind == "file":
            flush()
            with open(os.path.join(work, name), "w", encoding="latin-1") as f:
                f.write(text)
        else:
            expects.append((kind, name, text))
    flush()
    for eps in sorted(f for f in os.listdir(work) if f.endswith(".eps")) if gs else []:
        r = subprocess.run([gs, "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=nullpage", eps],
                           cwd=work, capture_output=True, text=True, timeout=120)
        if r.returncode != 0 or r.stdout or r.stderr:
            failures.append(f"{doc}: Ghostscript cannot render {eps}:\n{r.stdout}{r.stderr}")
    print("\n".join(failures) or f"{doc}: every block as shown")
    return 1 if failures else 0


if __name__ == "__main__":
    a = sys.argv[1:]
    if a[:1] == ["extract"]:
        extract(a[1], a[2])
    elif a[:1] == ["check"]:
        opt = lambda name, default: a[a.index(name) + 1] if name in a else default
        emulator = [e for e in opt("--emulator", "").split(";") if e]
        sys.exit(check(a[1], a[2], a[3], "--no-fortran" not in a, opt("--gs", None), emulator, opt("--suffix", "")))
    else:
        sys.exit(__doc__)
