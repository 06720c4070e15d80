#!/usr/bin/python3
"""Measures the shell as a user runs it: time until the status item is registered with a
panel, resident memory before and after the popover first opens, and CPU time per minute
while a task runs with the popover closed.

Usage: bench/shell/measure_shell.py BUILD_DIR [--cpu-seconds N] [--away-minutes N]
(--away-minutes 0 turns off watching for time away, to measure what it costs.)
Runs under Xvfb (xvfb-run) with a private session bus and a stand-in panel that records
when the item registers. Prints numbers; asserts nothing.
"""
import argparse
import os
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import uuid

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"


class Watcher(dbus.service.Object):
    def __init__(self, bus):
        self.registered_at = None
        self.service = None
        name = dbus.service.BusName(WATCHER, bus)
        super().__init__(name, "/StatusNotifierWatcher")

    @dbus.service.method(WATCHER, in_signature="s", out_signature="", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        if self.registered_at is None:
            self.registered_at = time.monotonic()
            self.service = sender if not service.startswith(":") and "/" in service else service

    @dbus.service.method(WATCHER, in_signature="s", out_signature="")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, prop):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": 0,
                "RegisteredStatusNotifierItems": dbus.Array([], signature="s")}[prop]

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"IsStatusNotifierHostRegistered": True, "ProtocolVersion": 0}


def memory(pid):
    rss = pss = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith("Pss:"):
                pss = int(line.split()[1])
    return rss / 1024.0, pss / 1024.0


def top_mappings(pid, count=int(os.environ.get("TIMEGLAS_MEASURE_MAPPINGS", "12"))):
    sizes = {}
    name = ""
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            head = line.split()
            if "-" in head[0] and len(head) >= 5:
                name = head[5] if len(head) > 5 else "[anon]"
            elif head[0] == "Rss:":
                sizes[name] = sizes.get(name, 0) + int(head[1])
    for n, kb in sorted(sizes.items(), key=lambda kv: -kv[1])[:count]:
        print(f"    {kb / 1024.0:6.1f} MB  {n}")


def cpu_seconds(pid):
    # Nanoseconds on the CPU, summed over the threads that are alive: finer than the
    # 10 ms clock ticks of /proc/<pid>/stat, which a quiet program hardly moves.
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:
            pass
    return total / 1e9


def seed_running_task(data_home):
    path = os.path.join(data_home, "timeglas", "timeglas.sqlite")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    db = sqlite3.connect(path)
    db.executescript("""
        CREATE TABLE Task (id TEXT PRIMARY KEY NOT NULL, name TEXT NOT NULL, date REAL NOT NULL,
            accumulatedSeconds INTEGER NOT NULL, lastStartTime REAL, sortOrder INTEGER NOT NULL,
            createdAt REAL NOT NULL, projectCode TEXT);
        CREATE TABLE TaskTemplate (id TEXT PRIMARY KEY NOT NULL, name TEXT NOT NULL, projectCode TEXT,
            sortOrder INTEGER NOT NULL, createdAt REAL NOT NULL);
        CREATE TABLE ProjectCode (id TEXT PRIMARY KEY NOT NULL, code TEXT NOT NULL, name TEXT NOT NULL,
            sortOrder INTEGER NOT NULL, createdAt REAL NOT NULL);
        CREATE TABLE ClosedDay (id TEXT PRIMARY KEY NOT NULL, date REAL NOT NULL,
            billableHours REAL NOT NULL, closedAt REAL NOT NULL);
        PRAGMA user_version = 10000;
    """)
    now = time.time()
    midnight = time.mktime(time.localtime(now)[:3] + (0, 0, 0, 0, 0, -1))
    db.execute("INSERT INTO Task VALUES (?, ?, ?, ?, ?, ?, ?, NULL)",
               (str(uuid.uuid4()).upper(), "Måling", midnight, 120, now - 30, 0, now))
    db.commit()
    db.close()


def run(build, binary_env, running_task, seconds, away_minutes=None):
    tmp = tempfile.mkdtemp(prefix="timeglas-measure-")
    env = dict(binary_env)
    env["XDG_DATA_HOME"] = os.path.join(tmp, "data")
    env["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
    if away_minutes is not None:
        os.makedirs(os.path.join(env["XDG_CONFIG_HOME"], "timeglas"))
        conf = os.path.join(env["XDG_CONFIG_HOME"], "timeglas", "timeglas.conf")
        with open(os.open(conf, os.O_WRONLY | os.O_CREAT, 0o600), "w") as f:
            f.write(f"[General]\nawayMinutes={away_minutes}\n")
    env["XDG_RUNTIME_DIR"] = os.path.join(tmp, "run")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    if running_task:
        seed_running_task(env["XDG_DATA_HOME"])
    started = time.monotonic()
    proc = subprocess.Popen([os.path.join(build, "src", "timeglas")], env=env)
    return tmp, proc, started


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--cpu-seconds", type=int, default=60)
    parser.add_argument("--away-minutes", type=int, default=None)
    args = parser.parse_args()

    daemon = subprocess.Popen(["dbus-daemon", "--session", "--print-address", "--nofork"],
                              stdout=subprocess.PIPE, text=True)
    address = daemon.stdout.readline().strip()
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    watcher = Watcher(bus)
    loop = GLib.MainLoop()
    threading.Thread(target=loop.run, daemon=True).start()

    env = dict(os.environ)
    try:
        # 1. Start-up and idle memory, popover never opened.
        tmp, proc, started = run(args.build, env, False, 0)
        deadline = time.monotonic() + 10
        while watcher.registered_at is None and time.monotonic() < deadline:
            time.sleep(0.005)
        if watcher.registered_at is None:
            print("item never registered")
        else:
            print(f"item registered after {1000 * (watcher.registered_at - started):.0f} ms")
        time.sleep(10)
        rss, pss = memory(proc.pid)
        print(f"idle 10 s, popover never opened: RSS {rss:.1f} MB, PSS {pss:.1f} MB")
        if os.environ.get("TIMEGLAS_MEASURE_MAPPINGS"):
            top_mappings(proc.pid)

        item = bus.get_object(watcher.service, "/StatusNotifierItem")
        item.Activate(200, 30, dbus_interface="org.kde.StatusNotifierItem")
        time.sleep(5)
        item.Activate(200, 30, dbus_interface="org.kde.StatusNotifierItem")
        time.sleep(5)
        rss, pss = memory(proc.pid)
        print(f"after the popover was opened once: RSS {rss:.1f} MB, PSS {pss:.1f} MB")
        if os.environ.get("TIMEGLAS_MEASURE_MAPPINGS"):
            top_mappings(proc.pid)
        proc.terminate()
        proc.wait(20)

        # 2. CPU while a task runs and the popover stays closed.
        watcher.registered_at = None
        tmp, proc, started = run(args.build, env, True, 0, args.away_minutes)
        time.sleep(3)
        before = cpu_seconds(proc.pid)
        time.sleep(args.cpu_seconds)
        used = cpu_seconds(proc.pid) - before
        print(f"task running, popover closed: {used * 60 / args.cpu_seconds:.3f} CPU s per minute")

        # 3. The same after the popover was opened once and closed again.
        item = bus.get_object(watcher.service, "/StatusNotifierItem")
        item.Activate(200, 30, dbus_interface="org.kde.StatusNotifierItem")
        time.sleep(5)
        item.Activate(200, 30, dbus_interface="org.kde.StatusNotifierItem")
        time.sleep(3)
        before = cpu_seconds(proc.pid)
        time.sleep(args.cpu_seconds)
        used = cpu_seconds(proc.pid) - before
        print(f"task running, popover opened once and closed: {used * 60 / args.cpu_seconds:.3f} CPU s per minute")
        proc.terminate()
        proc.wait(20)
    finally:
        loop.quit()
        daemon.terminate()


if __name__ == "__main__":
    sys.exit(main())
