#!/usr/bin/env python3
"""Checks that every relative link in the project's documents names a file that exists, and,
where it names a heading (#...), a heading of that file.

usage: check_links.py ROOT

The documents are ROOT's *.md files and those under ROOT/docs. Links to other sites (http:,
https:, mailto:) are not followed. A heading's anchor is made as GitHub makes it: lower case,
punctuation other than '-' dropped, each blank a '-'.
"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")
FENCE = re.compile(r"^```.*?^```", re.M | re.S)


def anchors(path):
    text = FENCE.sub("", path.read_text(encoding="utf-8"))
    found = set()
    for line in text.splitlines():
        heading = re.match(r"#{1,6}\s+(.*?)\s*#*\s*$", line)
        if heading:
            slug = re.sub(r"[^\w\- ]", "", heading.group(1).lower()).replace(" ", "-")
            found.add(slug)
    return found


def check(root):
    documents = sorted(root.glob("*.md")) + sorted((root / "docs").rglob("*.md"))
    failures = []
    for document in documents:
        text = FENCE.sub("", document.read_text(encoding="utf-8"))
        for target in LINK.findall(text):
            if re.match(r"[a-z]+:", target):
                continue
            file, _, anchor = target.partition("#")
            linked = (document.parent / file).resolve() if file else document
            where = f"{document.relative_to(root)}: {target}"
            if not linked.exists():
                failures.append(f"{where}: no such file")
            elif anchor and linked.suffix == ".md" and anchor not in anchors(linked):
                failures.append(f"{where}: no such heading")
    return documents, failures


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    documents, failures = check(root)
    for failure in failures:
        print(failure)
    print(f"{len(documents)} documents, {len(failures)} broken links")
    return 1 if failures or not documents else 0


if __name__ == "__main__":
    sys.exit(main())
