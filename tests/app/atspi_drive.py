#!/usr/bin/env python3
"""Drives the desktop program the way a screen reader or a UI automation tool does: through
AT-SPI, on a virtual X server and a private session bus, with a home, settings and a small
catalogue of its own in a temporary folder. Nothing of the user's desktop, buses or files is
touched: run directly, the script starts itself again under xvfb-run and dbus-run-session.

    atspi_drive.py --app build/app/quillory --cli build/quillory-cli

Exit status 0 when every step worked; otherwise the first failing step is printed.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import warnings

DEADLINE_SECONDS = 10.0  # for each awaited condition
SESSION_SECONDS = 45  # for the whole run, within the test's time limit


class Failure(Exception):
    pass


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True, help="the desktop program")
    parser.add_argument("--cli", required=True, help="the command-line program, to build the catalogue")
    parser.add_argument("--inner", metavar="DIR", help=argparse.SUPPRESS)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    return parser.parse_args()


# ---------------------------------------------------------------------------------------------
# Outside the virtual session: the isolated home, the catalogue and the virtual session itself.


def isolated_environment(root):
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
                 "XAUTHORITY", "SESSION_MANAGER", "XDG_SESSION_TYPE"):
        env.pop(name, None)
    folders = {
        "HOME": "home",
        "XDG_CONFIG_HOME": "config",
        "XDG_DATA_HOME": "data",
        "XDG_CACHE_HOME": "cache",
        "XDG_STATE_HOME": "state",
        "XDG_RUNTIME_DIR": "runtime",
    }
    for name, folder in folders.items():
        path = os.path.join(root, folder)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[name] = path
    env["TMPDIR"] = os.path.join(root, "tmp")
    os.makedirs(env["TMPDIR"], exist_ok=True)
    # GLib's settings stay in memory: no dconf database of anyone is read or written.
    env["GSETTINGS_BACKEND"] = "memory"
    return env


def prepare_catalogue(args, root, env):
    settings = os.path.join(env["XDG_CONFIG_HOME"], "Marlowen")
    os.makedirs(settings, exist_ok=True)
    with open(os.path.join(settings, "Quillory.conf"), "w", encoding="utf-8") as conf:
        conf.write("[Options]\nRescanOnStartup=0\nStartWindowsStarts=0\n")
    tree = os.path.join(root, "tree")
    for relative in ("alpha/needle-one.txt", "alpha/needle-two.log", "beta/needle-three.md",
                     "beta/other.txt", "gamma/haystack.bin"):
        path = os.path.join(tree, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write("x\n")
    catalogue = os.path.join(env["XDG_DATA_HOME"], "quillory")
    os.makedirs(catalogue, exist_ok=True)
    subprocess.run([args.cli, "--db", os.path.join(catalogue, "index.dat"), "scan", "--include", tree],
                   env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def run_outer(args):
    for tool in ("xvfb-run", "dbus-run-session"):
        if shutil.which(tool) is None:
            print(f"{tool} is missing", file=sys.stderr)
            return 2
    root = tempfile.mkdtemp(prefix="quillory-atspi-")
    try:
        env = isolated_environment(root)
        prepare_catalogue(args, root, env)
        # The search for a free display starts at a number of this run's own, so runs side by
        # side (ctest -j, other virtual servers) seldom race for the same one.
        first_display = str(100 + os.getpid() % 800)
        command = ["xvfb-run", "-a", "-n", first_display, "-s", "-screen 0 1024x768x24 -nolisten tcp",
                   "dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                   "--app", os.path.abspath(args.app), "--cli", os.path.abspath(args.cli), "--inner", root]
        # The session's output goes to a file: a helper of the session (the accessibility bus,
        # its registry) that outlived it would otherwise hold the caller's output open.
        with open(os.path.join(root, "session.log"), "w") as log:
            session = subprocess.Popen(command, env=env, cwd=root, stdin=subprocess.DEVNULL, stdout=log,
                                       stderr=subprocess.STDOUT, start_new_session=True)
            try:
                returncode = session.wait(SESSION_SECONDS)
            except subprocess.TimeoutExpired:
                print(f"the session took longer than {SESSION_SECONDS} s", flush=True)
                returncode = 1
            # Whatever of the session is left (the virtual server, the buses) ends with it.
            try:
                os.killpg(session.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            session.wait()
        with open(os.path.join(root, "session.log"), encoding="utf-8", errors="replace") as log:
            sys.stdout.write(log.read()[-20000:])
        return returncode
    finally:
        if args.keep:
            print(f"kept {root}")
        else:
            shutil.rmtree(root, ignore_errors=True)


# ---------------------------------------------------------------------------------------------
# Inside the virtual session: the program and the AT-SPI client.


def load_atspi():
    import gi

    # The bindings mark some names deprecated that this version of the library still needs.
    warnings.filterwarnings("ignore", category=DeprecationWarning)
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    return Atspi


def wait_for(what, probe, deadline=DEADLINE_SECONDS):
    """Polls `probe` until it returns a true value, which is returned; fails after `deadline`."""
    end = time.monotonic() + deadline
    last_error = None
    while True:
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # a window going away mid-walk is retried, not fatal
            last_error = error
        if time.monotonic() > end:
            detail = f" (last error: {last_error})" if last_error else ""
            raise Failure(f"timed out waiting for {what}{detail}")
        time.sleep(0.05)


class Driver:
    def __init__(self, Atspi, process, app_path, env):
        self.Atspi = Atspi
        self.process = process
        self.app_path = app_path
        self.env = env
        self.app = None

    # Reading the accessibility tree -------------------------------------------------------

    def fresh(self, node):
        # Names and states come from the program each time, never from the client's cache,
        # which only events delivered to a main loop would keep current.
        node.clear_cache()
        return node

    def name(self, node):
        return self.fresh(node).get_name() or ""

    def role(self, node):
        return node.get_role()

    def children(self, node):
        count = self.fresh(node).get_child_count()
        result = []
        for index in range(count):
            child = node.get_child_at_index(index)
            if child is not None:
                result.append(child)
        return result

    def walk(self, node, depth=0, limit=12):
        yield node, depth
        if depth >= limit:
            return
        # A table's cells are the results themselves: not needed to find controls.
        if self.role(node) in (self.Atspi.Role.TABLE, self.Atspi.Role.TREE_TABLE, self.Atspi.Role.LIST):
            return
        for child in self.children(node):
            yield from self.walk(child, depth + 1, limit)

    def find(self, root, role, name=None):
        for node, _ in self.walk(root):
            if self.role(node) == role and (name is None or self.name(node) == name):
                return node
        return None

    def find_all(self, root, role):
        return [node for node, _ in self.walk(root) if self.role(node) == role]

    def has_state(self, node, state):
        return self.fresh(node).get_state_set().contains(state)

    def application(self):
        desktop = self.Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(index)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def window(self, role, name):
        """The shown top-level window of `role` and `name`: a closed dialog may stay in the tree,
        hidden, until the program deletes it."""
        for node in self.children(self.app):
            if (self.role(node) == role and self.name(node) == name
                    and self.has_state(node, self.Atspi.StateType.SHOWING)):
                return node
        return None

    # Acting through the Action and EditableText interfaces --------------------------------

    def offers(self, node, interface):
        return interface in node.get_interfaces()

    def actions(self, node):
        if not self.offers(node, "Action"):
            return []
        Action = self.Atspi.Action
        return [Action.get_action_name(node, i) for i in range(Action.get_n_actions(node))]

    def act(self, node, *names):
        offered = self.actions(node)
        if not offered:
            raise Failure(f"{self.describe(node)} offers no action")
        for index, offered_name in enumerate(offered):
            if offered_name.lower() in names:
                if not self.Atspi.Action.do_action(node, index):
                    raise Failure(f"{self.describe(node)} refused {offered_name}")
                return
        raise Failure(f"{self.describe(node)} offers {offered}, none of {names}")

    def press(self, node):
        self.act(node, "press", "click", "activate")

    def toggle(self, node):
        self.act(node, "toggle", "press", "click")

    def set_text(self, node, text):
        if not self.offers(node, "EditableText"):
            raise Failure(f"{self.describe(node)} is not editable")
        if not self.Atspi.EditableText.set_text_contents(node, text):
            raise Failure(f"{self.describe(node)} refused the text")

    def text(self, node):
        if not self.offers(node, "Text"):
            return ""
        return self.Atspi.Text.get_text(node, 0, self.Atspi.Text.get_character_count(node))

    def unnamed_controls(self, root):
        """Controls a screen reader would announce by their role alone. A combo box is left
        out: on Linux its name is its current text, and it is labelled by relations."""
        Role = self.Atspi.Role
        roles = (Role.PUSH_BUTTON, Role.CHECK_BOX, Role.TEXT, Role.RADIO_BUTTON, Role.SPIN_BUTTON,
                 Role.LINK, Role.TABLE, Role.PAGE_TAB, Role.SLIDER)
        return [self.describe(node) for node, _ in self.walk(root)
                if self.role(node) in roles and not self.name(node)]

    def describe(self, node):
        return f"{node.get_role_name()} {self.name(node)!r}"

    def outline(self, root, limit=6):
        lines = []
        for node, depth in self.walk(root, limit=limit):
            lines.append("  " * depth + self.describe(node))
        return "\n".join(lines)


def expect(condition, message):
    if not condition:
        raise Failure(message)


def drive(driver, Atspi, report):
    Role, State = Atspi.Role, Atspi.StateType
    driver.app = wait_for("the program on the accessibility bus", driver.application, 20)
    report(f"application {driver.name(driver.app)!r}")
    main = wait_for("the main window", lambda: driver.window(Role.FRAME, "Quillory"))

    # The controls a screen reader announces in the main window, by role and name.
    search_box = wait_for("the search box", lambda: driver.find(main, Role.TEXT, "Search text"))
    search = wait_for("the Search button", lambda: driver.find(main, Role.PUSH_BUTTON, "Search"))
    folders = driver.find(main, Role.CHECK_BOX, "Find folders")
    files = driver.find(main, Role.CHECK_BOX, "Find files")
    expect(folders and files, "the Find folders / Find files check boxes are not exposed")
    unnamed = driver.unnamed_controls(main)
    expect(not unnamed, f"controls without a name: {unnamed}")
    report("main window:\n" + driver.outline(main))

    # A search typed into the box and started with the Search button; the status bar's label
    # reads out the outcome.
    driver.set_text(search_box, "needle")
    wait_for("the typed search text", lambda: driver.text(search_box) == "needle")
    status_bar = driver.find(main, Role.STATUS_BAR)
    expect(status_bar is not None, "no status bar")

    def status_text():
        labels = driver.find_all(status_bar, Role.LABEL)
        return next((driver.name(label) for label in labels if driver.name(label)), "")

    before = status_text()
    driver.press(search)
    wait_for("the search's outcome in the status bar",
             lambda: status_text() != before and status_text().startswith("OK!"))
    status = status_text()
    report(f"status bar: {status!r}")
    expect("3 files found" in status, f"the search for 'needle' should find 3 files: {status!r}")

    # The titles the window manager shows are the captions alone: nothing is appended to them.
    def x11_title_shown(title):
        if not shutil.which("xdotool"):
            return True
        found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], capture_output=True, text=True)
        return found.returncode == 0 and found.stdout.strip() != ""

    wait_for("the X11 title 'Quillory - Database: None'", lambda: x11_title_shown("Quillory - Database: None"))

    # Find folders / Find files: whichever is cleared, at least one stays ticked.
    expect(driver.has_state(folders, State.CHECKED) and driver.has_state(files, State.CHECKED),
           "Find folders and Find files should both start ticked")
    driver.toggle(folders)
    wait_for("Find folders cleared", lambda: not driver.has_state(folders, State.CHECKED))
    expect(driver.has_state(files, State.CHECKED), "Find files was cleared along with Find folders")
    driver.toggle(files)
    wait_for("Find files cleared", lambda: not driver.has_state(files, State.CHECKED))
    wait_for("Find folders ticked again once Find files was cleared",
             lambda: driver.has_state(folders, State.CHECKED))
    driver.toggle(files)
    wait_for("Find files ticked again", lambda: driver.has_state(files, State.CHECKED))
    expect(driver.has_state(folders, State.CHECKED), "Find folders was cleared by ticking Find files")
    report("Find folders / Find files: one of them always stays ticked")

    # The dialogs open from their buttons and close from their own buttons.
    for opener, title, closer in (("Options", "Options", "Cancel"),
                                  ("Boolean expression builder", "Boolean expression", "Cancel"),
                                  ("About", "About", None)):
        button = driver.find(main, Role.PUSH_BUTTON, opener)
        expect(button is not None, f"no {opener!r} button")
        driver.press(button)
        dialog = wait_for(f"the {title!r} dialog", lambda: driver.window(Role.DIALOG, title))
        report(f"dialog {title!r}:\n" + driver.outline(dialog))
        wait_for(f"the X11 title {title!r}", lambda: x11_title_shown(title))
        for control in driver.unnamed_controls(dialog):
            report(f"note: in the {title!r} dialog, {control} has no name")
        if closer:
            close = driver.find(dialog, Role.PUSH_BUTTON, closer)
            expect(close is not None, f"the {title!r} dialog has no {closer!r} button")
            driver.press(close)
        else:
            close_about(driver, Atspi, dialog, report)
        wait_for(f"the {title!r} dialog closed", lambda: driver.window(Role.DIALOG, title) is None)

    # The Close button hides the window (the program keeps running for its hot keys); the
    # command line's "exit" ends it, which saves its settings into the temporary home.
    driver.press(driver.find(main, Role.PUSH_BUTTON, "Close"))
    wait_for("the main window hidden", lambda: driver.window(Role.FRAME, "Quillory") is None)
    subprocess.run([driver.app_path, "exit"], env=driver.env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, timeout=DEADLINE_SECONDS, check=True)
    wait_for("the program's end", lambda: driver.process.poll() is not None)
    expect(driver.process.returncode == 0, f"the program exited with {driver.process.returncode}")


def close_about(driver, Atspi, dialog, report):
    """The About box closes by its link alone (Escape leaves it open). The link offers no
    action to assistive technologies, only the keyboard path: focus on the link, Tab onto
    its anchor, Enter. The keys go through the X server in order, so Enter follows Tab."""
    link = driver.find(dialog, Atspi.Role.LABEL, "Close the window")
    expect(link is not None, "the About box has no 'Close the window' link")
    offered = driver.actions(link)
    if any(name.lower() in ("press", "click", "activate", "jump") for name in offered):
        driver.press(link)
        return
    report(f"the 'Close the window' link offers only {offered}: closed by the keyboard")
    driver.act(link, "setfocus")
    wait_for("the link focused", lambda: driver.has_state(link, Atspi.StateType.FOCUSED))
    for key in (0xFF09, 0xFF0D):  # the X key symbols of Tab and Return
        Atspi.generate_keyboard_event(key, None, Atspi.KeySynthType.SYM)


def run_inner(args):
    Atspi = load_atspi()
    env = dict(os.environ)
    env.update({
        "QT_QPA_PLATFORM": "xcb",
        "QT_ACCESSIBILITY": "1",
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
    })
    # The first question to the accessibility bus starts it (the session bus launches it on
    # demand) along with its registry, so the program finds it as soon as it starts.
    wait_for("the accessibility registry", lambda: Atspi.get_desktop(0).get_child_count() >= 0, 20)
    log = open(os.path.join(args.inner, "program.log"), "w")
    process = subprocess.Popen([args.app], env=env, cwd=args.inner, stdin=subprocess.DEVNULL, stdout=log,
                               stderr=subprocess.STDOUT)
    driver = Driver(Atspi, process, args.app, env)
    started = time.monotonic()

    def report(line):
        print(line, flush=True)

    try:
        drive(driver, Atspi, report)
        print(f"all steps passed in {time.monotonic() - started:.1f} s", flush=True)
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}", flush=True)
        if driver.app is not None:
            try:
                for node in driver.children(driver.app):
                    print(driver.outline(node), flush=True)
            except Exception:
                pass
        return 1
    finally:
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        log.close()
        with open(os.path.join(args.inner, "program.log"), encoding="utf-8", errors="replace") as output:
            text = output.read().strip()
            if text:
                print("program output:\n" + text[-3000:], flush=True)


def main():
    args = parse_args()
    if args.inner:
        return run_inner(args)
    return run_outer(args)


if __name__ == "__main__":
    sys.exit(main())
