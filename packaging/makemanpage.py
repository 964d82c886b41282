#!/usr/bin/env python3
"""Makes a manual page from a program's own --help and a source file.

Usage: makemanpage.py --program PATH --source NAME.1.txt --date YYYY-MM-DD
                      --out NAME.1

From the program: its version (--version), the synopsis (the usage lines of
--help), the options when --help describes them, and for a program whose
--help lists commands, each command's own `COMMAND --help`. From the source
file (format: README.md beside this script): every other section. The page
is refused when an option the program names is described nowhere, or the
source describes an option the program no longer has, so the page cannot
fall behind the program.
"""

import argparse
import os
import re
import subprocess
import sys

OPTION = re.compile(r"--[a-z][a-z0-9-]*")
HEADING = re.compile(r"^([a-z][a-z ]*):$")


class ManError(Exception):
    pass


def run(program, *args):
    """stdout and stderr together: zentaro-cli prints its usage on stderr."""
    result = subprocess.run([program, *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, timeout=60)
    if result.returncode != 0:
        raise ManError("%s %s ended with status %d:\n%s"
                       % (program, " ".join(args), result.returncode, result.stdout))
    return result.stdout


def escape(text):
    """Roff text: backslashes shown as such, option dashes as minus signs."""
    text = text.replace("\\", "\\e")
    text = re.sub(r"(?<![A-Za-z0-9])-", r"\\-", text)
    if text.startswith((".", "'")):
        text = "\\&" + text
    return text


def items(lines):
    """Two-column help lines: '  TERM  DESCRIPTION', continued by deeper lines."""
    result = []
    for line in lines:
        indent = len(line) - len(line.lstrip(" "))
        if indent > 2 and result:
            result[-1][1].append(line.strip())
            continue
        term, _, text = line.strip().partition("  ")
        result.append((term.strip(), [text.strip()] if text.strip() else []))
    return [(term, " ".join(text)) for term, text in result]


def parse_help(text, program_name):
    """Usage lines and the 'name:' sections of items of a --help text."""
    usage, sections, current = [], {}, None
    for line in text.splitlines():
        if not line.strip():
            current = None
        elif line.startswith("usage:"):
            usage.append(line[len("usage:"):].strip())
        elif usage and current is None and line.strip().startswith(program_name + " ") \
                and line.startswith(" "):
            usage.append(line.strip())
        elif HEADING.match(line):
            current = sections.setdefault(HEADING.match(line).group(1), [])
        elif current is not None and line.startswith("  "):
            current.append(line)
    if not usage:
        raise ManError("%s --help shows no usage line" % program_name)
    return usage, {name: items(lines) for name, lines in sections.items()}


def parse_command_help(text):
    """`COMMAND --help`: usage items after 'usage:', then paragraphs."""
    usage, paragraphs, lines = [], [], text.splitlines()
    index = 0
    while index < len(lines) and lines[index].strip() != "usage:":
        index += 1
    index += 1
    while index < len(lines) and lines[index].strip():
        usage.append(lines[index])
        index += 1
    paragraph = []
    for line in lines[index:] + [""]:
        if line.strip():
            paragraph.append(line.strip())
        elif paragraph:
            paragraphs.append(" ".join(paragraph))
            paragraph = []
    # '  zentaro-cli [options] key get LAYER KEY   text': the part after the
    # program and its options is the term.
    entries = []
    for term, text in items(usage):
        entries.append((re.sub(r"^\S+ \[options\] ", "", term), text))
    return entries, paragraphs


def parse_source(path):
    """[SECTION] headings, blocks separated by blank lines; '#' lines are comments."""
    sections, current = [], None
    with open(path, encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith("#"):
                continue
            heading = re.match(r"^\[([A-Z][A-Z ]*)\]$", line)
            if heading:
                current = (heading.group(1), [[]])
                sections.append(current)
            elif current is None:
                if line.strip():
                    raise ManError("%s: text before the first [SECTION]" % path)
            elif not line.strip():
                current[1].append([])
            else:
                current[1][-1].append(line.rstrip())
    return [(name, [b for b in blocks if b]) for name, blocks in sections]


def definitions(block):
    """A block whose second line is indented by two: terms and their text."""
    entries = []
    for line in block:
        if line.startswith("  "):
            entries[-1][1].append(line.strip())
        else:
            entries.append((line.strip(), []))
    return [(term, " ".join(text)) for term, text in entries]


def is_definitions(block):
    return len(block) > 1 and not block[0].startswith(" ") and block[1].startswith("  ") \
        and not block[1].startswith("    ")


def render_blocks(blocks, out):
    first = True
    for block in blocks:
        if all(line.startswith("    ") for line in block):
            if not first:
                out.append(".PP")
            out.append(".RS 4")
            out.append(".nf")
            out.extend(escape(line[4:]) for line in block)
            out.append(".fi")
            out.append(".RE")
        elif is_definitions(block):
            for term, text in definitions(block):
                out.append(".TP")
                out.append("\\fB%s\\fR" % escape(term))
                out.append(escape(text))
        else:
            if not first:
                out.append(".PP")
            out.append(escape(" ".join(line.strip() for line in block)))
        first = False


def make_page(program, source, date):
    name = os.path.basename(program)
    version_line = run(program, "--version").strip()
    usage, help_sections = parse_help(run(program, "--help"), name)
    sections = parse_source(source)
    by_name = dict(sections)
    if "NAME" not in by_name or not by_name["NAME"]:
        raise ManError("%s: no [NAME]" % source)

    # Options: described in the source, else by --help itself.
    named = set(OPTION.findall(" ".join(usage)))
    if "OPTIONS" in by_name:
        options = [entry for block in by_name["OPTIONS"] for entry in definitions(block)]
    else:
        options = help_sections.get("options", [])
    named |= {o for term, _ in help_sections.get("options", []) for o in OPTION.findall(term)}
    described = {o for term, _ in options for o in OPTION.findall(term)}
    if named - described:
        raise ManError("%s: options of %s not described: %s"
                       % (source, name, " ".join(sorted(named - described))))
    if described - named:
        raise ManError("%s: describes options %s no longer has: %s"
                       % (source, name, " ".join(sorted(described - named))))

    out = ['.TH %s 1 "%s" "%s" "User Commands"'
           % (escape(name.upper()), date, version_line.replace('"', ""))]
    # Option names broken at their hyphens cannot be typed as shown.
    out.append(".nh")
    out.append(".SH NAME")
    whatis = " ".join(by_name["NAME"][0])
    page_name, _, summary = whatis.partition(" - ")
    if page_name != name or not summary:
        raise ManError("%s: [NAME] must read '%s - summary'" % (source, name))
    out.append("%s \\- %s" % (escape(name), escape(summary)))

    out.append(".SH SYNOPSIS")
    for index, line in enumerate(usage):
        if index:
            out.append(".br")
        words = line.split(" ", 1)
        out.append("\\fB%s\\fR %s" % (escape(words[0]), escape(words[1]) if len(words) > 1 else ""))

    rest = [(n, blocks) for n, blocks in sections if n not in ("NAME", "OPTIONS")]
    if rest and rest[0][0] == "DESCRIPTION":
        out.append(".SH DESCRIPTION")
        render_blocks(rest.pop(0)[1], out)

    out.append(".SH OPTIONS")
    for term, text in options:
        out.append(".TP")
        out.append("\\fB%s\\fR" % escape(term))
        out.append(escape(text))

    commands = []
    for term, _ in help_sections.get("commands", []):
        command = term.split()[0]
        if command not in commands:
            commands.append(command)
    if commands:
        out.append(".SH COMMANDS")
        out.append("Each command also takes \\fB\\-\\-help\\fR, which prints what follows here.")
        for command in commands:
            entries, paragraphs = parse_command_help(run(program, command, "--help"))
            if not entries:
                raise ManError("%s %s --help shows no usage" % (name, command))
            out.append(".SS %s" % escape(command))
            for term, text in entries:
                out.append(".TP")
                out.append("\\fB%s\\fR" % escape(term))
                out.append(escape(text) if text else "")
            for paragraph in paragraphs:
                out.append(".PP")
                out.append(escape(paragraph))

    for section, blocks in rest:
        out.append(".SH %s" % section)
        render_blocks(blocks, out)
    return "\n".join(line for line in out if line != "") + "\n"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--date", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args(argv)
    try:
        page = make_page(args.program, args.source, args.date)
    except (ManError, OSError, subprocess.SubprocessError) as error:
        print("makemanpage: %s" % error, file=sys.stderr)
        return 1
    # Written aside and moved in place: a failed run leaves no half page.
    temp = args.out + ".tmp"
    with open(temp, "w", encoding="utf-8") as f:
        f.write(page)
    os.replace(temp, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
