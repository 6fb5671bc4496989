#!/usr/bin/env python3
"""hostgone.py: a network tournament of three to five headless copies whose host goes at a chosen
step, run by the shared net-tournament runner, and what the copies left make of it.

  hostgone.py RUNDIR PORT STEP COPIES [SEED]

  STEP   where the host goes (its copy killed, but for escape):
           setup    on its set-up screen, every other player on theirs
           start    on its start of the day, every other player waiting at its GO FISH
           lake     on the first day's lake, every boat on it
           exchange in the first weigh-in's exchange of catches (Casey stopped on the lake)
           close    in the first weigh-in's closing wait, the others on their boards
           between  in its wait between the days (Casey stopped in its closing wait)
           final    on the final's board, the others on theirs
           menu     on the main menu after the final; the copies left play a second game,
                    the new host setting it up
           escape   leaves by Escape and yes at its closing wait of the first weigh-in
  COPIES 3 to 5: the host Angler and the joiners Casey, Drew, Eve, Finn (in that order of ids)

Every copy plays a two-day tournament in which nobody fishes: the days run out on the clock. The
host's script waits for what the step needs and then stands; the joiners wait for "AnglerAngler has
left the game" wherever their next move would hold for the host. Casey, the lowest id left, does
the host's part once the host is gone: it starts the day when the set-up is left to it, and sets up
the second game.

This watches every copy's live digest (a hundred times a second) and kills the host's copy, by its
process id, when the step's state shows; for exchange and between it first stops Casey (SIGSTOP),
so that the host stands in the wait, and lets it go on after the kill. The shared runner (TOURNEY,
default ../shared/tools/net-tournament/tourney.py from the project's root; GAME and DATA as it
reads them) starts the copies, compares every day's boards and counts stalls and flood lines. This
adds, for each copy left: the games credited, the players it lists (every copy left, nobody else),
how many of them host (exactly one), any refusal and any "has left" line that names a copy left.
The last line of RUNDIR/hostgone.txt is the run's row, the lines before it what happened.
"""
import os
import re
import signal
import subprocess
import sys
import threading
import time

NAMES = ["Angler", "Casey", "Drew", "Eve", "Finn"]
STEPS = ["setup", "start", "lake", "exchange", "close", "between", "final", "menu", "escape"]
DAYS = 2
HOST_LEFT = "wait net.line AnglerAngler has left the game*"
# Frames a copy stands while this stops another: well within the time-out that would let the
# stopped copy go, and far longer than this takes to stop it.
HOLD = int(os.environ.get("HOLD_FRAMES", "100"))
# The longest a copy stays stopped: the host never came to the wait the step needs.
STOP_SECONDS = 20
REFUSALS = re.compile(r"The game has already begun\.|The session is full\.|No game was found|turned this player away")


class Script:
    """Lines one frame apart from frame 100 on, as the generated scripts of the shared runner."""

    def __init__(self, start):
        self.text = start
        self.f = 100

    def add(self, lines, gap=1):
        for line in lines.strip("\n").split("\n"):
            self.text += f"{self.f} {line}\n"
            self.f += gap

    def same(self, lines):
        """Lines on the frame of the last one: a wait among them plays inside that frame's wait."""
        self.f -= 1
        for line in lines.strip("\n").split("\n"):
            self.text += f"{self.f} {line}\n"
        self.f += 1


def click(x=320, y=300):
    return f"move {x} {y}\nbutton 0 down\nbutton 0 up"


def say(text):
    return f"key T down\nkey T up\ntext {text}\nkey Return down\nkey Return up"


def first_start(name, host, hold_setup):
    """Profiles: a new player named by the typed text; the set-up; a host steps its days arrow."""
    text = ("5 move 531 311\n6 button 0 down\n7 button 0 up\n20 move 90 40\n21 button 0 down\n22 button 0 up\n"
            f"30 text {name}\n35 move 500 285\n36 button 0 down\n37 button 0 up\n"
            "50 move 170 442\n51 button 0 down\n52 button 0 up\n60 wait screen 4\n")
    if host:
        text += "61 move 603 119\n62 button 0 down\n63 button 0 up\n64 keep setup\n"
    if hold_setup:
        text += ("65 wait net.players {n}\n" if host else f"65 {HOST_LEFT}\n")
    return text


def board(s, k, hold=False, leave_in_wait=False, stand=False, say_held=False):
    """A board: kept as bK; a click, after the host has gone when held, or when it stands some
    frames after Casey has said it is held (Casey saying so just before its click); the host's own
    may leave in the closing wait its click opens."""
    s.add(f"wait screen 10\nstep 500\nwait weigh_in.results 1\nkeep b{k}")
    if hold:
        s.add(HOST_LEFT)
    if say_held:
        s.add(say("held"))
    if stand:
        # Casey's click first: it is stopped in the closing wait it opens while this stands.
        s.add("wait net.line AnglerCasey: held*")
        s.f += HOLD
    if leave_in_wait:
        s.add("move 320 300\nbutton 0 down")
        s.same("wait net.waiting 1\nkeep waiting\nkey Escape down\nkey Escape up\n"
               "wait message_box.text Leave the network game?\nkey Return down\nkey Return up")
        s.add("button 0 up\nwait screen 8\nkeep left")
        return
    s.add(click() + "\nwait weigh_in.results 0")


def tournament(s, first_board, hold_day1=False, hold_final=False, hold_lake=False, starter=False, copies=0,
               between=False, casey=False):
    """From the start of the day: Start (a starter waits for every player first), the days run out
    and their boards. The first day runs out on the host's clock; a joiner runs it out itself only
    once the host has gone (else it would weigh in ahead of the host and wait for it there)."""
    if starter:
        s.add(f"wait net.players {copies}")
    s.add(click(170, 442))
    s.add("wait screen 2\nstep 200")
    if hold_lake:
        s.add(HOST_LEFT)
    if hold_lake or starter:
        s.add("step 1700000")
    # Between the days: Casey is held in its closing wait, the host in its wait that follows.
    board(s, first_board, hold=hold_day1, stand=between and not casey, say_held=between and casey)
    s.add("step 1700000")
    board(s, first_board + 1, hold=hold_final)
    s.add("wait screen 8")


def host_script(step, n):
    s = Script(first_start("Angler", True, step == "setup").replace("{n}", str(n)))
    if step == "setup":
        s.add("wait screen 99")
        return s.text
    s.add(click(170, 442))
    s.add("wait screen 19")
    s.add(f"wait net.players {n}")
    if step == "start":
        s.add("wait screen 99")
        return s.text
    s.add(click(170, 442))
    s.add("wait screen 2\nstep 200")
    for slot in range(1, n):
        s.add(f"wait net.boat {slot} *")
    if step == "lake":
        s.add("keep lake\nwait screen 99")
        return s.text
    if step == "exchange":
        # Casey says it is held and the runner stops it; the host's day runs out a little later.
        s.add("wait net.line AnglerCasey: held*")
        s.f += HOLD
    s.add("step 1700000")
    if step in ("close", "escape"):
        board(s, 1, leave_in_wait=step == "escape")
        if step == "close":
            s.add("wait screen 99")
        return s.text
    if step == "exchange":
        s.add("wait screen 99")
        return s.text
    board(s, 1)
    s.add("step 1700000")
    if step == "between":
        return s.text
    s.add("wait screen 10\nstep 500\nwait weigh_in.results 1\nkeep b2")
    if step == "final":
        s.add("wait screen 99")
        return s.text
    s.add(click() + "\nwait screen 8\nkeep end\nwait screen 99")
    return s.text


def joiner_script(step, name, n):
    """A joiner; Casey, the lowest id after the host, starts the day when that is left to it."""
    starter = name == "Casey"
    s = Script(first_start(name, False, step == "setup"))
    s.f = 70
    s.add(click(170, 442))
    s.add("wait screen 19")
    if step == "setup":
        # The host went while everyone was in the set-up: the new host starts once all are in.
        tournament(s, 1, starter=starter, copies=n - 1)
    elif step == "start":
        s.add(click(170, 442))
        s.add("wait screen 2\nstep 200\n" + HOST_LEFT + "\nstep 1700000")
        board(s, 1)
        s.add("step 1700000")
        board(s, 2)
        s.add("wait screen 8")
    else:
        if step == "exchange" and starter:
            # Casey says it is held and stands on the lake; stopped there, it comes back as the
            # host and runs the day out.
            s.add(click(170, 442))
            s.add(f"wait screen 2\nstep 200\n{say('held')}\n{HOST_LEFT}\nstep 1700000")
            board(s, 1)
            s.add("step 1700000")
            board(s, 2)
            s.add("wait screen 8")
        else:
            tournament(s, 1, hold_lake=step == "lake", hold_day1=step in ("close", "escape"),
                       hold_final=step == "final", between=step == "between", casey=starter)
    s.add("keep end")
    if step == "menu":
        second_game(s, starter, n - 1)
    return s.text


def second_game(s, host, copies):
    """From the main menu after the final: PLAY GAME, TOURNAMENT, the profile kept, the set-up
    (the new host steps its days arrow: its own profile kept one day), its Accept and GO FISH."""
    s.add(HOST_LEFT)
    s.add("step 200")
    s.add(click(520, 109) + "\nwait screen 1")
    s.add(click(531, 311) + "\nwait screen 5")
    s.add(click(170, 442) + "\nwait screen 4")
    if host:
        s.add(click(603, 119))
    s.add("keep setup2")
    s.add(click(170, 442) + "\nwait screen 19")
    # The new host's GO FISH waits for every player seated to stand at its start.
    if host:
        s.add(f"wait net.players {copies}")
    s.add(click(170, 442))
    s.add("wait screen 2\nstep 200\nstep 1700000")
    board(s, 11)
    s.add("step 1700000")
    board(s, 12)
    s.add("wait screen 8\nkeep end2")


def lines(d, key):
    return d.get(key, [])


def first(d, key):
    return (d.get(key) or ["-"])[0]


def waits(d, phase=None):
    """The copy stands in a wait for the other players (in that phase, when given)."""
    return first(d, "net.waiting") == "1" and (phase is None or first(d, "net.phase") == str(phase))


def when(step, n):
    """For a step: the copy to stop and the state of every copy's digest that stops it (or None), and the
    state of every copy's digest (by name) at which the host is killed (None: it leaves by itself).
    The stopped copy goes on once the host is gone."""
    joiners = NAMES[1:n]
    return {
        "setup": (None, lambda ds: first(ds["Angler"], "screen") == "4" and first(ds["Angler"], "net.players") == str(n)
                  and all(first(ds[j], "screen") == "4" for j in joiners)),
        # Every joiner has pressed its GO FISH: it stands in the start's phase.
        "start": (None, lambda ds: first(ds["Angler"], "screen") == "19" and first(ds["Angler"], "net.players") == str(n)
                  and all(first(ds[j], "screen") == "19" and first(ds[j], "net.phase") == "2" for j in joiners)),
        "lake": (None, lambda ds: first(ds["Angler"], "screen") == "2" and first(ds["Angler"], "session.day") == "1"
                 and len(lines(ds["Angler"], "net.boat")) == n),
        # Casey stopped on the lake: the host's exchange of catches waits for it.
        "exchange": (("Casey", lambda ds: "held" in lines(ds["Casey"], "net.line") and first(ds["Casey"], "screen") == "2"),
                     lambda ds: waits(ds["Angler"]) and first(ds["Angler"], "session.day") == "1"),
        # The others stand on their boards: the host's closing wait.
        "close": (None, lambda ds: waits(ds["Angler"]) and first(ds["Angler"], "session.day") == "1"
                  and first(ds["Angler"], "weigh_in.results") == "0"
                  and all(first(ds[j], "weigh_in.results") == "1" for j in joiners)),
        # Casey stopped in its closing wait: the host's close passes and its wait between the days holds.
        # Stopped once the host has heard it there: what it sent before is not left unsent.
        "between": (("Casey", lambda ds: "held" in lines(ds["Casey"], "net.line") and waits(ds["Casey"], 11)
                     and first(ds["Casey"], "session.day") == "1" and "1 11" in lines(ds["Angler"], "net.heard")),
                    lambda ds: waits(ds["Angler"], 3)),
        # The others on their boards too, or (cut from the final) in its closing wait already.
        "final": (None, lambda ds: first(ds["Angler"], "session.day") == "2" and first(ds["Angler"], "screen") == "10"
                  and first(ds["Angler"], "weigh_in.results") == "1"
                  and all(first(ds[j], "session.day") == "2" and first(ds[j], "screen") == "10"
                          and (first(ds[j], "weigh_in.results") == "1" or waits(ds[j])) for j in joiners)),
        "menu": (None, lambda ds: first(ds["Angler"], "screen") == "8" and first(ds["Angler"], "session.day") == "2"),
        "escape": (None, None),
    }[step]


def game_pid(digest_path):
    """The game process writing that digest (a child of the shared runner, which this started)."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as f:
                args = f.read().split(b"\0")
        except OSError:
            continue
        if digest_path.encode() in args and any(a.endswith(b"tarnholm") for a in args):
            return int(entry)
    return None


def watch(run, step, n, done, said):
    """Stops the copy the step names when its state shows, kills the host when the step's state
    shows (far more often than the shared runner's hooks look: some states last a few frames), and
    lets the stopped copy go on. Only the game processes of this run are signalled, by their ids."""
    stop, kill = when(step, n)
    if kill is None:
        return
    paths = {name: os.path.join(run, name.lower() + ".txt") for name in NAMES[:n]}
    pids = {}
    while not done.is_set() and len(pids) < n:
        for name, path in paths.items():
            pids.setdefault(name, game_pid(path))
            if pids[name] is None:
                del pids[name]
        time.sleep(0.05)
    stopped = None
    if stop is not None:
        who, ready = stop
        while not done.is_set():
            ds = {name: digest(path) for name, path in paths.items()}
            if ready(ds):
                os.kill(pids[who], signal.SIGSTOP)
                stopped = time.time()
                said.append(f"stopped {who} at frame {first(ds[who], 'frames')}")
                break
            time.sleep(0.01)
    while not done.is_set():
        ds = {name: digest(path) for name, path in paths.items()}
        if kill(ds):
            os.kill(pids["Angler"], signal.SIGKILL)
            said.append(f"killed the host at frame {first(ds['Angler'], 'frames')}")
            break
        if stopped is not None and time.time() - stopped > STOP_SECONDS:
            said.append("MISSED: the host never stood as the step needs")
            break
        time.sleep(0.01)
    if stopped is not None:
        os.kill(pids[stop[0]], signal.SIGCONT)
        said.append(f"{stop[0]} goes on")


def digest(path):
    lines = []
    try:
        with open(path, errors="replace") as f:
            lines = [line.rstrip("\n") for line in f]
    except OSError:
        pass
    fields = {}
    for line in lines:
        key, _, value = line.partition(" ")
        fields.setdefault(key, []).append(value)
    return fields


def main():
    if len(sys.argv) < 5:
        print(__doc__)
        return 2
    run, port, step, n = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    seed = int(sys.argv[5]) if len(sys.argv) > 5 else 3
    if not 3 <= n <= 5 or step not in STEPS:
        print(__doc__)
        return 2
    os.makedirs(run, exist_ok=True)
    scripts = os.path.join(run, "own")
    os.makedirs(scripts, exist_ok=True)
    env = dict(os.environ)
    specs = []
    for i, name in enumerate(NAMES[:n]):
        path = os.path.join(scripts, name.lower() + ".script")
        with open(path, "w") as f:
            f.write(host_script(step, n) if i == 0 else joiner_script(step, name, n))
        env["OVR_" + name] = path
        specs.append(f"{name}:{'host' if i == 0 else 'join'}:N:c:{seed + i}")
    if step == "menu":
        env["GEN_SECOND"] = "1"
    # A stopped copy must outlast the stop (up to STOP_SECONDS): it is let go only after thirty
    # seconds of silence, and so is the killed host.
    if step in ("exchange", "between"):
        env.setdefault("NET_TIMEOUT", "30000")
    tourney = env.get("TOURNEY") or os.path.abspath("../shared/tools/net-tournament/tourney.py")
    loads = []
    done = threading.Event()

    def sample():
        while not done.wait(2):
            loads.append(os.getloadavg()[0])

    watcher = threading.Thread(target=sample, daemon=True)
    watcher.start()
    said = []
    stops = threading.Thread(target=watch, args=(run, step, n, done, said), daemon=True)
    stops.start()
    started = time.time()
    # The stopped copy stands (its frames are still) while stopped and then in a wait for the
    # thirty seconds it takes to notice the host gone: a stall is still longer than that.
    stall = ["--stall", "90"] if step in ("exchange", "between") else []
    result = subprocess.run([sys.executable, tourney, run, port, str(DAYS), *specs, *stall,
                             "--deadline", env.get("DEADLINE", "600")], env=env)
    done.set()
    watcher.join()
    stops.join()
    seconds = int(time.time() - started)
    summary = open(os.path.join(run, "summary.txt"), errors="replace").read()
    boards = "EQUAL" if "BOARDS EQUAL" in summary else "DIFFER"
    flood = int(re.search(r"flood lines: (\d+)", summary).group(1))
    stalls = int(re.search(r"stalls (\d+)", summary).group(1))

    # The copies left: their last digests and logs.
    left = NAMES[1:n]
    games = 2 if step == "menu" else 1
    credits, session, refused, notes = [], [], 0, []
    hosts = 0
    for name in left:
        d = digest(os.path.join(run, name.lower() + ".txt"))
        started_games = (d.get("profile.games_started") or ["?"])[0]
        if started_games != f"0 0 0 {games}":
            credits.append(f"{name} {started_games}")
        players = sorted(p.split(" ", 1)[1] for p in d.get("net.player", []) if " " in p)
        want = sorted("Angler" + other for other in left)
        if players != want:
            session.append(f"{name} lists {','.join(players) or 'nobody'}")
        hosts += 1 if d.get("net.host") == ["1"] else 0
        for line in d.get("net.line", []):
            if re.match(r"Angler(\w+) has left the game", line) and not line.startswith("AnglerAngler "):
                notes.append(f"{name}: {line}")
        try:
            log = open(os.path.join(run, name.lower() + ".log"), errors="replace").read()
        except OSError:
            log = ""
        refused += len(REFUSALS.findall(log))
    if hosts != 1:
        session.append(f"{hosts} hosts")
    # Every copy left came to the end of its last game.
    unfinished = [name for name in left
                  if not os.path.exists(os.path.join(run, name.lower() + (".txt.end2" if games == 2 else ".txt.end")))]
    per_core = [x / os.cpu_count() for x in loads] or [0.0]
    ok = (result.returncode == 0 and boards == "EQUAL" and not credits and not session and refused == 0
          and flood == 0 and stalls == 0 and not unfinished)
    row = (f"{step} {n} copies, load {sum(per_core) / len(per_core):.1f}/{max(per_core):.1f} a core, "
           f"{seconds} s | boards {boards} | credits {'OK' if not credits else '; '.join(credits)} | "
           f"one session {'OK' if not session else '; '.join(session)} | refused {refused} | flood {flood} | "
           f"stalls {stalls} | unfinished {','.join(unfinished) or '-'} | {'PASS' if ok else 'FAIL'}")
    # Where the host's copy stood when it went: its last digest.
    last = digest(os.path.join(run, "angler.txt"))
    notes.insert(0, "host's last frame: screen {} day {} phase {} waiting {} players {}".format(
        *((last.get(k) or ["-"])[0] for k in ("screen", "session.day", "net.phase", "net.waiting", "net.players"))))
    notes[1:1] = said
    with open(os.path.join(run, "hostgone.txt"), "w") as out:
        for note in notes:
            out.write(f"note: {note}\n")
        out.write(row + "\n")
    for note in notes:
        print("note:", note)
    print(row)
    return 0 if ok else 1


if __name__ == "__main__":
    # Started in the background, the copies' process group is orphaned: the host's end would then
    # hang up the copy this holds stopped. The copies inherit the ignored hang-up.
    signal.signal(signal.SIGHUP, signal.SIG_IGN)
    sys.exit(main())
