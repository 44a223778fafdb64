#!/usr/bin/env python3
"""Generates the panel and control numbers of one panel resource.

A resource is a folder "<Name>.uir" holding one Qt Designer file per panel, named
"<NN>-<what>.ui" where NN is the panel number. In each file the root widget is the
panel; its objectName names the panel. Every widget with the dynamic property
"ctrl" (an integer) is an addressable control, named <PANEL>_<objectName>.
The header gets one constant per panel and per control, in a namespace named after
the resource in lower case. Duplicate numbers or names fail the build.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET


def prop(widget, name):
    for p in widget.findall("property"):
        if p.get("name") == name:
            for child in p:
                return child.text
    return None


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: gen_panel_ids.py <Resource.uir folder> <output header>")
    folder, out = sys.argv[1], sys.argv[2]
    resource = os.path.basename(folder.rstrip("/"))
    ns = re.sub(r"\W", "_", resource[:-4] if resource.endswith(".uir") else resource).lower()
    lines = []
    errors = []
    panels = {}
    for fname in sorted(os.listdir(folder)):
        m = re.match(r"^(\d+)-.*\.ui$", fname)
        if not m:
            continue
        number = int(m.group(1))
        root = ET.parse(os.path.join(folder, fname)).getroot().find("widget")
        pname = root.get("name")
        if number in panels.values():
            errors.append(f"{fname}: panel number {number} used twice")
        panels[pname] = number
        lines.append(f"\n// {fname}")
        lines.append(f"inline constexpr int {pname} = {number};")
        seen_ids, seen_names = {}, set()
        for w in root.iter("widget"):
            if w is root:
                continue
            cid = prop(w, "ctrl")
            if cid is None:
                continue
            name = w.get("name")
            cid = int(cid)
            if cid in seen_ids:
                errors.append(f"{fname}: control {cid} used by {name} and {seen_ids[cid]}")
            if name in seen_names:
                errors.append(f"{fname}: control name {name} used twice")
            seen_ids[cid] = name
            seen_names.add(name)
            lines.append(f"inline constexpr int {pname}_{name} = {cid};")
    if errors:
        sys.exit("\n".join(errors))
    text = ("// Generated from the panel resource " + resource + ": do not edit.\n"
            "#pragma once\n\nnamespace " + ns + " {\n" + "\n".join(lines) + "\n\n}  // namespace " + ns + "\n")
    os.makedirs(os.path.dirname(out), exist_ok=True)
    old = open(out).read() if os.path.exists(out) else None
    if old != text:
        with open(out, "w") as f:
            f.write(text)


if __name__ == "__main__":
    main()
