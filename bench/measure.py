#!/usr/bin/env python3
"""Runs the benchmarks and the desktop measurements and prints one table of figures beside their
floors, ratios, budgets and verdicts. bench/run builds everything first and calls this.

The machine is shared and small (2 cores): every time is the least of several interleaved
repetitions, since other work only ever adds time; the desktop figures are medians of rounds in
which the two programs take turns.
"""
import argparse
import json
import os
import re
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

MAPPING = re.compile(r'^[0-9a-f]+-[0-9a-f]+ ')
WAIT_SYSCALLS = {'35', '230'}  # nanosleep, clock_nanosleep: the worker's hourly pause
MB = 1 << 20
UNIT_NS = {'ns': 1, 'us': 1e3, 'ms': 1e6, 's': 1e9}
TRAYS = ('xembed', 'sni')
GROUPS = ('readers', 'fetch', 'desktop', 'json', 'answers')  # of rows, for --only  # trayer's XEmbed socket; a StatusNotifierWatcher on the session bus


def least_times(program, repetitions, min_time, clock):
    """The least time in ns of each benchmark over interleaved repetitions."""
    out = subprocess.run([program, f'--benchmark_repetitions={repetitions}',
                          '--benchmark_enable_random_interleaving=true',
                          f'--benchmark_min_time={min_time}', '--benchmark_format=json'],
                         capture_output=True, text=True, check=True).stdout
    times = {}
    for run in json.loads(out)['benchmarks']:
        if run.get('error_occurred'):
            sys.exit(f"{run['run_name']}: {run.get('error_message')}")
        if run.get('run_type') == 'iteration':
            ns = run[clock] * UNIT_NS[run['time_unit']]
            times[run['run_name']] = min(ns, times.get(run['run_name'], ns))
    return times


def read(path):
    with open(path) as f:
        return f.read()


def status_field(path, name):
    for line in read(path).splitlines():
        if line.startswith(name + ':'):
            return int(line.split()[1])
    raise KeyError(name)


SHARED_LIBRARY = re.compile(r'\.so(\.[0-9]+)*$')


def unshared_library_pages_kb(pid):
    """The clean pages of shared libraries that count as private only because no other process
    maps those libraries at the moment (on a quiet machine, libcurl and its two dozen)."""
    total, library = 0, False
    for line in read(f'/proc/{pid}/smaps').splitlines():
        fields = line.split()
        if MAPPING.match(line):
            library = len(fields) > 5 and SHARED_LIBRARY.search(fields[5]) is not None
        elif library and fields[0] == 'Private_Clean:':
            total += int(fields[1])
    return total


def memory_kb(pid):
    """Resident (shared pages counted whole), proportional and private (USS) memory in kB, and
    private memory without the clean pages of shared libraries ('own')."""
    rollup = f'/proc/{pid}/smaps_rollup'
    uss = status_field(rollup, 'Private_Clean') + status_field(rollup, 'Private_Dirty')
    return {'rss': status_field(f'/proc/{pid}/status', 'VmRSS'),
            'pss': status_field(rollup, 'Pss'),
            'uss': uss,
            'own': uss - unshared_library_pages_kb(pid)}


def threads(pid):
    """Each thread's name, current system call and context switches so far."""
    result = {}
    for tid in os.listdir(f'/proc/{pid}/task'):
        task = f'/proc/{pid}/task/{tid}'
        status = f'{task}/status'
        result[int(tid)] = {
            'name': read(f'{task}/comm').strip(),
            'syscall': read(f'{task}/syscall').split()[0],
            'switches': status_field(status, 'voluntary_ctxt_switches') +
                        status_field(status, 'nonvoluntary_ctxt_switches')}
    return result


def worker_thread(pid):
    """The thread that sleeps in the worker's pause, once the first cycle is over; else None."""
    main = read(f'/proc/{pid}/comm').strip()
    for tid, t in threads(pid).items():
        if tid != pid and t['name'] == main and t['syscall'] in WAIT_SYSCALLS:
            return tid
    return None


def stop(pid):
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(100):
            os.kill(pid, 0)
            time.sleep(0.05)
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


class Desktop:
    """Xvfb with two tray hosts: trayer (XEmbed) and, on a private session bus, the stand-in
    StatusNotifierWatcher with a host registered. The stand-in mall, and Kobanu in a folder of
    its own with an armed alert that the mall answers with no hit: after its first cycle it waits.
    A program started without the bus docks in trayer; one started by the watcher, on the bus,
    registers its item there (Qt's tray icon takes that way when a host is registered)."""

    def __init__(self, args):
        self.args = args
        self.folder = tempfile.mkdtemp(prefix='kobanu-bench-')
        self.processes = []  # ours
        self.programs = []  # the measured programs' pids, started by the watcher
        self.requests = 0

    def __enter__(self):
        try:
            return self.set_up()
        except BaseException:
            self.__exit__()
            raise

    def set_up(self):
        read_end, write_end = os.pipe()
        self.start(['Xvfb', '-displayfd', str(write_end), '-screen', '0', '1280x800x24',
                    '-nolisten', 'tcp'], pass_fds=[write_end])
        os.close(write_end)
        display = b''
        while not display.endswith(b'\n'):
            chunk = os.read(read_end, 16)
            if not chunk:
                sys.exit('Xvfb did not start')
            display += chunk
        os.close(read_end)
        runtime = os.path.join(self.folder, 'runtime')
        os.mkdir(runtime, 0o700)
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ('DBUS_SESSION_BUS_ADDRESS', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM')}
        self.env.update(DISPLAY=':' + display.decode().strip(), XDG_RUNTIME_DIR=runtime)
        self.start(['trayer', '--edge', 'top', '--align', 'right', '--widthtype', 'request',
                    '--height', '32', '--SetDockType', 'true'])
        bus = self.start(['dbus-daemon', '--session', '--nofork', '--print-address=1'],
                         stdout=subprocess.PIPE, text=True)
        bus_env = dict(self.env, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip())
        self.watcher = self.start([os.path.join(self.args.build, 'tests', 'support',
                                                'kobanu_sni_watcher'),
                                   '--host-after-ms', '0', '--start-programs'],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                  env=bus_env)
        mall = self.start([self.args.mall, '--port', str(self.args.port),
                           '--exit-when-stdin-closes'], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, text=True)
        if mall.stdout.readline().strip() != str(self.args.port):
            sys.exit(f'the stand-in mall did not start on port {self.args.port}')
        threading.Thread(target=self.count_requests, args=(mall.stdout,), daemon=True).start()

        self.kobanu = os.path.join(self.folder, 'kobanu')
        shutil.copy(self.args.program, self.kobanu)
        with open(os.path.join(self.folder, 'setting.ini'), 'wb') as ini:
            ini.write(b'[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=' + '腕時計'.encode('cp932') +
                      b'\r\nSCAN_PRICE=1000\r\nSCAN_ZAIKO=0\r\nSCAN_TIMESALE=0\r\n')
        self.minimal = os.path.join(self.args.build, 'bench', 'minimal_tray')
        for tray in TRAYS:  # waits for the tray hosts; warms the caches; not counted
            self.stop(self.start_up(self.minimal, tray)[0])
        return self

    def __exit__(self, *exc):
        for pid in list(self.programs):
            self.stop(pid)
        for p in reversed(self.processes):
            p.kill()
            p.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, command, **options):
        p = subprocess.Popen(command, stderr=subprocess.DEVNULL,
                             **{'stdout': subprocess.DEVNULL, 'env': getattr(self, 'env', None),
                                **options})
        self.processes.append(p)
        return p

    def count_requests(self, output):
        for line in output:
            if line.startswith('REQUEST GET /rws/'):
                self.requests += 1

    def start_up(self, program, tray):
        """Starts program and returns its pid and the milliseconds until its icon docked in
        trayer ('xembed') or registered on the watcher ('sni')."""
        if tray == 'xembed':
            out = subprocess.run([os.path.join(self.args.build, 'bench', 'tray_startup'), program],
                                 env=self.env, capture_output=True, text=True, timeout=60)
            if out.returncode != 0:
                sys.exit(out.stderr.strip())
            line = out.stdout
        else:
            self.watcher.stdin.write(program + '\n')
            self.watcher.stdin.flush()
            if not select.select([self.watcher.stdout], [], [], 60)[0]:
                sys.exit(f'no item of {program} registered on the watcher')
            line = self.watcher.stdout.readline()
        pid, ms = line.split()[:2]
        if pid == '0':
            sys.exit(line.strip())
        self.programs.append(int(pid))
        return int(pid), float(ms)

    def stop(self, pid):
        stop(pid)
        self.programs.remove(pid)

    def wait_for_pause(self, pid):
        """Waits until Kobanu's worker has run its first cycle and sleeps; returns its thread."""
        for _ in range(300):
            tid = worker_thread(pid)
            if tid is not None:
                return tid
            time.sleep(0.05)
        sys.exit('the worker did not reach its pause')


def start_up_rounds(args, desktop, tray):
    """Medians over the rounds, the two programs taking turns: the start-up time, and the memory
    once the program waits (Kobanu's worker in its pause) and args.settle more seconds passed."""
    started = {'kobanu': [], 'minimal': []}
    memory = {'kobanu': [], 'minimal': []}
    requests = desktop.requests
    for round_ in range(args.rounds):
        order = ['kobanu', 'minimal'] if round_ % 2 == 0 else ['minimal', 'kobanu']
        for name in order:
            pid, ms = desktop.start_up(
                desktop.kobanu if name == 'kobanu' else desktop.minimal, tray)
            started[name].append(ms)
            if name == 'kobanu':
                desktop.wait_for_pause(pid)
            time.sleep(args.settle)
            memory[name].append(memory_kb(pid))
            desktop.stop(pid)
    if desktop.requests - requests < args.rounds:
        sys.exit('Kobanu did not query the stand-in mall in every round')
    figures = {'started': {k: statistics.median(v) for k, v in started.items()}}
    for kind in ('rss', 'pss', 'uss', 'own'):
        figures[kind] = {k: statistics.median(m[kind] for m in v) for k, v in memory.items()}
    return figures


def desktop_figures(args, desktop):
    figures = {tray: start_up_rounds(args, desktop, tray) for tray in TRAYS}

    # One window of waiting for both programs side by side.
    kobanu, _ = desktop.start_up(desktop.kobanu, 'xembed')
    worker = desktop.wait_for_pause(kobanu)
    minimal, _ = desktop.start_up(desktop.minimal, 'xembed')
    time.sleep(args.settle)
    before = {kobanu: threads(kobanu), minimal: threads(minimal)}
    time.sleep(args.window)
    after = {kobanu: threads(kobanu), minimal: threads(minimal)}
    if after[kobanu][worker]['syscall'] not in WAIT_SYSCALLS:
        sys.exit('the worker left its pause during the window')
    switches = {}
    for pid in (kobanu, minimal):
        for tid, t in after[pid].items():
            role = 'worker' if tid == worker else 'main' if tid == pid else t['name']
            delta = t['switches'] - before[pid].get(tid, {'switches': 0})['switches']
            switches[(pid, role)] = delta
    desktop.stop(kobanu)
    desktop.stop(minimal)

    footprint = subprocess.run(
        [os.path.join(args.build, 'bench', 'curl_footprint'),
         f'http://127.0.0.1:{args.port}/rws/3.0/rest?keyword=x'],
        capture_output=True, text=True, check=True).stdout.split()
    figures['curl_kb'] = int(footprint[1]) - int(footprint[0])
    figures['switches'] = {('kobanu' if pid == kobanu else 'minimal', role): n
                           for (pid, role), n in switches.items()}
    return figures


class Table:
    def __init__(self):
        self.rows = []
        self.failed = 0

    def add(self, figure, value, floor, ratio, budget, ok):
        if ok is False:
            self.failed += 1
        verdict = '' if ok is None else 'pass' if ok else 'FAIL'
        self.rows.append((figure, value, floor, ratio, budget, verdict))

    def print(self):
        header = ('figure', 'measured', 'floor', 'ratio', 'budget', 'result')
        widths = [max(len(r[i]) for r in [header] + self.rows) for i in range(len(header))]
        for r in [header, tuple('-' * w for w in widths)] + self.rows:
            print('  '.join(c.ljust(w) for c, w in zip(r, widths)).rstrip())


def memory_rows(table, title, d, curl_kb):
    """The budget row on private memory, then the other measures of the same programs."""
    # The budget is private memory: pages shared with every other program that loads the same
    # libraries are not the program's own cost. USS as the kernel counts it still holds the clean
    # pages of every library that no other process maps at the moment, so it changes with what
    # else runs (libcurl's libraries alone: some 3.7 MB); the budget leaves those pages out.
    # USS, resident and proportional sizes are shown too.
    def row(label, kind, budgeted=False):
        k, m = d[kind]['kobanu'] / 1024, d[kind]['minimal'] / 1024
        lead = k - m
        # Two decimals: the budget's edge is 2.0, and +2.0 could be either side of it.
        table.add(label, f'{k:.1f} MB', f'{m:.1f} MB', f'+{lead:.2f} MB',
                  '<= +2.0 MB' if budgeted else '', lead <= 2.0 if budgeted else None)
        return lead
    row(title, 'own', budgeted=True)
    row('  with unshared library pages (USS)', 'uss')
    rss_lead = row('  resident memory (VmRSS)', 'rss')
    curl = curl_kb / 1024
    table.add('    of which libcurl and its libraries (curl_footprint)', f'{curl:.1f} MB', '', '',
              '', None)
    table.add('    the rest: our own code and data', f'{rss_lead - curl:.1f} MB', '', '', '', None)
    row('  proportional set size (Pss)', 'pss')


def answer_memory(args, kind):
    """The answer's size and the rise of resident memory while a check read it, in bytes."""
    out = subprocess.run([os.path.join(args.build, 'bench', 'answer_memory'), kind],
                         capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(out.stderr.strip())
    size, rise_kb = out.stdout.split()
    return int(size), int(rise_kb) * 1024


def us(ns):
    return f'{ns / 1e3:.1f} us'


def readers_rows(table, args):
    """Rows 1 and 2: the described readers and the conversion."""
    readers = least_times(os.path.join(args.build, 'bench', 'readers_bench'),
                          args.repetitions, args.min_time, 'cpu_time')
    for reader, benchmark, body, size in (
            ('ParseHitList', 'ParseHitListBody', 'hit_list_body', '100 KB'),
            ('ParseHitCount', 'ParseHitCountBody', 'hit_list_body', '100 KB'),
            ('ParseSalesStatus', 'ParseSalesStatusPage', 'search_page', '1 MB')):
        t, floor = readers[benchmark], readers[f'Utf8ToAnsiOf/{body}']
        ratio = t / floor
        table.add(f'1 {reader} ({size}) vs Utf8ToAnsi', us(t), us(floor), f'{ratio:.3f}',
                  '<= 1.25', ratio <= 1.25)
    for body, size in (('hit_list_body', '100 KB'), ('search_page', '1 MB')):
        t, floor = readers[f'Utf8ToAnsiOf/{body}'], readers[f'BareIconvOf/{body}']
        ratio = floor / t  # throughput
        table.add(f'2 Utf8ToAnsi ({size}) throughput vs iconv', us(t), us(floor),
                  f'{ratio:.3f}', '>= 0.80', ratio >= 0.8)


def desktop_rows(table, args, d):
    """Rows 4 to 7: waiting and start-up on both tray hosts."""
    memory_rows(table, '4 waiting: private memory vs minimal tray', d['xembed'], d['curl_kb'])
    s = d['switches']
    window = f'{args.window:.0f} s'
    table.add(f'4 waiting: context switches of the worker in {window}', str(s[('kobanu', 'worker')]),
              '0', '', '0', s[('kobanu', 'worker')] == 0)
    for role in sorted({r for (_, r) in s if r != 'worker'}, key=lambda r: (r != 'main', r)):
        k, m = s.get(('kobanu', role), 0), s.get(('minimal', role), 0)
        table.add(f'  {role} thread in {window}', str(k), str(m), '', '<= floor', k <= m)
    for number, tray, event in (('5', 'xembed', 'docked'),
                                ('6', 'sni', 'on a StatusNotifierWatcher')):
        started = d[tray]['started']
        ratio = started['kobanu'] / started['minimal']
        table.add(f'{number} start-up to the icon {event} vs minimal tray',
                  f"{started['kobanu']:.1f} ms", f"{started['minimal']:.1f} ms", f'{ratio:.3f}',
                  '<= 1.20', ratio <= 1.2)
    memory_rows(table, '7 waiting on the watcher: private memory vs minimal tray', d['sni'],
                d['curl_kb'])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--build', required=True, help='the bench preset build folder')
    parser.add_argument('--program', required=True, help='kobanu, built for the stand-in mall')
    parser.add_argument('--mall', required=True, help='the stand-in mall executable')
    parser.add_argument('--port', type=int, required=True, help='the port built into kobanu')
    parser.add_argument('--repetitions', type=int, default=15)
    parser.add_argument('--min-time', type=float, default=0.2, help='seconds per repetition')
    parser.add_argument('--rounds', type=int, default=11, help='start-up and memory rounds')
    parser.add_argument('--settle', type=float, default=1.0, help='seconds before measuring')
    parser.add_argument('--window', type=float, default=60.0, help='seconds of waiting counted')
    parser.add_argument('--only', action='append', choices=GROUPS,
                        help='measure only this group of rows (may be repeated): readers 1-2, '
                             'fetch 3 and 8, desktop 4-7, json 9, answers 10')
    args = parser.parse_args()

    table = Table()
    wanted = set(args.only or GROUPS)
    if 'readers' in wanted:
        readers_rows(table, args)
    fetch = least_times(os.path.join(args.build, 'bench', 'fetch_page_bench'),
                        args.repetitions, args.min_time, 'real_time') if 'fetch' in wanted else None
    if fetch:
        for size, label in ((102400, '100 KB'), (1048576, '1 MB')):
            t = fetch[f'FetchPageBody/{size}/real_time']
            floor = fetch[f'BareCurlBody/{size}/real_time']
            transfer = fetch[f'SendRequestBody/{size}/real_time']
            table.add(f'3 FetchPage ({label}) vs bare libcurl', us(t), us(floor),
                      f'{t / floor:.3f}', '<= 1.10', t / floor <= 1.10)
            table.add(f'  of which the transfer alone', us(transfer), us(floor),
                      f'{transfer / floor:.3f}', '', None)
    json_times = least_times(os.path.join(args.build, 'bench', 'json_bench'), args.repetitions,
                             args.min_time, 'cpu_time') if 'json' in wanted else None
    answers = ({kind: answer_memory(args, kind) for kind in ('count', 'list')}
               if 'answers' in wanted else None)
    if 'desktop' in wanted:
        with Desktop(args) as desktop:
            desktop_rows(table, args, desktop_figures(args, desktop))
    if fetch:
        t, floor = fetch['ServiceCountCheck/real_time'], fetch['BareCurlServiceAnswer/real_time']
        table.add('8 [SERVICE] count check over TLS vs bare libcurl', us(t), us(floor),
                  f'{t / floor:.3f}', '<= 1.10', t / floor <= 1.10)
    if json_times:
        for answer, label in (('answer_30_items', '30 items, 34 KB'), ('answer_1_mb', '1 MB')):
            floor = json_times[f'Simdjson/{answer}']
            for reader, title in (('ReadAnswer', f'9 reading a JSON answer ({label}) vs simdjson'),
                                  ('ReadHitList', '  and its cells in code page 932 (hit list)')):
                t = json_times[f'{reader}/{answer}']
                table.add(title, us(t), us(floor), f'{t / floor:.1f}', 'report', None)
    if answers:
        for kind, label in (('count', 'the count check (1 item)'),
                            ('list', 'the hit list (30 items)')):
            size, rise = answers[kind]
            budget = 2 * size + 8 * MB
            table.add(f'10 peak memory, 32 MiB answer: {label}', f'{rise / MB:.1f} MB',
                      f'{size / MB:.1f} MB', f'{rise / size:.2f}x', '<= 2x + 8 MB',
                      rise <= budget)
    table.print()
    return 1 if table.failed else 0


if __name__ == '__main__':
    sys.exit(main())
