#!/usr/bin/env python3
"""Writes the section 3 manual page of a C header from its own comments and declarations:
header_page.py HEADER LIBRARY VERSION PAGE.3

The header's first comment names the library; the comment that starts with "Conventions"
becomes DESCRIPTION, the status enumeration STATUS CODES, and each exported function its
prototype in SYNOPSIS and, with the comment above it, an entry of FUNCTIONS."""

import re
import sys


def roff(text: str) -> str:
    """Text as roff shows it: backslashes and hyphens escaped, no line read as a request."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join("\\&" + line if line.startswith((".", "'")) else line
                     for line in text.split("\n"))


def comment_text(comment: str) -> str:
    body = comment[2:-2].strip("\n")
    return "\n".join(line.strip() for line in body.split("\n")).strip()


def main() -> int:
    header, library, version, page = sys.argv[1:5]
    with open(header, encoding="utf-8") as file:
        source = file.read()
    comments = list(re.finditer(r"/\*.*?\*/", source, re.S))
    title = comment_text(comments[0].group(0))
    conventions = next(comment_text(c.group(0)) for c in comments
                       if comment_text(c.group(0)).startswith("Conventions"))
    status = re.search(r"typedef enum \w+ \{(.*?)\}", source, re.S)
    export = re.search(r"#define (\w+_EXPORT) __attribute__", source).group(1)

    functions = []
    declaration = rf"(?:(/\*(?:(?!\*/).)*\*/)\n)?^{export} ([^;]*);"
    for match in re.finditer(declaration, source, re.S | re.M):
        prototype = " ".join(match.group(2).split())
        name = re.search(r"(\w+)\(", prototype).group(1)
        about = comment_text(match.group(1)) if match.group(1) else ""
        functions.append((name, prototype, about))

    out = [f'.TH {library.upper()} 3 "" "{library} {version}" "Library Functions Manual"',
           ".SH NAME", f"{library} \\- {roff(title.split(':', 1)[-1].strip())}",
           ".SH SYNOPSIS", ".nf", f".B #include <{header.rsplit('/', 1)[-1]}>", ".PP"]
    for _, prototype, _ in functions:
        out.append(".B " + roff(prototype) + ";")
    out += [".fi", ".PP", f"Link with \\fI\\-l{library}\\fP.", ".SH DESCRIPTION"]
    for line in conventions.split("\n"):
        if line.startswith("- "):
            out += [".IP \\(bu 2", roff(line[2:])]
        else:
            out.append(roff(line))
    if status:
        out.append(".SH STATUS CODES")
        for value in re.finditer(r"(\w+) = (\d+),?\s*/\*(.*?)\*/", status.group(1), re.S):
            out += [".TP", f".B {value.group(1)} ({value.group(2)})",
                    roff(" ".join(value.group(3).split()))]
    out.append(".SH FUNCTIONS")
    for name, _, about in functions:
        out += [".TP", f".B {name}", roff(" ".join(about.split())) or "."]
    out += [".SH SEE ALSO", ".BR zt7util (1),", ".BR zt7util (3)"]
    with open(page, "w", encoding="utf-8") as file:
        file.write("\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
