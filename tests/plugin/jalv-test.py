#!/usr/bin/python3
"""The LV2 plug-in played live in jalv on JACK's dummy backend.

One JACK client writes notes into jalv's MIDI input and records its two outputs in
the same process callback, so every onset is measured to the sample. Checks: silence
before the first note, each note sounds at its pitch, and each starts at its note's
time plus the latency the plug-in reports (plus one JACK period, as the recording
closes a loop through the plug-in).

usage: jalv-test.py <.lv2 bundle> <plug-in URI>
Exit 77 (skipped) when JACK or jalv is missing outside CI; under CI=true a failure.
"""
import math
import os
import subprocess
import sys
import tempfile
import threading
import time

RATE = 44100
PERIOD = 256
# (time in seconds, MIDI note, velocity): single notes on channel 1.
NOTES = [(0.50, 64, 100), (1.50, 57, 100), (2.50, 69, 110), (3.50, 52, 100)]
LENGTH = 4.6


def skip_or_fail(message):
    print(message)
    sys.exit(1 if os.environ.get("CI") == "true" else 77)


def pitch_of(x, rate):
    """Fundamental by the normalised difference function (YIN) over 60..1200 Hz."""
    n = len(x) // 2
    lo, hi = int(rate / 1200), int(rate / 60)
    energy0 = sum(v * v for v in x[:n])
    d = [0.0] * (hi + 2)
    for lag in range(1, hi + 2):
        s = 0.0
        seg = x[lag:lag + n]
        for a, b in zip(x[:n], seg):
            s += (a - b) * (a - b)
        d[lag] = s
    cmnd = [1.0] * (hi + 2)
    running = 0.0
    for lag in range(1, hi + 2):
        running += d[lag]
        cmnd[lag] = d[lag] * lag / running if running > 0 else 1.0
    best = None
    for lag in range(lo, hi):
        if cmnd[lag] < 0.15 and cmnd[lag] <= cmnd[lag - 1] and cmnd[lag] <= cmnd[lag + 1]:
            best = lag
            break
    if best is None:
        best = min(range(lo, hi), key=lambda l: cmnd[l])
    a, b, c = cmnd[best - 1], cmnd[best], cmnd[best + 1]
    denom = a - 2 * b + c
    shift = 0.5 * (a - c) / denom if denom != 0 else 0.0
    return rate / (best + shift)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    bundle, uri = os.path.realpath(sys.argv[1]), sys.argv[2]
    for tool in ("jackd", "jalv", "jack_wait", "jack_lsp"):
        if subprocess.run(["which", tool], capture_output=True).returncode != 0:
            skip_or_fail("missing %s (bash scripts/setup installs it)" % tool)
    try:
        import jack
    except ImportError:
        skip_or_fail("missing python3-jack-client (bash scripts/setup installs it)")

    work = tempfile.mkdtemp(prefix="tovalin-jalv-")
    os.symlink(bundle, os.path.join(work, os.path.basename(bundle)))
    server = "tovalin-%d" % os.getpid()
    env = dict(os.environ, JACK_DEFAULT_SERVER=server, JACK_NO_START_SERVER="1", HOME=work,
               XDG_CONFIG_HOME=os.path.join(work, "config"), LV2_PATH=work + ":/usr/lib/lv2")
    os.environ.update(JACK_DEFAULT_SERVER=server, JACK_NO_START_SERVER="1")
    jackd = subprocess.Popen(["jackd", "-r", "-n", server, "-d", "dummy", "-r", str(RATE), "-p", str(PERIOD)],
                             env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    jalv = client = None
    try:
        if subprocess.run(["jack_wait", "-w", "-t", "10"], env=env, capture_output=True).returncode != 0:
            print("FAILED jackd did not start")
            return 1
        # jalv quits at the end of its standard input: a pipe held open keeps it running.
        jalv = subprocess.Popen(["jalv", "-n", "plug", uri], env=env, stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        ports = []
        for _ in range(100):
            out = subprocess.run(["jack_lsp", "-t", "plug:"], env=env, capture_output=True, text=True).stdout
            ports = [l.strip() for l in out.splitlines() if l.startswith("plug:")]
            if len([p for p in ports if "audio_out" in p]) == 2 and any(p == "plug:in" for p in ports):
                break
            time.sleep(0.1)
        else:
            print("FAILED jalv did not show its ports: %s" % ports)
            if jalv.poll() is not None:
                print(jalv.stderr.read().decode(errors="replace")[-2000:])
            return 1

        client = jack.Client("tovalin-test", no_start_server=True, servername=server)
        midi_out = client.midi_outports.register("notes")
        ins = [client.inports.register("in_%d" % i) for i in (1, 2)]
        total = int(LENGTH * RATE)
        recorded = [[], []]
        events = [(int(t * RATE), n, v) for (t, n, v) in NOTES]
        state = {"frame": None, "done": threading.Event()}

        @client.set_process_callback
        def process(frames):
            midi_out.clear_buffer()
            start = state["frame"]
            if start is None:
                return
            for (when, note, velocity) in events:
                offset = when - start
                if 0 <= offset < frames:
                    midi_out.write_midi_event(offset, (0x90, note, velocity))
                off = when + int(0.9 * RATE) - start
                if 0 <= off < frames:
                    midi_out.write_midi_event(off, (0x80, note, 0))
            for k in (0, 1):
                recorded[k].extend(memoryview(ins[k].get_buffer()).cast("f"))
            state["frame"] = start + frames
            if state["frame"] >= total:
                state["done"].set()

        client.activate()
        client.connect(midi_out, "plug:in")
        client.connect("plug:audio_out_1", ins[0])
        client.connect("plug:audio_out_2", ins[1])
        time.sleep(0.3)
        # What jalv tells JACK of the plug-in's latency, as JACK reports it.
        lsp = subprocess.run(["jack_lsp", "-l", "plug:audio_out_1"], env=env, capture_output=True, text=True).stdout
        latency = next((int(l.split("[")[1].split()[0]) for l in lsp.splitlines() if "capture latency" in l), -1)
        state["frame"] = 0
        if not state["done"].wait(LENGTH * 4 + 10):
            print("FAILED the recording did not finish")
            return 1
        client.deactivate()
        left, right = recorded[0][:total], recorded[1][:total]
        print("reported latency at %d Hz: %d samples" % (RATE, latency))
        if os.environ.get("TOVALIN_JALV_WAV"):
            import array
            import wave
            with wave.open(os.environ["TOVALIN_JALV_WAV"], "wb") as w:
                w.setnchannels(1)
                w.setsampwidth(2)
                w.setframerate(RATE)
                w.writeframes(array.array("h", (int(max(-1, min(1, v)) * 32767) for v in left)).tobytes())

        failures = 0

        def check(ok, what):
            nonlocal failures
            print(("  ok   " if ok else "FAILED ") + what)
            if not ok:
                failures += 1

        first = events[0][0]
        check(latency > 0, "the plug-in reports a latency")
        check(all(v == 0.0 for v in left[:first]), "silence before the first note")
        check(all(math.isfinite(v) for v in left) and left == right, "finite, the same on both outputs")
        previous_end = 0
        for (when, note, _), (seconds, _, _) in zip(events, NOTES):
            # The onset: the first sample that rises clearly above what was ringing.
            floor = max((abs(v) for v in left[max(previous_end, when - 2048):when + 64]), default=0.0)
            threshold = max(1e-6, floor * 3.0) if floor > 0 else 0.0
            onset = next((i for i in range(when, min(total, when + RATE // 2)) if abs(left[i]) > threshold), None)
            if onset is None:
                check(False, "note %d sounds" % note)
                continue
            delay = onset - when
            expected = [latency, latency + PERIOD]
            close = min(abs(delay - e) for e in expected)
            check(close <= (2 if when == first else 64),
                  "note %d at %.2f s starts %d samples later (reported latency %d, JACK period %d)"
                  % (note, seconds, delay, latency, PERIOD))
            segment = left[onset + int(0.08 * RATE):onset + int(0.08 * RATE) + 4096]
            f0 = pitch_of(segment, RATE)
            target = 440.0 * 2 ** ((note - 69) / 12)
            cents = 1200 * math.log2(f0 / target)
            check(abs(cents) < 10, "note %d: %.2f Hz, %+.1f cents" % (note, f0, cents))
            previous_end = when
        print("jalv: all checks passed" if failures == 0 else "jalv: %d checks FAILED" % failures)
        return 0 if failures == 0 else 1
    finally:
        # Clients first, then the server: killing jackd under a client can leak its slot.
        if client is not None:
            try:
                client.close()
            except Exception:
                pass
        if jalv is not None:
            try:
                jalv.stdin.close()
                jalv.wait(timeout=5)
            except Exception:
                jalv.terminate()
                try:
                    jalv.wait(timeout=5)
                except Exception:
                    jalv.kill()
        jackd.terminate()
        try:
            jackd.wait(timeout=10)
        except Exception:
            jackd.kill()
        subprocess.run(["rm", "-rf", work])


if __name__ == "__main__":
    sys.exit(main())
