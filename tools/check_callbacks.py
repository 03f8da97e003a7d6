#!/usr/bin/env python3
"""Checks that no C++ exception can leave a callback handed to Windows.

On 32-bit Windows an exception cannot unwind through the system's own frames:
one that leaves a window procedure or an enumeration callback ends the
process. Every function the program defines with the CALLBACK calling
convention (window procedures, enumeration callbacks) must therefore be a
function-try-block with a catch-all handler:

    LRESULT CALLBACK Procedure(HWND window, ...) try {
        ...
    } catch (...) {
        return 0;
    }

so that nothing, not even the first statement, runs outside the try.
Exits with status 1 and lists the callbacks that break the rule. Before it
looks at the tree it checks itself on two samples, one that breaks the rule
and one that keeps it, so that a broken check cannot pass silently.
"""
import os
import re
import sys

SOURCE_DIRECTORIES = ["launcher", "framework", "system", "runtime"]

# A callback definition: return type, CALLBACK, name, parameters, then the body.
DEFINITION = re.compile(r"\bCALLBACK\s+(\w+)\s*\(([^()]*)\)\s*(try\b|\{)")


def strip_comments_and_literals(text):
    """The text with comments, string and character literals blanked out
    (line breaks kept), so that braces inside them do not count."""
    out = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(" " * (end - i))
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(" " * (min(j + 1, n) - i))
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def block_end(text, open_brace):
    """The index just after the brace that closes the one at open_brace."""
    depth = 0
    for i in range(open_brace, len(text)):
        if text[i] == "{":
            depth += 1
        elif text[i] == "}":
            depth -= 1
            if depth == 0:
                return i + 1
    return len(text)


def has_catch_all(text, after_body):
    """Whether the handlers that follow a try block include catch (...)."""
    i = after_body
    while True:
        match = re.compile(r"\s*catch\s*\(([^()]*)\)\s*\{").match(text, i)
        if not match:
            return False
        if match.group(1).strip() == "...":
            return True
        i = block_end(text, match.end() - 1)


def unguarded_callbacks(text):
    """Names of the CALLBACK functions in the text that are not
    function-try-blocks with a catch-all handler."""
    code = strip_comments_and_literals(text)
    problems = []
    for match in DEFINITION.finditer(code):
        name = match.group(1)
        if match.group(3) != "try":
            problems.append(name)
            continue
        body = code.find("{", match.end())
        if body < 0 or not has_catch_all(code, block_end(code, body)):
            problems.append(name)
    return problems


BAD_SAMPLE = """
LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = Adopt(window);  // may raise before the try
    try { control->Handle(message); } catch (...) { Route(); }
    return 0;
}
BOOL CALLBACK Collect(HWND window, LPARAM param) try {
    list.push_back(window);
    return TRUE;
} catch (const Exception&) {
    return FALSE;
}
"""

GOOD_SAMPLE = """
LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);  // a declaration
LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) try {
    if (message == 1) { return Handle("}"); }
    return 0;
} catch (const Exception&) {
    return 1;
} catch (...) {
    return 0;
}
"""


def check_itself():
    found = unguarded_callbacks(BAD_SAMPLE)
    if found != ["Procedure", "Collect"]:
        sys.exit(f"check_callbacks: the check misses unguarded callbacks (found {found})")
    found = unguarded_callbacks(GOOD_SAMPLE)
    if found:
        sys.exit(f"check_callbacks: the check refuses guarded callbacks (found {found})")


def main():
    check_itself()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    problems = []
    for directory in SOURCE_DIRECTORIES:
        for folder, _, files in os.walk(os.path.join(root, directory)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8") as source:
                    for callback in unguarded_callbacks(source.read()):
                        problems.append(f"{os.path.relpath(path, root)}: {callback}")
    if problems:
        print("callbacks handed to Windows without a catch-all function-try-block:")
        for problem in problems:
            print("  " + problem)
        sys.exit(1)
    print("every callback handed to Windows catches everything")


if __name__ == "__main__":
    main()
