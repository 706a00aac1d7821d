#!/usr/bin/python3
"""Kelvo as a screen reader meets it.

Starts the real program on a private X server, with a private D-Bus session, its accessibility
bus and a private PulseAudio null sink, and reads the window through the accessibility bus the
way Orca does. Keys are typed at the X server; nothing clicks. Checks the names and roles of the
controls, the Tab order, read-only boxes, the chart's text equivalent, the announcements of a
short drill run from the keyboard, and the menu and notepad reached by keys.

Usage: screen_reader_test.py PATH/TO/kelvo [--report]
With --report it also prints what a screen reader reads for each control and the Tab order.
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PROGRAM = os.path.abspath(sys.argv[1])
REPORT = "--report" in sys.argv[2:]

# Every showing control must have a name; containers and the view inside a scroll area need none.
UNNAMED_ROLES = {"filler", "panel", "frame", "application", "menu bar", "popup menu", "viewport"}

# (role, name, description) of the controls a screen reader meets at start; None: not checked.
START_CONTROLS = [
    ("push button", "Load any File", "Load a text file to send from disk"),
    ("push button", "Load practice Text",
     "Load a supplied practice text, numbered 1 - 950:  Enter number in box below."),
    ("text", "Practice Text Number (1 - 950)", "Number of Practice Text to send: 1 - 950"),
    ("check box", "Show Quickscreen", "Clear to hide red instruction box"),
    ("check box", "Show text", "Clear to hide text in window"),
    ("push button", "Send Text", "Send any text in the box, or the loaded practice text"),
    ("push button", "Pause", "Pause and resume sending"),
    ("push button", "Abort/Show text", "Stop sending text, show sent portion"),
    ("push button", "Font", ""),
    ("text", "Text to send", "Text to be sent appears here"),
    ("scroll bar", "Text to send, scroll position", None),
    ("text", "Quickstart Instructions", "Get going in a hurry!"),
    ("scroll bar", "Code Speed, 3 to 20", "Set the overall morse speed"),
    ("text", "Code Speed", ""),
    ("scroll bar", "Farnsworth Speed, 12 to 35", "Set the Farnsworth (character) speed"),
    ("text", "Farnsworth Speed", ""),
    ("scroll bar", "Audio Frequency, 500 to 1000", "Set audio frequency for morse"),
    ("text", "Audio Frequency", ""),
    ("push button", "Start Kelvo", "Prepare for interactive learning process"),
    ("push button", "Start Sending", "Start interactive teaching process"),
    ("push button", "Stop Kelvo", "Stop interactive teaching, show progress."),
    ("status bar", "Status line", None),
    ("label", "Load text into the text box, or press <Start Kelvo.>", None),
]

# Tab from the first control, at start: the top strip, the text, the value controls, the drill.
START_TAB_ORDER = [
    "Load any File", "Load practice Text", "Practice Text Number (1 - 950)", "Show Quickscreen",
    "Show text", "Send Text", "Pause", "Abort/Show text", "Font", "Text to send",
    "Quickstart Instructions", "Code Speed, 3 to 20", "Code Speed", "Farnsworth Speed, 12 to 35",
    "Farnsworth Speed", "Audio Frequency, 500 to 1000", "Audio Frequency", "Start Kelvo",
    "Load any File",  # and round again
]

DRILL_CHAR = "q"  # with one character in use, the drill sends the first of its order
SENDING_STATUS = "Type each character you hear, or wait:  Press <Stop Kelvo> button to stop."
PREPARED_STATUS = "Enter number of characters to start, then press <Start Sending> button."
STOPPED_STATUS = "Here's how you did.  I'm Ready to go again."
RATING_LINE = "Your current mastery rating is "
GOAL_LINE = "When this is 100, you will have mastered all of the characters."
MENU_KEYS = ["F10", "alt"]
SENT_STATUS = "The box shows only the text that was sent."
# Windows opened by keys: the file and font dialogs from their buttons, and the error box from
# letters entered in a value box. Each of their controls a learner can reach has a name. Cells
# and items are named by their content, which may be empty (a folder's size).
DIALOGS = [("Load any File", ["space"]), ("Font", ["space"]), ("Code Speed", ["ctrl+a", "x", "Return"])]
DIALOG_ROLES = {"dialog", "alert"}
CONTENT_ROLES = {"table cell", "list item"}
DRILL_ORDER = list("Q7ZG098O1JPWLRAM6BXDYCKN23FU45VHSITE") + ["period", "comma", "question mark", "slash"]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, flush=True)


# ---------------------------------------------------------------- the private desktop session

class Session:
    """Xvfb, a D-Bus session with the accessibility bus, PulseAudio and the program, each in a
    process group of its own, ended in reverse order by their ids."""

    def __init__(self):
        self.procs = []
        self.scratch = tempfile.mkdtemp(prefix="kelvo-a11y-")

    def start(self, args, **kw):
        proc = subprocess.Popen(args, start_new_session=True, **kw)
        self.procs.append(proc)
        return proc

    def __enter__(self):
        runtime = os.path.join(self.scratch, "runtime")
        home = os.path.join(self.scratch, "home")
        os.mkdir(runtime, 0o700)
        os.mkdir(home, 0o700)
        # The accessibility bus puts its socket under the runtime folder: ours, not the user's.
        os.environ["XDG_RUNTIME_DIR"] = runtime
        xvfb = self.start(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        # Read the display up to its newline, and keep the pipe open: Xvfb dies if it closes.
        display = xvfb.stdout.readline().decode().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + display
        # The session bus inherits DISPLAY: the accessibility bus is activated from it.
        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        # Qt only watches for the accessibility bus; asking for its address starts it.
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                        "org.a11y.Bus.GetAddress"], check=True, stdout=subprocess.DEVNULL, timeout=30)
        self.start_sound(home)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.program = self.start([PROGRAM], env=env, cwd=self.scratch,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self

    def start_sound(self, home):
        # A null sink to play into: the drill is paced by the sound card.
        socket = os.path.join(self.scratch, "native")
        self.start(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                    "--use-pid-file=no", "--log-target=stderr",
                    "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket,
                    "--load=module-null-sink sink_name=nul"],
                   env=dict(os.environ, HOME=home), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.environ["PULSE_SERVER"] = "unix:" + socket
        os.environ["PULSE_COOKIE"] = os.path.join(self.scratch, "cookie")
        for _ in range(100):
            if subprocess.run(["pactl", "info"], capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        else:
            raise RuntimeError("PulseAudio did not start")
        subprocess.run(["pactl", "set-default-sink", "nul"], check=True, capture_output=True)

    def __exit__(self, *exc):
        for proc in reversed(self.procs):
            try:
                os.killpg(proc.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for proc in reversed(self.procs):
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)


# ---------------------------------------------------------------- reading the bus

def atspi():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi
    return Atspi


def wait_for(what, predicate, timeout=15.0):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            check(False, "timed out waiting for " + what)
            return value
        time.sleep(0.1)


def states(acc):
    return {s.value_nick for s in acc.get_state_set().get_states()}


def walk(acc, showing_only=True):
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is None:
            continue
        if showing_only and "showing" not in states(child):
            continue
        yield child
        yield from walk(child, showing_only)


def text_of(acc):
    Text = atspi().Text
    return Text.get_text(acc, 0, Text.get_character_count(acc))


class Program:
    def __init__(self, Atspi):
        self.Atspi = Atspi
        self.app = wait_for("the program on the bus", self.find_app, 30)
        self.window_id = None

    def find_app(self):
        desktop = self.Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == "KORVAL morse tester":
                return app
        return None

    def window(self, title_start):
        for i in range(self.app.get_child_count()):
            w = self.app.get_child_at_index(i)
            if w is not None and w.get_name().startswith(title_start) and "showing" in states(w):
                return w
        return None

    def main(self):
        return self.window("Kelvo - Morse code by ear")

    def find(self, role, name, root=None):
        for acc in walk(root or self.main()):
            if acc.get_role_name() == role and acc.get_name() == name:
                return acc
        return None

    def focused(self):
        for i in range(self.app.get_child_count()):
            w = self.app.get_child_at_index(i)
            if w is None:
                continue
            for acc in walk(w):
                if "focused" in states(acc) and acc.get_role_name() not in UNNAMED_ROLES:
                    return acc
        return None

    def focus_window(self):
        if self.window_id is None:
            out = subprocess.run(["xdotool", "search", "--sync", "--name", "^Kelvo - Morse code by ear"],
                                 capture_output=True, text=True, timeout=30).stdout.split()
            self.window_id = out[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window_id], check=True, timeout=30)

    def keys(self, *keys):
        for key in keys:
            subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=True, timeout=30)
            time.sleep(0.15)

    def tab(self):
        """One Tab, and the focus it moves to (a busy machine may take a moment)."""
        before = self.focused()
        key = (before.get_role_name(), before.get_name()) if before else None
        self.keys("Tab")
        end = time.monotonic() + 5
        while True:
            after = self.focused()
            if (after and (after.get_role_name(), after.get_name()) != key) or time.monotonic() > end:
                return after
            time.sleep(0.05)

    def tab_to(self, name, limit=40):
        """Tab until the named control has the focus; the keyboard is all a blind learner has."""
        acc = self.focused()
        for _ in range(limit):
            if acc is not None and acc.get_name() == name:
                return acc
            acc = self.tab()
        check(False, "Tab never reached " + repr(name))
        return None


class EventLog:
    """What the bus announces: name changes, text insertions and description changes."""

    KINDS = ["object:property-change:accessible-name", "object:text-changed:insert",
             "object:property-change:accessible-description", "object:state-changed:focused"]

    def __init__(self, Atspi):
        self.events = []
        self.listener = Atspi.EventListener.new(self.on_event)
        for kind in self.KINDS:
            self.listener.register(kind)

    def on_event(self, event):
        try:
            source = event.source
            entry = (event.type, source.get_role_name() if source else "", source.get_name() if source else "",
                     event.any_data if isinstance(event.any_data, str) else "", event.detail1)
            self.events.append(entry)
        except Exception:  # a source gone meanwhile
            pass

    def pump(self, seconds):
        from gi.repository import GLib
        end = time.monotonic() + seconds
        ctx = GLib.MainContext.default()
        while time.monotonic() < end:
            while ctx.pending():
                ctx.iteration(False)
            time.sleep(0.05)

    def wait(self, what, predicate, timeout=20.0):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            self.pump(0.1)
            if any(predicate(e) for e in self.events):
                return True
        check(False, "no announcement of " + what)
        return False


# ---------------------------------------------------------------- the checks

def check_names(program, report):
    main = program.main()
    controls = [a for a in walk(main) if a.get_role_name() not in UNNAMED_ROLES]
    for acc in controls:
        check(acc.get_name() != "", "a showing %s has no name" % acc.get_role_name())
    seen = [(a.get_role_name(), a.get_name(), a.get_description()) for a in controls]
    for role, name, description in START_CONTROLS:
        match = [s for s in seen if s[0] == role and s[1] == name]
        check(len(match) == 1, "%s %r is on the bus once (found %d)" % (role, name, len(match)))
        if match and description is not None:
            check(match[0][2] == description, "%s %r reads %r" % (role, name, match[0][2]))
    if report:
        print("\n== What a screen reader reads at start (role: name, description)")
        for role, name, description in seen:
            print("  %-12s %s%s" % (role + ":", name, "  (" + description + ")" if description else ""))


def check_tab_order(program, report):
    program.focus_window()
    program.tab_to(START_TAB_ORDER[0])
    visited = []
    for expected in START_TAB_ORDER[1:]:
        acc = program.tab()
        visited.append((acc.get_role_name(), acc.get_name()) if acc else ("", "(nothing)"))
    check([n for _, n in visited] == START_TAB_ORDER[1:], "Tab order at start: %r" % [n for _, n in visited])
    if report:
        print("\n== Tab order at start")
        print("  1. push button: " + START_TAB_ORDER[0])
        for i, (role, name) in enumerate(visited[:-1], 2):
            print("  %d. %s: %s" % (i, role, name))


def chart_weights(program):
    chart = program.find("chart", "Error Histogram")
    if chart is None:
        return [], ""
    text = chart.get_description()
    entries = text.removeprefix("Error weights: ").split(", ") if text.startswith("Error weights: ") else []
    return entries, text


def check_drill(program, log, report):
    """Start Kelvo, Start Sending, one answer, Stop Kelvo, by keys alone; the rating read back."""
    program.focus_window()
    program.tab_to("Start Kelvo")
    program.keys("space")
    log.wait("the prepared status", lambda e: e[0].endswith("accessible-name") and e[2] == PREPARED_STATUS)
    wait_for("the chart on the bus", lambda: chart_weights(program)[0], 10)
    entries, text = chart_weights(program)
    check(len(entries) == 40 and all(e.split(": ")[1] == "1.00" for e in entries),
          "the chart reads 40 unlabelled bars at 1.00: " + text[:120])
    count = program.find("text", "Characters to Start")
    check(count is not None and text_of(count) == "1", "the start count box reads 1")

    program.tab_to("Start Sending")
    program.keys("space")
    log.wait("the sending status", lambda e: e[0].endswith("accessible-name") and e[2] == SENDING_STATUS)
    in_use = wait_for("Characters in use", lambda: program.find("text", "Characters in use"))
    if in_use is not None:
        st = states(in_use)
        check("read-only" in st and "editable" not in st, "Characters in use is read-only: %s" % sorted(st))
        check(text_of(in_use) == "1", "Characters in use reads 1")

    # Answer until the echo is announced: the first turn begins once the lead-in has played.
    focus_before = program.focused()
    focus_name = focus_before.get_name() if focus_before else None
    echoed = False
    end = time.monotonic() + 20
    while not echoed and time.monotonic() < end:
        program.keys(DRILL_CHAR)
        log.pump(1.0)
        echoed = any(e[0] == "object:text-changed:insert" and e[2] == "Text to send" and e[3] == DRILL_CHAR
                     for e in log.events)
    check(echoed, "the echoed answer is announced as text inserted into the text box")
    focus_after = program.focused()
    check((focus_after.get_name() if focus_after else None) == focus_name,
          "announcements leave the focus where the learner types (%r)" % focus_name)
    wait_for("the end of the turn", lambda: [e for e in chart_weights(program)[0] if not e.endswith("1.00")], 15)
    entries, text = chart_weights(program)
    check(len(entries) == 40 and entries[0] != "1: 1.00", "the chart follows the first turn: " + text[:60])

    program.tab_to("Stop Kelvo")
    program.keys("space")
    log.wait("the stopped status", lambda e: e[0].endswith("accessible-name") and e[2] == STOPPED_STATUS)
    log.wait("the rating", lambda e: e[0] == "object:text-changed:insert" and e[2] == "Text to send"
             and RATING_LINE in e[3])
    memo = program.find("text", "Text to send")
    lines = text_of(memo).split("\n") if memo else []
    check(len(lines) == 2 and lines[0].startswith(RATING_LINE) and lines[0][len(RATING_LINE):].isdigit()
          and lines[1] == GOAL_LINE, "the text box reads the two rating lines: %r" % lines)
    wait_for("the labelled chart", lambda: chart_weights(program)[1].startswith("Error weights: Q "), 5)
    entries, text = chart_weights(program)
    labels = [e.rsplit(" ", 1)[0] for e in entries]
    check(labels == DRILL_ORDER, "after Stop Kelvo the chart reads its 40 labels: %r" % labels)
    if report:
        print("\n== After Stop Kelvo")
        print("  text box: " + " / ".join(lines))
        print("  chart: " + text)
        print("\n== Announcements seen on the bus during the drill")
        for kind, role, name, data, _ in log.events:
            if kind.endswith("accessible-name") or (kind == "object:text-changed:insert" and role == "text"):
                print("  %s  %s %r  %r" % (kind, role, name, data))


def check_send(program, log):
    """A text typed and sent by keys; the end of the send is announced on the status line."""
    program.focus_window()
    program.tab_to("Text to send")
    program.keys("ctrl+a", "e")
    program.tab_to("Send Text")
    program.keys("space")
    log.wait("the end of the send", lambda e: e[0].endswith("accessible-name") and e[2] == SENT_STATUS, 30)
    memo = program.find("text", "Text to send")
    check(memo is not None and text_of(memo) == "e", "the text box reads the text as sent")


def check_dialogs(program, report):
    for button, keys in DIALOGS:
        program.focus_window()
        program.tab_to(button)
        program.keys(*keys)
        dialog = wait_for("the window of " + button, lambda: next(
            (program.app.get_child_at_index(i) for i in range(program.app.get_child_count())
             if program.app.get_child_at_index(i).get_role_name() in DIALOG_ROLES
             and "showing" in states(program.app.get_child_at_index(i))), None))
        if dialog is None:
            continue
        unnamed = [a.get_role_name() for a in walk(dialog) if "focusable" in states(a)
                   and a.get_role_name() not in CONTENT_ROLES and not a.get_name()]
        check(not unnamed, "every control of %r has a name; unnamed: %r" % (dialog.get_name(), unnamed))
        if report:
            print("\n== %s (from %s)" % (dialog.get_name(), button))
            for acc in walk(dialog):
                if "focusable" in states(acc) and acc.get_role_name() not in CONTENT_ROLES:
                    print("  %-12s %s" % (acc.get_role_name() + ":", acc.get_name()))
        program.keys("Escape")
        wait_for("the window of %s to close" % button, lambda: "showing" not in states(dialog), 10)
    # The code speed back to a number, for what follows.
    program.focus_window()
    program.tab_to("Code Speed")
    program.keys("ctrl+a", "5", "Return")


def check_menu_and_notepad(program, report):
    """F10 or Alt takes the keyboard to the menu and Escape back; arrows and Enter reach every item:
    ToggleProgress shows a read-only box, Notepad (an item without a submenu) opens its window."""
    program.focus_window()
    program.tab_to("Code Speed")
    for key in MENU_KEYS:
        program.keys(key)
        menu = wait_for("the menu after " + key, lambda: (program.focused() or None) and
                        program.focused().get_role_name() == "menu item" and program.focused())
        check(menu is not None and menu.get_name() == "Advanced", key + " highlights the first menu")
        program.keys("Escape")
        back = wait_for("the focus back after " + key, lambda: (program.focused() or None) and
                        program.focused().get_role_name() != "menu item" and program.focused())
        check(back is not None and back.get_name() == "Code Speed", "Escape gives the focus back after " + key)
    program.keys("F10", "Down", "Down", "Down", "Down", "Down", "Return")  # the fifth item of Advanced
    progress = wait_for("the progress box", lambda: program.find("text", "Text as sent"))
    if progress is not None:
        st = states(progress)
        check("read-only" in st and "editable" not in st, "the progress box is read-only: %s" % sorted(st))
    program.focus_window()
    program.keys("F10", "Right", "Return")
    notepad = wait_for("the notepad", lambda: program.window("Note Pad:"))
    if notepad is not None:
        for role, name in [("push button", "Save Notepad"), ("text", "Notes")]:
            check(program.find(role, name, notepad) is not None, "the notepad has %s %r" % (role, name))
        if report:
            print("\n== Notepad window")
            for acc in walk(notepad):
                if acc.get_role_name() not in UNNAMED_ROLES:
                    print("  %-12s %s  (%s)" % (acc.get_role_name() + ":", acc.get_name(), acc.get_description()))


def main():
    with Session():
        Atspi = atspi()
        program = Program(Atspi)
        wait_for("the main window", program.main, 30)
        log = EventLog(Atspi)
        check_names(program, REPORT)
        check_tab_order(program, REPORT)
        check_drill(program, log, REPORT)
        check_send(program, log)
        check_dialogs(program, REPORT)
        check_menu_and_notepad(program, REPORT)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("All screen-reader checks passed.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
