#!/usr/bin/python3
"""Starts the "kelvo" command of an unpacked installation under a virtual display, with a scratch
home, and loads a practice text through the window as a learner would: the program must run in
the learner's folder that the launcher made, and read the text from there.

Usage: check_installed_start.py ROOT   (ROOT holds usr/bin/kelvo)

The window is driven over the accessibility bus: a private X server, a private session bus with
the accessibility bus activated on it, and the program with Qt's accessibility switched on. Only
processes started here are stopped, each by its own id or process group.
"""
import os
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(sys.argv[1])
MARKER = "VVV KELVO INSTALLED START TEST"
LOAD_BUTTON = "Load practice Text"
MEMO1_HINT = "Text to be sent appears here"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, predicate, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    fail("timed out waiting for " + what)


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,), start_new_session=True,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    with os.fdopen(read_end, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                fail("Xvfb did not start")
            number += chunk
    return xvfb, ":" + number.decode().strip()


def start_session_bus(env):
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env,
                           start_new_session=True)
    address = bus.stdout.readline().decode().strip()
    if not address:
        fail("the session bus did not start")
    return bus, address


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1)


def main():
    scratch = tempfile.mkdtemp(prefix="kelvo-installed-")
    home = os.path.join(scratch, "home")
    runtime = os.path.join(scratch, "runtime")
    os.mkdir(home)
    os.mkdir(runtime, 0o700)
    xvfb, display = start_xvfb()
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("XDG_", "DBUS_", "QT_", "KELVO_"))}
    env.update(HOME=home, XDG_RUNTIME_DIR=runtime, DISPLAY=display)
    bus, address = start_session_bus(env)
    env["DBUS_SESSION_BUS_ADDRESS"] = address
    kelvo = None
    try:
        # Qt only watches for the accessibility bus; asking for its address starts it.
        subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                        "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        os.environ.update(DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=address)
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi

        kelvo = subprocess.Popen([os.path.join(ROOT, "usr/bin/kelvo")],
                                 env=dict(env, QT_QPA_PLATFORM="xcb",
                                          QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
        folder = os.path.join(home, ".local/share/kelvo")

        def application():
            desktop = Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_process_id() == kelvo.pid:
                    return app
            if kelvo.poll() is not None:
                fail("kelvo ended with status %d before its window appeared" % kelvo.returncode)
            return None

        app = wait_for("the window on the accessibility bus", application)

        # The launcher replaced itself by the installed program, started in the learner's folder.
        exe = os.readlink("/proc/%d/exe" % kelvo.pid)
        if exe != os.path.join(ROOT, "usr/libexec/kelvo/kelvo"):
            fail("the running program is %s" % exe)
        cwd = os.readlink("/proc/%d/cwd" % kelvo.pid)
        if cwd != folder:
            fail("the program runs in %s, not in %s" % (cwd, folder))
        for name in ["help.htm"] + ["P%d" % k for k in range(10)]:
            with open(os.path.join(ROOT, "usr/share/kelvo", name), "rb") as shipped, \
                    open(os.path.join(folder, name), "rb") as copied:
                if shipped.read() != copied.read():
                    fail("%s in the learner's folder is not the shipped one" % name)

        # The controls named in `wanted`, when all of them are on show.
        def controls(*wanted):
            found = {}
            for node in walk(app):
                role = node.get_role_name()
                if role == "push button" and node.get_name() in (LOAD_BUTTON, "OK"):
                    found[node.get_name()] = node
                elif role in ("text", "paragraph", "document text") and node.get_description() == MEMO1_HINT:
                    found["Memo1"] = node
            return found if all(name in found for name in wanted) else None

        # Without a sound device the program starts with an error box: answered, as a learner would.
        first = wait_for("the window or an error box", lambda: controls(LOAD_BUTTON) or controls("OK"))
        if LOAD_BUTTON not in first:
            Atspi.Action.do_action(first["OK"], 0)
        found = wait_for("the window's controls", lambda: controls(LOAD_BUTTON, "Memo1"))

        # Text 1, as the learner's copy of P0 holds it now: read from the learner's folder.
        p0 = os.path.join(folder, "P0")
        with open(p0, "rb") as f:
            lines = f.read().split(b"\r\n")
        lines[0] = MARKER.encode()
        with open(p0, "wb") as f:
            f.write(b"\r\n".join(lines))
        Atspi.Action.do_action(found[LOAD_BUTTON], 0)
        memo1 = found["Memo1"]

        def loaded():
            return Atspi.Text.get_text(memo1, 0, -1).strip() == MARKER

        wait_for('practice text 1 ("%s") in the text box' % MARKER, loaded, seconds=30)
        print("kelvo started in %s and loaded practice text 1 from there" % folder)
    finally:
        if kelvo is not None and kelvo.poll() is None:
            kelvo.terminate()
            try:
                kelvo.wait(10)
            except subprocess.TimeoutExpired:
                kelvo.kill()
                kelvo.wait()
        os.killpg(bus.pid, signal.SIGTERM)
        bus.wait()
        xvfb.terminate()
        xvfb.wait()
        subprocess.run(["rm", "-rf", scratch])


main()
