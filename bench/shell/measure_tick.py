#!/usr/bin/python3
"""What a running task costs each second, program against program, side by side in one run.

Usage: bench/shell/measure_tick.py BUILD [BUILD ...] [--pairs N] [--seconds S] [--follow] [--no-fetch] [--together]
       bench/shell/measure_tick.py --status BUILD [--runs N]

For each round, every build in turn (the order alternates, so a machine that drifts hurts
none of them more) runs with a task running and the popover closed, beside a stand-in panel
that does what panels do: it listens to the item's signals and fetches again what a signal
says has changed (the title, the tooltip, the icon; --no-fetch: it only counts them). --follow
attaches one
`timeglas status --follow` to a build whose command has it. Prints, per build, the median
over the rounds of the program's CPU seconds and context switches per minute, and of the
follower's CPU seconds per minute. --together runs the builds at the same time in each round
instead (the stand-in panel serves them all): what drifts on the machine then drifts for all.

--status times a one-shot `timeglas status` against a running program: the median wall
time and CPU time (user + system of the command, from wait4) over --runs runs.

Runs under whatever display is set (xvfb-run for X11, or QT_QPA_PLATFORM=offscreen), with
a private session bus. Prints numbers; asserts nothing.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure_shell import Watcher, cpu_seconds, seed_running_task  # noqa: E402

ITEM = "org.kde.StatusNotifierItem"


class Host:
    """Fetches what each of the item's change signals names, as panels do."""

    FETCH = {"NewTitle": "Title", "NewToolTip": "ToolTip", "NewIcon": "IconPixmap"}

    def __init__(self, bus, fetch):
        self.bus = bus
        self.fetch = fetch
        self.counts = {}
        self.items = {}
        bus.add_signal_receiver(self.on_signal, dbus_interface=ITEM, member_keyword="member",
                                sender_keyword="sender")

    def on_signal(self, *args, member=None, sender=None):
        self.counts[member] = self.counts.get(member, 0) + 1
        prop = self.FETCH.get(member)
        if prop and self.fetch:
            # As panels do: one proxy per item, not introspected again for every fetch.
            if sender not in self.items:
                self.items[sender] = self.bus.get_object(sender, "/StatusNotifierItem", introspect=False)
            self.items[sender].Get(
                ITEM, prop, dbus_interface=dbus.PROPERTIES_IFACE,
                reply_handler=lambda *_: None, error_handler=lambda *_: None)


def context_switches(pid):
    total = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{tid}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass
    return total


def start_program(build, env):
    tmp = tempfile.mkdtemp(prefix="timeglas-tick-")
    env = dict(env)
    env["XDG_DATA_HOME"] = os.path.join(tmp, "data")
    env["XDG_CONFIG_HOME"] = os.path.join(tmp, "config")
    env["XDG_RUNTIME_DIR"] = os.path.join(tmp, "run")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    seed_running_task(env["XDG_DATA_HOME"])
    proc = subprocess.Popen([os.path.join(build, "src", "timeglas")], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return proc, env


def has_command_line(build):
    # Before the command line, `timeglas` was the program itself and took any argument for a start.
    return os.path.exists(os.path.join(build, "lib", "timeglas", "libtimeglas_shell.so"))


def measure(build, env, seconds, follow, host):
    proc, env = start_program(build, env)
    follower = None
    try:
        time.sleep(4)  # start-up, the first registration and fetches
        if follow and has_command_line(build):
            follower = subprocess.Popen([os.path.join(build, "src", "timeglas"), "status", "--follow"], env=env,
                                        stdout=subprocess.DEVNULL)
            time.sleep(2)
        host.counts.clear()
        cpu0, cs0 = cpu_seconds(proc.pid), context_switches(proc.pid)
        fcpu0 = cpu_seconds(follower.pid) if follower else 0.0
        time.sleep(seconds)
        per_minute = 60.0 / seconds
        return {
            "cpu": (cpu_seconds(proc.pid) - cpu0) * per_minute,
            "switches": (context_switches(proc.pid) - cs0) * per_minute,
            "follower": (cpu_seconds(follower.pid) - fcpu0) * per_minute if follower else None,
            "signals": {k: v * per_minute for k, v in host.counts.items()},
        }
    finally:
        if follower:
            follower.terminate()
            follower.wait(10)
        proc.terminate()
        proc.wait(20)


def measure_together(builds, env, seconds, follow, settle):
    """All builds at once, over the same seconds: what drifts on the machine drifts for all."""
    started = [start_program(build, env) for build in builds]
    followers = []
    try:
        time.sleep(settle)
        for build, (proc, penv) in zip(builds, started):
            if follow and has_command_line(build):
                followers.append(subprocess.Popen([os.path.join(build, "src", "timeglas"), "status", "--follow"],
                                                  env=penv, stdout=subprocess.DEVNULL))
            else:
                followers.append(None)
        time.sleep(2)
        before = [(cpu_seconds(p.pid), context_switches(p.pid), cpu_seconds(f.pid) if f else 0.0)
                  for (p, _), f in zip(started, followers)]
        time.sleep(seconds)
        per_minute = 60.0 / seconds
        results = []
        for (p, _), f, (cpu0, cs0, fcpu0) in zip(started, followers, before):
            results.append({
                "cpu": (cpu_seconds(p.pid) - cpu0) * per_minute,
                "switches": (context_switches(p.pid) - cs0) * per_minute,
                "follower": (cpu_seconds(f.pid) - fcpu0) * per_minute if f else None,
                "signals": {},
            })
        return results
    finally:
        for f in followers:
            if f:
                f.terminate()
                f.wait(10)
        for p, _ in started:
            p.terminate()
            p.wait(20)


def time_status(build, env, runs):
    proc, env = start_program(build, env)
    try:
        time.sleep(4)
        command = [os.path.join(build, "src", "timeglas"), "status"]
        walls, cpus = [], []
        for _ in range(runs):
            started = time.monotonic()
            child = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            walls.append(time.monotonic() - started)
            cpus.append(usage.ru_utime + usage.ru_stime)
            child.returncode = os.waitstatus_to_exitcode(status)
        print(f"{build}: one-shot status over {runs} runs: median wall {1000 * statistics.median(walls):.2f} ms, "
              f"median CPU {1000 * statistics.median(cpus):.2f} ms (max wall {1000 * max(walls):.2f} ms)")
    finally:
        proc.terminate()
        proc.wait(20)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("builds", nargs="+")
    parser.add_argument("--pairs", type=int, default=3)
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("--follow", action="store_true")
    parser.add_argument("--no-fetch", action="store_true", help="a panel that only counts the signals")
    parser.add_argument("--status", action="store_true")
    parser.add_argument("--settle", type=float, default=4,
                        help="seconds from the start to the measurement (--together; 35 is past the first "
                             "question for the idle time, which comes 30 s after the task starts)")
    parser.add_argument("--together", action="store_true",
                        help="run the builds at the same time in each round, rather than one after the other")
    parser.add_argument("--runs", type=int, default=50)
    args = parser.parse_args()

    daemon = subprocess.Popen(["dbus-daemon", "--session", "--print-address", "--nofork"],
                              stdout=subprocess.PIPE, text=True)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = daemon.stdout.readline().strip()
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    Watcher(bus)
    host = Host(bus, not args.no_fetch)
    loop = GLib.MainLoop()
    threading.Thread(target=loop.run, daemon=True).start()
    env = dict(os.environ)
    try:
        if args.status:
            for build in args.builds:
                time_status(build, env, args.runs)
            return 0
        results = {build: [] for build in args.builds}
        for round_ in range(args.pairs):
            order = args.builds if round_ % 2 == 0 else list(reversed(args.builds))
            together = measure_together(order, env, args.seconds, args.follow, args.settle) if args.together else None
            for i, build in enumerate(order):
                r = together[i] if together else measure(build, env, args.seconds, args.follow, host)
                results[build].append(r)
                follower = f", follower {r['follower']:.4f} CPU s/min" if r["follower"] is not None else ""
                print(f"round {round_ + 1} {build}: {r['cpu']:.4f} CPU s/min, {r['switches']:.0f} switches/min"
                      f"{follower}; signals/min {dict(sorted(r['signals'].items()))}", flush=True)
        for build, rs in results.items():
            followers = [r["follower"] for r in rs if r["follower"] is not None]
            follower = f", follower {statistics.median(followers):.4f} CPU s/min" if followers else ""
            print(f"median {build}: {statistics.median(r['cpu'] for r in rs):.4f} CPU s/min, "
                  f"{statistics.median(r['switches'] for r in rs):.0f} switches/min{follower}")
    finally:
        loop.quit()
        daemon.terminate()
    return 0


if __name__ == "__main__":
    sys.exit(main())
