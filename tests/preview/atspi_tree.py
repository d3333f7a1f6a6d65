#!/usr/bin/env python3
"""The main window's accessibility tree as a screen reader gets it through
AT-SPI: printed as an indented list, and checked: every focusable control
shown has a name and a role, the page tab list selects the tab of the page
shown, the page tells its page and zoom and gives its text; in English, no
name or description holds Chinese.
Usage: atspi_tree.py zh|en"""
import re
import sys
import time

import pyatspi

UNNAMED_ROLES = {pyatspi.ROLE_INVALID, pyatspi.ROLE_UNKNOWN, pyatspi.ROLE_FILLER}
CJK = re.compile("[\u3000-\u303f\u3400-\u9fff\uff00-\uffef]")
# The program's words the check looks for, in each language.
WORDS = {
    "zh": {"app": "打印预览窗体", "tabs": "页签", "page": "第%d页"},
    "en": {"app": "Print Preview", "tabs": "Page tabs", "page": "Page %d"},
}


def find_app(name, seconds):
    deadline = time.time() + seconds
    seen = set()
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None:
                continue
            seen.add(app.name)
            if app.name == name and app.childCount > 0:
                return app
        time.sleep(0.5)
    print("applications on the bus:", sorted(seen))
    return None


def value_of(node):
    try:
        v = node.queryValue()
        return "%g (%g..%g)" % (v.currentValue, v.minimumValue, v.maximumValue)
    except NotImplementedError:
        return None


def text_of(node, limit):
    try:
        t = node.queryText()
        return t.getText(0, min(limit, t.characterCount)), t.characterCount
    except NotImplementedError:
        return None, 0


def walk(node, depth, out, problems, found):
    states = node.getState()
    focusable = states.contains(pyatspi.STATE_FOCUSABLE)
    showing = states.contains(pyatspi.STATE_SHOWING)
    role = node.getRole()
    line = "%s%s \"%s\"" % ("  " * depth, node.getRoleName(), node.name)
    marks = [m for m, s in (("focusable", pyatspi.STATE_FOCUSABLE), ("focused", pyatspi.STATE_FOCUSED),
                            ("selected", pyatspi.STATE_SELECTED)) if states.contains(s)]
    if marks:
        line += " [" + ",".join(marks) + "]"
    value = value_of(node)
    if value:
        line += " value=" + value
    if node.description:
        line += " desc=\"%s\"" % node.description
    if role == pyatspi.ROLE_DOCUMENT_FRAME or role == pyatspi.ROLE_DOCUMENT_TEXT:
        text, count = text_of(node, 60)
        found["page"] = (node.name, count)
        if text is not None:
            line += " text(%d)=\"%s…\"" % (count, text.replace("\n", " / "))
    out.append(line)
    if found["english"] and (CJK.search(node.name) or CJK.search(node.description)):
        problems.append("Chinese in English: " + line.strip())
    if focusable and showing and (not node.name.strip() or role in UNNAMED_ROLES):
        problems.append("unnamed focusable control: " + line.strip())
    if role == pyatspi.ROLE_PAGE_TAB_LIST and node.name == found["words"]["tabs"]:
        found["tabs"] = [c.name for c in node if c is not None and c.getState().contains(pyatspi.STATE_SELECTED)]
    # Menus are listed, their items are not: they are the commands' names.
    if role == pyatspi.ROLE_MENU and depth > 3:
        return
    for child in node:
        if child is not None and depth < 30:
            walk(child, depth + 1, out, problems, found)


def main():
    language = sys.argv[1] if len(sys.argv) > 1 else "zh"
    words = WORDS[language]
    first, second_name = words["page"] % 1, words["page"] % 2
    app = find_app(words["app"], 60)
    if app is None:
        print("the program did not appear on the accessibility bus")
        return 1
    # The window lays itself out after it appears.
    time.sleep(2)
    out, problems, found = [], [], {"english": language == "en", "words": words}
    walk(app, 0, out, problems, found)
    print("\n".join(out))
    if found.get("tabs") != [first]:
        problems.append("page tab list selects %r, not the first page" % (found.get("tabs"),))
    # Pressing a tab through AT-SPI turns to its page, as a click does.
    tablist = pyatspi.findDescendant(app, lambda n: n is not None and n.getRole() == pyatspi.ROLE_PAGE_TAB_LIST)
    second = [t for t in tablist if t is not None and t.name == second_name] if tablist else []
    if second:
        action = second[0].queryAction()
        action.doAction([action.getName(i).lower() for i in range(action.nActions)].index("press"))
        time.sleep(1)
        selected = [t.name for t in tablist if t is not None and t.getState().contains(pyatspi.STATE_SELECTED)]
        page = pyatspi.findDescendant(app, lambda n: n is not None and n.getRole() == pyatspi.ROLE_DOCUMENT_FRAME)
        print("after pressing %s: selected %s, page \"%s\"" % (second_name, selected, page.description if page else None))
        if selected != [second_name] or not page or not page.description.startswith(second_name):
            problems.append("pressing the tab %s did not turn to page 2" % second_name)
    else:
        problems.append("no tab %s in the page tab list" % second_name)
    if "page" not in found or found["page"][1] == 0:
        problems.append("the page gives no text")
    for p in problems:
        print("PROBLEM:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
