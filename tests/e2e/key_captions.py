#!/usr/bin/python3
"""Prints the captions of Tastiva's 32 keys from left to right, as a screen reader reads them.

A key's accessible name ends with its caption ("C4, key Z"). Imported, it finds the program's
window and its keys on the accessibility bus."""
import sys

import pyatspi

BUTTONS = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX}


def window():
    """The main window: the object that holds the 32 keys."""
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None and a.name.lower() == "tastiva"]
    found = holder(apps[0]) if apps else None
    if not found:
        sys.exit("no Tastiva keyboard on the accessibility bus")
    return found


def holder(node):
    children = [c for c in node if c is not None]
    if len([c for c in children if c.getRole() in BUTTONS]) == 32:
        return node
    for child in children:
        found = holder(child)
        if found:
            return found
    return None


def keys(win):
    """The 32 keys in index order, which is their order from left to right."""
    found = [c for c in win if c is not None and c.getRole() in BUTTONS]
    return sorted(found, key=lambda k: k.queryComponent().getExtents(pyatspi.WINDOW_COORDS).x)


if __name__ == "__main__":
    print(" ".join(k.name.rpartition("key ")[2] for k in keys(window())))
