#!/usr/bin/env python3
"""Writes a world of three displays (the first dedicated to the assistant), windows of many applications and many
projects, some with desktops, for screenshots and timings of the windows tab.

usage: windows_tab_world.py [--windows N] [--applications N] [--projects N] [--appearance light|dark]
                            [--script JSON] > world.json
"""
import argparse
import json

APPLICATIONS = ["Safari", "Terminal", "Xcode", "Notes", "Mail", "Calendar", "Finder", "Preview", "Music",
                "Slack", "Figma", "Visual Studio Code", "Zed", "iTerm", "Messages", "Photos", "Numbers", "Pages",
                "Keynote", "TextEdit", "Reminders", "Maps", "Console", "Activity Monitor", "Simulator", "Docker",
                "Postman", "Linear", "Notion", "Things", "Arc", "Firefox", "Chrome", "Obsidian", "Bear", "Spotify",
                "Zoom", "Discord", "Telegram", "Tower"]
TITLES = ["README.md — {p}", "main.swift", "Pull request #{n}", "Build log {n}", "Draft {n}", "Design review",
          "Inbox — {n} messages", "Café & croissants {n}", "Release notes {n}", "Issue {n} | triage"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows", type=int, default=120)
    parser.add_argument("--applications", type=int, default=25)
    parser.add_argument("--projects", type=int, default=30)
    parser.add_argument("--desktops", type=int, default=3, help="ordinary desktops of each display")
    parser.add_argument("--appearance", default="light")
    parser.add_argument("--script", default="[]")
    args = parser.parse_args()

    displays = []
    space = 1
    for index in range(3):
        ident = "D%d000000-0000-4000-8000-00000000000%d" % (index + 1, index + 1)
        spaces = []
        for _ in range(args.desktops):
            spaces.append({"id": space, "uuid": "5%07d-0000-4000-8000-000000000000" % space})
            space += 1
        width, height = [(1512, 982), (2560, 1440), (1920, 1080)][index]
        x = [0, 1512, 4072][index]
        displays.append({"id": ident, "number": index + 1,
                         "name": ["Built-in Retina Display", "DELL U2723QE", "LG HDR 4K"][index],
                         "main": index == 0, "frame": [x, 0, width, height],
                         "visibleFrame": [x, 0, width, height - 25], "spaces": spaces})
    applications = [{"pid": 501, "bundleID": "com.openai.codex", "name": "Codex", "launched": 1796000000}]
    for index in range(args.applications):
        name = APPLICATIONS[index % len(APPLICATIONS)] + ("" if index < len(APPLICATIONS) else " %d" % index)
        applications.append({"pid": 1000 + index, "bundleID": "com.example.app%d" % index, "name": name,
                             "launched": 1796000000 + index})
    windows = [{"number": 100, "pid": 501, "title": "Codex", "frame": [100, 60, 1200, 820], "spaces": [1]}]
    all_spaces = [s["id"] for d in displays for s in d["spaces"]]
    for index in range(args.windows):
        app = applications[1 + index % args.applications]
        display = 1 + index % 2
        origin_x = displays[display]["frame"][0] + 40 + (index * 37) % 600
        title = TITLES[index % len(TITLES)].format(p="projet %d" % (index % 7), n=index + 1)
        windows.append({"number": 2000 + index, "pid": app["pid"], "title": title,
                        "frame": [origin_x, 60 + (index * 23) % 300, 900, 640],
                        "spaces": [all_spaces[args.desktops * display + index % args.desktops]]})
    projects = []
    for index in range(args.projects):
        projects.append({"id": "p-%02d" % index, "name": "Projet %d" % (index + 1) if index % 3 else
                         "Équipe %d & co" % (index + 1),
                         "rootPaths": ["/Users/demo/src/projet-%d" % (index + 1)]})
    # The first projects have a desktop of a content display, by number as an earlier version stored them.
    numbers = {"p-%02d" % index: args.desktops + 1 + index for index in range(min(2 * args.desktops, args.projects))}
    world = {
        "displays": displays,
        "appearance": args.appearance,
        "permissions": {"accessibility": True, "postEvents": True, "screenCapture": True},
        "applications": applications,
        "frontmost": applications[1]["bundleID"],
        "windows": windows,
        "defaults": {"assistantScreenID": displays[0]["id"], "projectDesktops": numbers},
        "assistant": {"projects": projects, "conversations": {}},
        "script": json.loads(args.script),
    }
    print(json.dumps(world, indent=1, ensure_ascii=False))


if __name__ == "__main__":
    main()
