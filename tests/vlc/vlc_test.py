#!/usr/bin/env python3
"""Both extension scripts in Debian's real VLC 3, driven through its Qt interface on the
suite's X server. For each script, in a throw-away user folder that holds both scripts as
the program installs them: the View menu lists it, choosing it turns the playing picture
at once, the extension deactivates itself without a Lua error and playback goes on where
it was; four turns in a row bring the picture upright, and a turn is kept over a restart.
For one script also with a video filter of the user's own on: it stays on through the turns,
and VLC saves it with them.

Usage: vlc_test.py <folder with turnix-cw.lua and turnix-ccw.lua> <work folder>
Exits 77 (skipped) only where VLC is not installed; under CI that is a failure."""

import contextlib
import glob
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import time

SKIPPED = 77
SCRIPTS = [
    {"file": "turnix-cw.lua", "installed": "Turnix+90°.lua", "title": "Turnix +90°",
     "label": "Rotate video by 90° clockwise", "step": 90},
    {"file": "turnix-ccw.lua", "installed": "Turnix-90°.lua", "title": "Turnix -90°",
     "label": "Rotate video by 90° counter-clockwise", "step": 270},
]
TURNS = 5                # four back to upright, and one more to be kept over the restart
START_AT = 30            # seconds into the video before the first turn: far from where a restart begins
TURN_TIMEOUT = 15        # seconds from the click to the turned picture
# CTest ends the test at 600 s (tests/vlc.cmake): stopping here leaves the run that is cut
# short its screenshot and the kill, and the summary its line.
DEADLINE = 540           # seconds from the start
# VLC's first-run privacy question would cover the window; its offer to resume a stopped
# video at the old position would do the scripts' work for them.
VLCRC = "[qt]\nqt-privacy-ask=0\nqt-continue=0\n"
# A filter of the user's own, as VLC's effects dialog saves it; it changes every quadrant's
# colour, so that the screen tells it is still on.
USER_FILTER = "invert"
USER_SCRIPT = 0          # the scripts differ in names and angles only: one such run will do
# The plain X11 output: the OpenGL one would draw in software here, at a high cost of CPU.
# No file name over the picture; no session bus to look for. The log needs the debug level
# to show the extension's deactivation; the remote control on a socket tells the position
# and ends VLC cleanly, so that it saves its settings.
VLC_ARGS = ["--vout=xcb_x11", "--no-video-title-show", "--no-dbus", "-vv", "--extraintf=oldrc",
            "--rc-fake-tty"]

# The test video's quadrants, top left, top right, bottom left, bottom right.
COLOURS = {"red": (255, 0, 0), "green": (0, 255, 0), "blue": (0, 0, 255), "magenta": (255, 0, 255),
           "cyan": (0, 255, 255), "yellow": (255, 255, 0)}
UPRIGHT = ("red", "green", "blue", "magenta")
INVERTED = {"red": "cyan", "green": "magenta", "blue": "yellow", "magenta": "green"}


class Failure(Exception):
    pass


# Not a Failure: the retries that catch a Failure must not go on past the deadline.
class DeadlinePassed(Exception):
    pass


_starting_vlc = False


def _deadline_passed(signum, frame):
    if _starting_vlc:     # a VLC started but not yet known could not be killed: a moment later
        signal.setitimer(signal.ITIMER_REAL, 0.05)
    elif frame.f_code is not Session.__exit__.__code__:    # a session's clean-up must run whole
        raise DeadlinePassed(f"the test's deadline passed, {DEADLINE} s after its start")


def run(command, timeout=30, **kwargs):
    return subprocess.run(command, check=True, capture_output=True, timeout=timeout, **kwargs)


def wait_for(what, probe, timeout, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def log_tail(log, count=20):
    try:
        with open(log, "rb") as f:
            f.seek(max(0, os.path.getsize(log) - 65536))
            lines = f.read().decode(errors="replace").splitlines()[-count:]
    except OSError as e:
        return f" not readable ({e})"
    return "".join("\n    " + line for line in lines)


def as_user(command):
    """VLC refuses to run as root: as root, run it as the user the Wine tests use."""
    if os.geteuid() == 0:
        return ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"] + command
    return command


# --- What the screen shows -------------------------------------------------------------

def turned(q):   # by 90 degrees clockwise
    return (q[2], q[0], q[3], q[1])


def mirrored(q):
    return (q[1], q[0], q[3], q[2])


ORIENTATIONS = {}
_q = UPRIGHT
for _angle in (0, 90, 180, 270):
    ORIENTATIONS[_q] = str(_angle)
    ORIENTATIONS[mirrored(_q)] = f"mirrored and {_angle}"
    _q = turned(_q)
for _q, _name in list(ORIENTATIONS.items()):
    ORIENTATIONS[tuple(INVERTED[c] for c in _q)] = "inverted " + _name


def grab(x, y, w, h, *operators, fmt="ppm"):
    return run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", *operators, "-depth", "8",
                f"{fmt}:-"]).stdout


def colour_name(pixel):
    for name, target in COLOURS.items():
        if all(abs(a - b) < 40 for a, b in zip(pixel, target)):
            return name
    return None


def orientation(window):
    """The orientation of the test picture in the window, or a word on what is there instead."""
    x, y, w, h = geometry(window)
    data = grab(x, y, w, h)
    header = data.split(b"\n", 3)      # P6, size, depth, pixels
    width, height = map(int, header[1].split())
    pixels = header[3]

    def at(px, py):
        i = (py * width + px) * 3
        return colour_name(tuple(pixels[i:i + 3]))

    found = [(px, py) for py in range(0, height, 3) for px in range(0, width, 3) if at(px, py)]
    if len(found) < 500:
        return "no picture"
    # The picture is one solid block: rows and columns with a few hits elsewhere (the green
    # of the volume gauge) are not part of it.
    rows, columns = {}, {}
    for px, py in found:
        rows[py] = rows.get(py, 0) + 1
        columns[px] = columns.get(px, 0) + 1
    rows = [r for r, n in rows.items() if n >= max(rows.values()) / 2]
    columns = [c for c, n in columns.items() if n >= max(columns.values()) / 2]
    left, right, top, bottom = min(columns), max(columns), min(rows), max(rows)
    quadrants = tuple(at(left + (right - left) * fx // 4, top + (bottom - top) * fy // 4)
                      for fy, fx in ((1, 1), (1, 3), (3, 1), (3, 3)))
    name = ORIENTATIONS.get(quadrants, "unclear picture " + "/".join(map(str, quadrants)))
    upright_shape = right - left > bottom - top
    angle = name.removeprefix("inverted ")
    if angle in ("90", "270") and upright_shape or angle in ("0", "180") and not upright_shape:
        return f"{name} with the wrong aspect"
    return name


def geometry(window):
    out = run(["xdotool", "getwindowgeometry", "--shell", window]).stdout.decode()
    g = dict(line.split("=", 1) for line in out.split())
    return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])


def text_lines(x, y, w, h):
    """The lines of text in a screen area, each as its words with their screen boxes."""
    scale = 3       # OCR reads the menu's small type far better enlarged
    image = grab(x, y, w, h, "-resize", f"{scale * 100}%", fmt="png")
    tsv = run(["tesseract", "-", "-", "--psm", "6", "tsv"], input=image).stdout.decode()
    lines = {}
    for row in tsv.splitlines()[1:]:
        f = row.split("\t")
        if len(f) == 12 and f[11].strip() and float(f[10]) >= 0:
            left, top, width, height = (int(v) // scale for v in f[6:10])
            box = (x + left, y + top, x + left + width, y + top + height)
            lines.setdefault(tuple(f[2:5]), []).append((f[11].strip(), box))
    return list(lines.values())


def find_words(lines, text):
    """The screen box of the words of text, in a row on one line, or None."""
    wanted = text.split()
    for words in lines:
        texts = [w[0] for w in words]
        for i in range(len(texts) - len(wanted) + 1):
            if texts[i:i + len(wanted)] == wanted:
                boxes = [w[1] for w in words[i:i + len(wanted)]]
                return (min(b[0] for b in boxes), min(b[1] for b in boxes),
                        max(b[2] for b in boxes), max(b[3] for b in boxes))
    return None


def click(box):
    run(["xdotool", "mousemove", str((box[0] + box[2]) // 2), str((box[1] + box[3]) // 2),
         "sleep", "0.2", "click", "1"])


# --- VLC --------------------------------------------------------------------------------

class Vlc:
    def __init__(self, home, video, log):
        self.home, self.log, self.remote = home, log, None
        self.socket_path = os.path.join(home, "rc.sock")
        user = "nobody" if os.geteuid() == 0 else os.environ.get("USER", "")
        # Nothing of the caller's own set-up: VLC's folders follow from HOME alone.
        env = {"PATH": os.environ["PATH"], "DISPLAY": os.environ["DISPLAY"], "HOME": home,
               "USER": user, "LOGNAME": user, "LANG": "C.UTF-8",
               "XDG_RUNTIME_DIR": os.path.join(home, "run")}
        self.log_file = open(log, "ab")
        self.process = subprocess.Popen(
            as_user(["vlc", *VLC_ARGS, f"--rc-unix={self.socket_path}", video]),
            env=env, stdin=subprocess.DEVNULL, stdout=self.log_file, stderr=subprocess.STDOUT,
            start_new_session=True, cwd=home)

    def wait_ready(self):
        self.remote = wait_for("VLC's remote control socket", self._connect, 20)
        self.window = wait_for("VLC's main window", self._find_window, 20)

    def _connect(self):
        self.check_running()
        s = socket.socket(socket.AF_UNIX)
        try:
            s.connect(self.socket_path)
        except OSError:
            s.close()
            return None
        s.settimeout(0.2)
        return s

    def _find_window(self):
        self.check_running()
        found = subprocess.run(["xdotool", "search", "--maxdepth", "1", "--onlyvisible", "--pid",
                                str(self.process.pid), "--name", "VLC media player$"],
                               capture_output=True).stdout.split()
        return found[0].decode() if found else None

    def check_running(self):
        if self.process.poll() is not None:
            raise Failure(f"VLC ended with exit code {self.process.returncode}; see {self.log}")

    def ask(self, command, answer):
        """Sends a remote-control command; the first reply line that matches answer."""
        try:
            try:     # drop status lines that came meanwhile
                while True:
                    if not self.remote.recv(4096):
                        raise self._lost(command, "VLC closed it")
            except socket.timeout:
                pass
            self.remote.sendall(command.encode() + b"\n")
            buffered = b""
            deadline = time.monotonic() + 5
            while time.monotonic() < deadline:
                try:
                    data = self.remote.recv(4096)
                except socket.timeout:
                    continue
                if not data:
                    raise self._lost(command, "VLC closed it")
                buffered += data
                for line in buffered.decode(errors="replace").splitlines():
                    if re.fullmatch(answer, line.strip()):
                        return line.strip()
        except OSError as e:
            raise self._lost(command, e)
        raise Failure(f"VLC's remote control gave no answer to {command!r}: {buffered!r}")

    def _lost(self, command, why):
        try:     # VLC closes the socket as it ends: give it a moment to have ended
            self.process.wait(1)
            state = f"VLC ended with exit code {self.process.returncode}"
        except subprocess.TimeoutExpired:
            state = "VLC is still running"
        return Failure(f"VLC's remote control socket was lost at {command!r} ({why}); {state};"
                       f" its log ends:{log_tail(self.log)}")

    def position(self):
        return int(self.ask("get_time", r"\d+"))

    def log_size(self):
        return os.path.getsize(self.log)

    def log_since(self, offset):
        with open(self.log, "rb") as f:
            f.seek(offset)
            return f.read().decode(errors="replace")

    def popups(self):
        found = subprocess.run(["xdotool", "search", "--maxdepth", "1", "--onlyvisible", "--pid",
                                str(self.process.pid), "--class", "vlc"],
                               capture_output=True).stdout.decode().split()
        big = []
        for window in found:
            try:     # a closing menu may be gone already
                g = geometry(window)
            except subprocess.CalledProcessError:
                continue
            if window != self.window and g[2] > 150 and g[3] > 100:   # not a tooltip
                big.append(window)
        return big

    def open_view_menu(self):
        """Opens the View menu by its keyboard shortcut, or else by a click on its name."""
        for attempt in range(4):
            for _ in range(3):
                if not self.popups():
                    break
                run(["xdotool", "key", "Escape"])
                time.sleep(0.3)
            # Out of the way, so that no entry is lit up under the pointer.
            run(["xdotool", "mousemove", "0", "0"])
            if attempt % 2 == 0:
                run(["xdotool", "windowfocus", "--sync", self.window, "key", "alt+i"])
            else:
                x, y, w, h = geometry(self.window)
                view = find_words(text_lines(x, y, w, 30), "View")
                if view:
                    click(view)
            try:
                return wait_for("the View menu", lambda: self.popups()[:1], 3)[0]
            except Failure:
                print(f"  the View menu did not open (attempt {attempt + 1}), trying again")
        raise Failure("the View menu did not open after 4 attempts")

    def choose(self, label, expected_labels):
        """Chooses the View menu entry, after checking that the menu lists all of them;
        the time of the click."""
        for attempt in range(3):
            menu = self.open_view_menu()
            lines = text_lines(*geometry(menu))
            boxes = {text: find_words(lines, text) for text in expected_labels}
            if all(boxes.values()):
                click(boxes[label])
                clicked = time.monotonic()
                try:
                    wait_for("the View menu to close", lambda: not self.popups(), 3)
                    return clicked
                except Failure:
                    pass
            read = [" ".join(w[0] for w in words) for words in lines]
            print(f"  the View menu lists {read} (attempt {attempt + 1})")
        raise Failure(f"the View menu does not list {expected_labels}, or '{label}' could not be chosen")

    def quit(self):
        self.ask("quit", r"quit: returned 0.*")
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            raise Failure("VLC did not end within 20 s of being told to quit")

    def kill(self):
        if self.process.poll() is None:
            with contextlib.suppress(ProcessLookupError):   # its group may be gone already
                os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        if self.remote:
            self.remote.close()
        self.log_file.close()


def wait_orientation(vlc, expected, timeout):
    seen = []

    def probe():
        vlc.check_running()
        seen.append(orientation(vlc.window))
        return seen[-1] == expected

    try:
        wait_for(f"the picture at {expected}", probe, timeout, interval=0.1)
    except Failure as e:
        raise Failure(f"{e}; last seen: {seen[-1] if seen else 'nothing'}")


def lua_errors(log):
    # The scripts declare "input-listener" but define none of its callbacks, by design: the
    # host notes each call it could not make while the extension was active.
    return [line for line in log.splitlines() if re.search(r"\] lua [\w ]*(warning|error): ", line)
            and not re.search(r"function (input|meta|playing)_changed\(\) not found$", line)]


def turn(vlc, script, expected):
    """Chooses the script's entry and checks what follows; the seconds until the turn showed."""
    before = vlc.position()
    # Reading the menu from the screen takes seconds under load, while the video plays on.
    read_at = time.monotonic()
    log_start = vlc.log_size()
    clicked = vlc.choose(script["label"], [s["label"] for s in SCRIPTS])
    title = re.escape(script["title"])
    try:
        wait_orientation(vlc, expected, TURN_TIMEOUT)
        shown = time.monotonic() - clicked
        wait_for("the extension to deactivate itself",
                 lambda: re.search(f"Deactivating '{title}'", vlc.log_since(log_start)), 10)
    except Failure as e:
        errors = lua_errors(vlc.log_since(log_start))
        raise Failure(str(e) + "".join("\n  " + line for line in errors))
    errors = lua_errors(vlc.log_since(log_start))
    if errors:
        raise Failure("Lua errors in VLC's log:" + "".join("\n  " + line for line in errors))
    if not re.search(f"activating or triggering extension '{title}'", vlc.log_since(log_start)):
        raise Failure(f"VLC did not log the menu's activation of '{script['title']}'")
    # The host takes the restored position after the extension has ended.
    positions = []

    def resumed():
        positions.append(vlc.position())
        return before <= positions[-1] <= before + (time.monotonic() - read_at) + 3

    try:
        wait_for("playback to resume", resumed, 5)
    except Failure:
        raise Failure(f"playback went on at {positions[-1]} s, not near {before} s where it was")
    if vlc.ask("is_playing", r"[01]") != "1":
        raise Failure("playback did not resume after the turn")
    return shown


def prepare_home(work, name, scripts_folder, vlcrc=VLCRC):
    """A fresh user folder with both scripts where VLC on Linux looks for user extensions."""
    home = os.path.join(work, name)
    extensions = os.path.join(home, ".local", "share", "vlc", "lua", "extensions")
    os.makedirs(extensions)
    os.makedirs(os.path.join(home, ".config", "vlc"))
    os.makedirs(os.path.join(home, "run"), mode=0o700)
    for s in SCRIPTS:
        shutil.copyfile(os.path.join(scripts_folder, s["file"]), os.path.join(extensions, s["installed"]))
    with open(os.path.join(home, ".config", "vlc", "vlcrc"), "w") as f:
        f.write(vlcrc)
    if os.geteuid() == 0:
        for root, dirs, files in os.walk(home):
            for entry in [root] + [os.path.join(root, n) for n in files]:
                shutil.chown(entry, "nobody", "nogroup")
    return home


def make_video(path):
    quadrant = "color=c={}:s=160x120:r=10:d=120"
    sources = ";".join(quadrant.format(c) + f"[{i}]" for i, c in enumerate(("red", "lime", "blue", "magenta")))
    run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
         sources + ";[0][1]hstack[top];[2][3]hstack[bottom];[top][bottom]vstack",
         "-c:v", "mpeg4", "-g", "10", "-q:v", "3", path], timeout=120)


def play_from_start_at(vlc, upright):
    """Once VLC shows the video as it starts, playback far from where a restart begins."""
    vlc.wait_ready()
    wait_orientation(vlc, upright, 20)
    vlc.ask(f"seek {START_AT}", r"seek: returned 0.*")
    wait_for(f"playback at {START_AT} s", lambda: vlc.position() >= START_AT, 10)


class Session:
    """A fresh user folder and the VLCs started in it, one after the other. A failure inside
    comes out with the screen saved and VLC's log named; the VLC current at the end is killed."""

    def __init__(self, what, home, shot, video, finish_by):
        self.what, self.home, self.shot, self.video = what, home, shot, video
        self.log = os.path.join(home, "vlc.log")
        self.finish_by = finish_by
        self.vlc = None

    def start(self):
        """A new VLC in the same folder, after the one before has been killed."""
        global _starting_vlc
        _starting_vlc = True
        try:
            if self.vlc:
                self.vlc.kill()
            self.vlc = Vlc(self.home, self.video, self.log)
        finally:
            _starting_vlc = False
        return self.vlc

    def __enter__(self):
        left = self.finish_by - time.monotonic()
        if left <= 0:
            raise Failure(f"{self.what}: not run: deadline passed")
        signal.setitimer(signal.ITIMER_REAL, left)
        return self

    def __exit__(self, kind, error, traceback):
        signal.setitimer(signal.ITIMER_REAL, 0)
        try:
            if isinstance(error, (Failure, DeadlinePassed, subprocess.SubprocessError)):
                if isinstance(error, DeadlinePassed):
                    error = f"{error}; VLC's log ends:{log_tail(self.log)}"
                try:
                    subprocess.run(["import", "-window", "root", self.shot], capture_output=True, timeout=20)
                    shot = self.shot
                except subprocess.TimeoutExpired:
                    shot = "not saved, import took over 20 s"
                raise Failure(f"{self.what}: {error}\n  (VLC's log: {self.log}; the screen: {shot})")
        finally:
            if self.vlc:
                self.vlc.kill()


def check_script(script, scripts_folder, work, video, finish_by):
    home = prepare_home(work, "home-" + script["file"].split(".")[0], scripts_folder)
    with Session(script["installed"], home, os.path.join(work, f"failed-{script['file']}.png"),
                 video, finish_by) as session:
        vlc = session.start()
        play_from_start_at(vlc, "0")
        seen, times = [], []
        for k in range(1, TURNS + 1):
            expected = str(k * script["step"] % 360)
            try:
                times.append(turn(vlc, script, expected))
            except Failure as e:
                raise Failure(f"turn {k}, to {expected}, after {', '.join(seen) or 'none'}: {e}")
            seen.append(expected)
        vlc.quit()
        vlc = session.start()
        vlc.wait_ready()
        wait_orientation(vlc, seen[-1], 20)
        vlc.quit()
    print(f"{script['installed']}: after each turn {', '.join(seen)}; after a restart {seen[-1]}; "
          f"each turn showed after {', '.join(f'{t:.1f}' for t in times)} s")


def saved(home, *names):
    """The options' lines in the vlcrc that VLC wrote; "#" marks an option left at its default."""
    with open(os.path.join(home, ".config", "vlc", "vlcrc"), encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    return {n: next((l for l in lines if re.fullmatch(f"#?{n}=.*", l)), None) for n in names}


def check_user_filter(script, scripts_folder, work, video, finish_by):
    """One turn, a restart, three more turns: the user's filter stays on all the while."""
    home = prepare_home(work, "home-filter-" + script["file"].split(".")[0], scripts_folder,
                        VLCRC + f"[core]\nvideo-filter={USER_FILTER}\n")
    reports = []

    def quit_and_read(turns, filters, angle):
        vlc.quit()
        lines = saved(home, "video-filter", "transform-type")
        reports.append(f"after {turns}: {', '.join(str(l) for l in lines.values())}")
        # After four turns the list is the one the test wrote: the angle tells that VLC saved.
        if lines["video-filter"] != f"video-filter={filters}" or not re.fullmatch(
                f"#?transform-type={angle}", lines["transform-type"] or ""):
            raise Failure(f"after {turns} VLC saved {lines['video-filter']} and {lines['transform-type']},"
                          f" not video-filter={filters} and transform-type={angle}")

    with Session(f"{script['installed']} with the user's {USER_FILTER}", home,
                 os.path.join(work, f"failed-filter-{script['file']}.png"), video, finish_by) as session:
        vlc = session.start()
        play_from_start_at(vlc, "inverted 0")
        seen = []
        for k in range(1, 5):
            expected = f"inverted {k * script['step'] % 360}"
            try:
                turn(vlc, script, expected)
            except Failure as e:
                raise Failure(f"turn {k}, to {expected}, after {', '.join(seen) or 'none'}: {e}")
            seen.append(expected)
            if k == 1:
                quit_and_read("one turn", f"{USER_FILTER}:transform", script["step"])
                vlc = session.start()
                vlc.wait_ready()
                wait_orientation(vlc, expected, 20)
        quit_and_read("four turns", USER_FILTER, "hflip")
    print(f"{script['installed']} with the user's {USER_FILTER}: after each turn {', '.join(seen)} "
          f"(a restart after the first); vlcrc {'; '.join(reports)}")


def vlc_missing():
    for tool in ("vlc", "ffmpeg", "tesseract", "xdotool", "import", "setpriv"):
        if not shutil.which(tool):
            return f"the command {tool} is missing"
    for plugin in ("gui/libqt_plugin.so", "lua/liblua_plugin.so", "video_filter/libtransform_plugin.so",
                   "video_output/libxcb_x11_plugin.so", "control/liboldrc_plugin.so"):
        if not glob.glob("/usr/lib/*/vlc/plugins/" + plugin):
            return f"VLC's plugin {plugin} is missing"
    return None


def main():
    finish_by = time.monotonic() + DEADLINE
    signal.signal(signal.SIGALRM, _deadline_passed)
    scripts_folder, work = sys.argv[1], sys.argv[2]
    missing = vlc_missing()
    if missing:
        message = f"{missing}: tools/setup.sh could not install VLC 3 and the tools that drive it"
        if os.environ.get("CI"):
            print(f"FAIL: {message}; under CI this test must run")
            return 1
        print(f"SKIP: {message}")
        return SKIPPED
    if not os.environ.get("DISPLAY"):
        print("FAIL: no X server: run this test through tools/test.sh")
        return 1
    version = run(as_user(["vlc", "--version"]), env={"PATH": os.environ["PATH"], "HOME": "/"})
    print(version.stdout.decode().splitlines()[0])

    started = time.monotonic()
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    os.chmod(work, 0o755)
    video = os.path.join(work, "quadrants.mkv")
    make_video(video)
    runs = [(check_script, script) for script in SCRIPTS] + [(check_user_filter, SCRIPTS[USER_SCRIPT])]
    failures = 0
    for check, script in runs:
        try:
            check(script, scripts_folder, work, video, finish_by)
        except Failure as e:
            failures += 1
            print(f"FAIL {e}")
    print(f"{len(runs) - failures} passed, {failures} failed in {time.monotonic() - started:.0f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
