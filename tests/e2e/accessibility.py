#!/usr/bin/python3
"""Reads and drives Tastiva's window through the accessibility bus, as a screen reader does.

  accessibility.py names             each list's name and shortcut, each label's name and each
                                     key's, by index
  accessibility.py state INDEX       the key's pressed states ("checked pressed" or "released")
  accessibility.py press INDEX       the key's Press action; prints the state changes announced
  accessibility.py select LIST ROW   the entry's own action in the list named LIST
  accessibility.py choose LIST ROW   the entry's row selected through the list's table
"""
import sys

import pyatspi
from gi.repository import GLib

from key_captions import keys, window


def named_list(win, name):
    for child in win:
        if child is not None and child.getRole() == pyatspi.ROLE_LIST and child.name == name:
            return child
    sys.exit(f"no list named {name!r}")


def names(win):
    for child in win:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_LIST:
            action = child.queryAction()
            bindings = {action.getKeyBinding(i) for i in range(action.nActions)}
            print(f"list {child.name} {' '.join(sorted(bindings))}")
        elif child.getRole() == pyatspi.ROLE_LABEL:
            for relation in child.getRelationSet():
                if relation.getRelationType() == pyatspi.RELATION_LABEL_FOR:
                    print(f"label {child.name} for {relation.getTarget(0).name}")
    for index, key in enumerate(keys(win)):
        print(f"key {index} {key.name}")


def state(key):
    states = key.getState()
    shown = [n for n, s in (("checked", pyatspi.STATE_CHECKED), ("pressed", pyatspi.STATE_PRESSED))
             if states.contains(s)]
    print(" ".join(shown) or "released")


def act(node, name):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == name:
            return action.doAction(i)
    sys.exit(f"{node.name!r} has no action {name!r}")


def press(key):
    """Presses once the listener is in place; ends after two changes or 3 s."""
    seen = []

    def changed(event):
        seen.append(f"{event.source.name} checked {event.detail1}")
        if len(seen) == 2:
            pyatspi.Registry.stop()

    pyatspi.Registry.registerEventListener(changed, "object:state-changed:checked")
    GLib.timeout_add(300, lambda: act(key, "Press") and False)
    GLib.timeout_add(3300, lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    print("\n".join(seen))


def main(command, *args):
    win = window()
    if command == "names":
        names(win)
    elif command in ("state", "press"):
        key = keys(win)[int(args[0])]
        state(key) if command == "state" else press(key)
    elif command == "select":
        act(named_list(win, args[0]).getChildAtIndex(int(args[1])), "Toggle")
    elif command == "choose":
        named_list(win, args[0]).queryTable().addRowSelection(int(args[1]))
    else:
        sys.exit(__doc__)


main(*sys.argv[1:])
