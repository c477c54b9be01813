#!/usr/bin/python3
"""Prints the captions of Tastiva's 32 keys from left to right, as a screen reader reads them.

A key's accessible name ends with its caption ("C4, key Z" or just "Z")."""
import sys

import pyatspi

BUTTONS = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX}


def keyboard(node):
    """The 32 keys: the buttons of the one object that holds that many."""
    children = [c for c in node if c is not None]
    buttons = [c for c in children if c.getRole() in BUTTONS]
    if len(buttons) == 32:
        return buttons
    for child in children:
        found = keyboard(child)
        if found:
            return found
    return None


def main():
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [a for a in desktop if a is not None and a.name.lower() == "tastiva"]
    keys = keyboard(apps[0]) if apps else None
    if not keys:
        sys.exit("no Tastiva keyboard on the accessibility bus")
    # Keys stand in index order from left to right.
    keys.sort(key=lambda k: k.queryComponent().getExtents(pyatspi.WINDOW_COORDS).x)
    print(" ".join(k.name.rpartition("key ")[2] for k in keys))


main()
