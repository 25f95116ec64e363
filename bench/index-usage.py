#!/usr/bin/env python3
"""Which of our indexes the measured paths use.

Reads the statements the program logged (QT_LOGGING_RULES="mochen.sql.debug=true",
lines "mochen.sql: <statement>") while the benchmark ran, asks SQLite for the plan of
each distinct statement on a generated shop, and prints for every index of dbset.xml
how many statements use it, with an example; indexes that no measured path uses are
listed too.

    python3 bench/index-usage.py LOG DB dbset.xml
"""
import re
import sqlite3
import sys
import xml.etree.ElementTree as ET

log_path, db_path, dbset_path = sys.argv[1:4]
indexes = []
for el in ET.parse(dbset_path).getroot().iter("CreateTable"):
    m = re.search(r"CREATE INDEX IF NOT EXISTS (\w+) ON (\w+)\(([^)]*)\)", el.get("SqlStr") or "")
    if m:
        indexes.append((m.group(1), f"{m.group(2)}({m.group(3)})"))

statements = []
seen = set()
for line in open(log_path, encoding="utf-8", errors="replace"):
    m = re.search(r"mochen\.sql: (.*)$", line.rstrip("\n"))
    if not m:
        continue
    sql = m.group(1).strip()
    if sql.startswith('"') and sql.endswith('"'):
        continue
    head = sql.split(None, 1)[0].lower() if sql else ""
    if head not in ("select", "insert", "update", "delete", "with"):
        continue
    if sql in seen:
        continue
    seen.add(sql)
    statements.append(sql)

con = sqlite3.connect(f"file:{db_path}?mode=ro", uri=True)
uses = {name: [] for name, _ in indexes}
for sql in statements:
    try:
        plan = con.execute("EXPLAIN QUERY PLAN " + sql).fetchall()
    except sqlite3.Error:
        continue
    text = " ".join(str(r[-1]) for r in plan)
    for name, _ in indexes:
        if re.search(r"\b" + re.escape(name) + r"\b", text):
            uses[name].append(sql)

print(f"{len(statements)} distinct statements of the measured paths\n")
print("| index | on | statements using it | example |")
print("|---|---|---|---|")
for name, on in indexes:
    ex = uses[name][0][:90].replace("|", "/") + "…" if uses[name] else ""
    print(f"| {name} | {on} | {len(uses[name])} | {ex} |")
