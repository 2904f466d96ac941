#!/usr/bin/env python3
"""Manual pages and shell completions made from the programs' own --help.

Usage:
  help_docs.py man QVADDIN WORKBENCH VERSION OUT_DIR
  help_docs.py completions QVADDIN OUT_DIR

The build runs the programs it just built, so that the pages and the
completions say what the programs say: a command or option added to the
program shows up in both without another edit. The programs run with their
settings folder in a temporary place, since a first run stores defaults.
"""
import os
import re
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field

TARGET_SUFFIXES = ["vbp", "vbg", "bas", "cls", "frm", "ctl", "pag", "dob", "dsr"]

# How the value of an option is completed; options not named take any text.
VALUE_KINDS = {
    "format": ("words", "text json csv sarif"),
    "scope": ("words", "module project group"),
    "project": ("names", "projects"),
    "module": ("names", "modules"),
    "routine": ("names", "routines"),
    "source-root": ("dirs", ""),
    "from-file": ("files", ""),
}


@dataclass
class Entry:
    term: str
    text: str


@dataclass
class Section:
    title: str  # "" for paragraphs
    lines: list = field(default_factory=list)
    entries: list = field(default_factory=list)


@dataclass
class Option:
    names: list
    value: str  # "" for a switch
    text: str


def run_help(args, settings_dir):
    env = dict(os.environ, XDG_CONFIG_HOME=settings_dir, QT_QPA_PLATFORM="offscreen",
               XDG_RUNTIME_DIR=settings_dir)
    done = subprocess.run(args, capture_output=True, text=True, env=env, timeout=60)
    if done.returncode != 0:
        sys.exit(f"help_docs: {' '.join(args)} exited {done.returncode}: {done.stderr}")
    return done.stdout


def sections(help_text):
    """The blocks of a help text: "Title:" blocks of entries, else paragraphs."""
    result = []
    for block in re.split(r"\n\s*\n", help_text.strip("\n")):
        lines = block.split("\n")
        if re.fullmatch(r"[A-Z][A-Za-z ]*:", lines[0].strip()):
            section = Section(lines[0].strip()[:-1])
            for line in lines[1:]:
                match = re.match(r"^  (\S.*?)(?:\s{2,}(.*))?$", line)
                if match and not line.startswith("   "):
                    section.entries.append(Entry(match.group(1), match.group(2) or ""))
                elif section.entries:
                    section.entries[-1].text += " " + line.strip()
            result.append(section)
        else:
            result.append(Section("", lines))
    return result


def options_of(help_text):
    options = []
    for section in sections(help_text):
        if section.title not in ("Options", "Global options"):
            continue
        for entry in section.entries:
            names = re.findall(r"--?[\w-]+", entry.term.split(" <")[0].split(" text|")[0])
            value = re.search(r"<[^>]+>|\s\S+\|\S+", entry.term)
            options.append(Option(names, value.group(0).strip() if value else "", entry.text))
    return options


def commands_of(help_text):
    for section in sections(help_text):
        if section.title == "Commands":
            return [(e.term, e.text.strip()) for e in section.entries]
    return []


# ---------------------------------------------------------------- manual pages

def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text.startswith((".", "'")) else text


def usage_line(line, name):
    # Qt names the program as started (a path): the page names it.
    return re.sub(r"^Usage: \S+", "Usage: " + name, line)


def man_page(name, version, summary, help_text, see_also, program=None):
    out = [f'.TH {name.upper()} 1 "" "qvaddin {version}" "User Commands"',
           ".SH NAME", f"{roff(name)} \\- {roff(summary)}"]
    description, exit_status = [], []
    for section in sections(help_text):
        if not section.title:
            lines = [usage_line(line, program or name) for line in section.lines]
            if lines[0].startswith("Usage: "):
                out += [".SH SYNOPSIS", ".nf", roff(lines[0][len("Usage: "):]), ".fi"]
                lines = lines[1:]
            paragraph = " ".join(line.strip() for line in lines if line.strip())
            if paragraph:
                (exit_status if paragraph.startswith("Exit codes") else description).append(paragraph)
            continue
        if description:
            out += [".SH DESCRIPTION"] + [f".PP\n{roff(p)}" for p in description]
            description = []
        out.append(".SH " + roff(section.title.upper()))
        for entry in section.entries:
            out += [".TP", f"\\fB{roff(entry.term)}\\fR", roff(entry.text.strip())]
    if description:
        out += [".SH DESCRIPTION"] + [f".PP\n{roff(p)}" for p in description]
    if exit_status:
        out += [".SH EXIT STATUS"] + [f".PP\n{roff(p)}" for p in exit_status]
    if see_also:
        out += [".SH SEE ALSO", ",\n".join(f"\\fB{roff(page)}\\fR(1)" for page in see_also)]
    return "\n".join(out) + "\n"


def write_man_pages(qvaddin, workbench, version, out_dir, settings_dir):
    os.makedirs(out_dir, exist_ok=True)
    general = run_help([qvaddin, "--help"], settings_dir)
    commands = commands_of(general)
    pages = ["qvaddin"] + [f"qvaddin-{c}" for c, _ in commands] + ["qvaddin-workbench"]
    summary = "a coding assistant for Visual Basic 5/6 code"

    def write(page, text):
        with open(os.path.join(out_dir, page + ".1"), "w", encoding="utf-8") as f:
            f.write(text)

    write("qvaddin", man_page("qvaddin", version, summary, general, pages[1:]))
    for command, command_summary in commands:
        text = run_help([qvaddin, command, "--help"], settings_dir)
        write(f"qvaddin-{command}",
              man_page(f"qvaddin-{command}", version, command_summary.rstrip("."), text,
                       ["qvaddin"], program="qvaddin"))
    if workbench:
        text = run_help([workbench, "--help"], settings_dir)
        write("qvaddin-workbench",
              man_page("qvaddin-workbench", version, "a small VB6-style IDE with the qvaddin add-in",
                       text, ["qvaddin"]))


# ------------------------------------------------------------- completions

def gather(qvaddin, settings_dir):
    general = run_help([qvaddin, "--help"], settings_dir)
    commands = []
    for name, summary in commands_of(general):
        text = run_help([qvaddin, name, "--help"], settings_dir)
        keys = re.search(r"Keys: ([\w, ]+)\.", " ".join(text.split()))
        words = []
        if keys:
            words = ["get", "set", "reset"] + [k.strip() for k in keys.group(1).split(",")]
        commands.append((name, summary, options_of(text), words))
    return options_of(general), commands


def long_name(option):
    return next((n for n in option.names if n.startswith("--")), option.names[0])


def value_kind(option):
    return VALUE_KINDS.get(long_name(option)[2:], ("any", "")) if option.value else None


def bash_script(global_options, commands):
    valued = sorted({long_name(o) for _, _, opts, _ in commands for o in opts if o.value} |
                    {long_name(o) for o in global_options if o.value})
    value_cases = []
    for name in valued:
        option = next(o for _, _, opts, _ in commands for o in opts + global_options
                      if long_name(o) == name)
        kind, what = value_kind(option)
        action = {"words": f'COMPREPLY=($(compgen -W "{what}" -- "$cur"))',
                  "names": f'COMPREPLY=($(compgen -W "$(_qvaddin_names {what})" -- "$cur"))',
                  "dirs": 'COMPREPLY=($(compgen -d -- "$cur"))',
                  "files": 'COMPREPLY=($(compgen -f -- "$cur"))',
                  "any": "COMPREPLY=()"}[kind]
        value_cases.append(f"        {name}) {action}; return ;;")
    option_cases = []
    for name, _, options, words in commands:
        flat = " ".join(n for o in options for n in o.names if n.startswith("--"))
        option_cases.append(f'        {name}) options="{flat}"; words="{" ".join(words)}" ;;')
    suffixes = "|".join(f"*.{s}|*.{s.upper()}" for s in TARGET_SUFFIXES)
    return BASH_TEMPLATE.format(
        commands=" ".join(c for c, _, _, _ in commands),
        global_options=" ".join(n for o in global_options for n in o.names if n.startswith("--")),
        valued="|".join(valued), value_cases="\n".join(value_cases),
        option_cases="\n".join(option_cases), suffixes=suffixes)


BASH_TEMPLATE = r"""# bash completion for qvaddin: commands, options, and the projects, modules
# and routines of the target named on the line (made from qvaddin --help).

# The first word of the line that names a project, group or module file.
_qvaddin_target() {{
    local word
    for word in "${{COMP_WORDS[@]:1}}"; do
        case "$word" in
            {suffixes}) [ -f "$word" ] && {{ printf '%s\n' "$word"; return; }} ;;
        esac
    done
}}

# projects, modules or routines of the target, as "qvaddin list" shows them.
_qvaddin_names() {{
    local target
    target=$(_qvaddin_target)
    [ -n "$target" ] || return
    "${{COMP_WORDS[0]}}" list "$target" 2>/dev/null | awk -v kind="$1" '
        kind == "projects" && /^[^ ]/ {{ print $1 }}
        kind == "modules" && /^  [^ ]/ {{ print $1 }}
        kind == "routines" && /^    [^ ]/ {{ print $NF }}' | sort -u
}}

_qvaddin() {{
    local cur=${{COMP_WORDS[COMP_CWORD]}} prev=${{COMP_WORDS[COMP_CWORD-1]}}
    local command="" i word options="" words=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${{COMP_WORDS[i]}}
        case "$word" in
            {valued}) ((i++)) ;;
            -*) ;;
            *) command=$word; break ;;
        esac
    done
    case "$prev" in
{value_cases}
    esac
    if [ -z "$command" ]; then
        if [[ "$cur" == -* ]]; then
            COMPREPLY=($(compgen -W "{global_options}" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "{commands}" -- "$cur"))
        fi
        return
    fi
    case "$command" in
{option_cases}
    esac
    if [[ "$cur" == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    if [ -n "$words" ]; then
        COMPREPLY=($(compgen -W "$words" -- "$cur"))
        return
    fi
    # A target: project, group and module files, and folders to go into.
    local file
    COMPREPLY=()
    while IFS= read -r file; do
        if [ -d "$file" ]; then
            COMPREPLY+=("$file/")
        else
            case "$file" in {suffixes}) COMPREPLY+=("$file") ;; esac
        fi
    done < <(compgen -f -- "$cur")
    compopt -o nospace -o filenames 2>/dev/null
}}
complete -F _qvaddin qvaddin
"""


def zsh_quote(text):
    return re.sub(r"[\[\]:'\\]", "", text)


def zsh_script(global_options, commands):
    def specs(options):
        out = []
        for option in options:
            text = zsh_quote(option.text.split(". ")[0])[:70]
            kind = value_kind(option)
            action = ""
            if kind:
                k, what = kind
                action = {"words": f":value:({what})", "names": f":name:_qvaddin_names {what}",
                          "dirs": ":folder:_files -/", "files": ":file:_files", "any": ":value: "}[k]
            for n in option.names:
                out.append(f"'{n}[{text}]{action}'")
        return out

    indent = " \\\n                "
    command_list = "\n".join(f"            '{c}:{zsh_quote(s)}'" for c, s, _, _ in commands)
    cases = []
    for name, _, options, words in commands:
        rest = f"'*:word:({' '.join(words)})'" if words else "'*:target:_qvaddin_targets'"
        cases.append(f"        {name})\n            _arguments -s{indent}" +
                     indent.join(specs(options) + [rest]) + "\n            ;;")
    return ZSH_TEMPLATE.format(
        globals=indent.join(specs(global_options)), commands=command_list, cases="\n".join(cases),
        suffixes="|".join(TARGET_SUFFIXES + [s.upper() for s in TARGET_SUFFIXES]))


ZSH_TEMPLATE = r"""#compdef qvaddin
# zsh completion for qvaddin: commands, options, and the projects, modules
# and routines of the target named on the line (made from qvaddin --help).

_qvaddin_targets() {{
    _files -g '*.({suffixes})(-.)'
}}

_qvaddin_names() {{
    local target word
    for word in ${{words[1,-1]}}; do
        [[ $word == *.({suffixes}) && -f $word ]] && {{ target=$word; break }}
    done
    [[ -n $target ]] || return 1
    local -a names
    names=(${{(f)"$($qvaddin_program list $target 2>/dev/null | awk -v kind=$1 '
        kind == "projects" && /^[^ ]/ {{ print $1 }}
        kind == "modules" && /^  [^ ]/ {{ print $1 }}
        kind == "routines" && /^    [^ ]/ {{ print $NF }}' | sort -u)"}})
    compadd -a names
}}

_qvaddin() {{
    # The program as the line names it; the words shift below.
    local qvaddin_program=${{words[1]}}
    local curcontext=$curcontext state line
    typeset -A opt_args
    _arguments -C \
                {globals} \
        '1:command:->command' \
        '*::argument:->argument'
    case $state in
    command)
        local -a commands
        commands=(
{commands}
        )
        _describe -t commands 'qvaddin command' commands
        ;;
    argument)
        case $line[1] in
{cases}
        esac
        ;;
    esac
}}

_qvaddin "$@"
"""


def fish_script(global_options, commands):
    out = ["# fish completion for qvaddin: commands, options, and the projects, modules",
           "# and routines of the target named on the line (made from qvaddin --help).",
           "",
           "function __qvaddin_names",
           "    set -l target",
           "    for word in (commandline -opc)[2..-1]",
           f"        if string match -qri '\\.({'|'.join(TARGET_SUFFIXES)})$' -- $word; and test -f $word",
           "            set target $word",
           "            break",
           "        end",
           "    end",
           "    test -n \"$target\"; or return",
           "    set -l program (commandline -opc)[1]",
           "    $program list $target 2>/dev/null | awk -v kind=$argv[1] '",
           "        kind == \"projects\" && /^[^ ]/ { print $1 }",
           "        kind == \"modules\" && /^  [^ ]/ { print $1 }",
           "        kind == \"routines\" && /^    [^ ]/ { print $NF }' | sort -u",
           "end",
           "",
           "complete -c qvaddin -f",
           f"set -l qvaddin_commands {' '.join(c for c, _, _, _ in commands)}"]

    def option_line(condition, option):
        parts = ["complete -c qvaddin", f"-n '{condition}'"]
        for n in option.names:
            parts.append(f"-l {n[2:]}" if n.startswith("--") else f"-s {n[1:]}")
        kind = value_kind(option)
        if kind:
            k, what = kind
            # -x: the value, and no file names besides; -r -F: a file.
            parts.append({"words": f"-x -a '{what}'", "names": f"-x -a '(__qvaddin_names {what})'",
                          "dirs": "-x -a '(__fish_complete_directories)'", "files": "-r -F",
                          "any": "-x"}[k])
        text = option.text.split(". ")[0].replace("'", "")[:70]
        parts.append(f"-d '{text}'")
        return " ".join(p for p in parts if p)

    for option in global_options:
        out.append(option_line("__fish_use_subcommand", option))
    for name, summary, options, words in commands:
        text = summary.replace("'", "")[:70]
        out.append(f"complete -c qvaddin -n '__fish_use_subcommand' -a {name} -d '{text}'")
        condition = f"__fish_seen_subcommand_from {name}"
        for option in options:
            out.append(option_line(condition, option))
        valued = " ".join(long_name(o) for o in options if o.value)
        if valued:
            condition += f"; and not __fish_prev_arg_in {valued}"
        if words:
            out.append(f"complete -c qvaddin -n '{condition}' -a '{' '.join(words)}'")
        else:
            suffixes = "; ".join(f"__fish_complete_suffix .{s}" for s in TARGET_SUFFIXES)
            out.append(f"complete -c qvaddin -n '{condition}' -a '({suffixes})'")
    return "\n".join(out) + "\n"


def write_completions(qvaddin, out_dir, settings_dir):
    os.makedirs(out_dir, exist_ok=True)
    global_options, commands = gather(qvaddin, settings_dir)
    for file_name, text in (("qvaddin.bash", bash_script(global_options, commands)),
                            ("_qvaddin", zsh_script(global_options, commands)),
                            ("qvaddin.fish", fish_script(global_options, commands))):
        with open(os.path.join(out_dir, file_name), "w", encoding="utf-8") as f:
            f.write(text)


def main():
    with tempfile.TemporaryDirectory() as settings_dir:
        if len(sys.argv) == 6 and sys.argv[1] == "man":
            write_man_pages(sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5], settings_dir)
        elif len(sys.argv) == 4 and sys.argv[1] == "completions":
            write_completions(sys.argv[2], sys.argv[3], settings_dir)
        else:
            sys.exit(__doc__)


if __name__ == "__main__":
    main()
