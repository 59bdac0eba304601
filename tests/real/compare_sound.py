#!/usr/bin/env python3
"""Compares a recording of the sound server's monitor with the resources that
real_sound played: each one whole and bit for bit, in the order played, with
only silence between them; and checks the synchronous calls' timing and the
play-to-first-sample latency that real_sound measured."""
import statistics
import sys
import wave
from pathlib import Path

RATE = 16000
LATENCY_LIMIT_MS = 50.0
# The server's monitor misses the first few milliseconds of every stream that
# starts on an idle null output (2-8 ms here; its own player lost 7-10 ms the
# same way), so a sound's first 20 ms may be recorded as silence; from there
# on every sample, the last included, has to be there.
LEAD_IN = 320


def pcm(wav_dir, name):
    matches = [p for p in Path(wav_dir).iterdir() if p.stem.lower() == name.lower()]
    with wave.open(str(matches[0])) as w:
        assert (w.getnchannels(), w.getframerate(), w.getsampwidth()) == (1, RATE, 2), name
        return w.readframes(w.getnframes())


def loud(chunk):
    """Whether a stretch of 16-bit samples holds anything but near-silence."""
    return any(abs(int.from_bytes(chunk[i:i + 2], "little", signed=True)) > 2 for i in range(0, len(chunk) - 1, 2))


def main(wav_dir, rec_dir):
    rec = (Path(rec_dir) / "monitor.raw").read_bytes()
    events = [line.split() for line in (Path(rec_dir) / "events.txt").read_text().splitlines()]
    played = [e[1] for e in events if e[0] in ("sync", "player")]
    plays = sum(1 for e in events if e[0] == "latency")
    order = played + ["Tstop"] * plays
    faults = []
    for e in events:
        if e[0] in ("sync", "player") and e[2] != "1":
            faults.append(f"{e[0]} {e[1]} was not played")
    cursor = 0
    lost_max = 0
    print(f"recording: {len(rec) // 2} samples ({len(rec) / 2 / RATE * 1000:.0f} ms)")
    for i, name in enumerate(order):
        sound = pcm(wav_dir, name)
        head = min(LEAD_IN, len(sound) // 2 - 1) * 2
        at = rec.find(sound[head:], cursor)
        while at >= 0 and at % 2:
            at = rec.find(sound[head:], at + 1)
        if at >= 0:
            kept = 0
            while kept < head and at - kept - 2 >= 0 and rec[at - kept - 2:at - kept] == sound[head - kept - 2:head - kept]:
                kept += 2
            if kept < head and loud(rec[max(0, at - head):at - kept]):
                at = -1
            else:
                lost = (head - kept) // 2
                lost_max = max(lost_max, lost)
                at -= head
        if at < 0:
            # How much of it is there: the longest run from its 20 ms on.
            lo, hi = 0, (len(sound) - head) // 2
            while lo < hi:
                mid = (lo + hi + 1) // 2
                if rec.find(sound[head:head + mid * 2], cursor) >= 0:
                    lo = mid
                else:
                    hi = mid - 1
            faults.append(f"play {i} ({name}): not found whole; of its samples {head // 2} to"
                          f" {len(sound) // 2} at most the first {lo} are there")
            break
        if loud(rec[cursor:at]):
            faults.append(f"play {i} ({name}): something else sounded before it")
        if i < len(played):
            print(f"{name}: {len(sound) // 2} samples ({len(sound) / 2 / RATE * 1000:.1f} ms) recorded to its last"
                  f" sample at sample {at // 2} (first {lost} samples silent)")
        cursor = at + len(sound)
    else:
        if loud(rec[cursor:]):
            faults.append("something sounded after the last play (a play twice?)")
    print(f"most samples missed at a sound's start: {lost_max}")
    for e in events:
        if e[0] == "sync":
            took = float(e[4]) - float(e[3])
            length = len(pcm(wav_dir, e[1])) / 2 / RATE * 1000
            print(f"sync {e[1]}: the call took {took:.1f} ms for {length:.1f} ms of sound")
            if took < length:
                faults.append(f"sync {e[1]} returned {length - took:.1f} ms before its sound had ended")
    latencies = [float(e[2]) for e in events if e[0] == "latency"]
    if latencies:
        missing = [x for x in latencies if x < 0]
        good = sorted(x for x in latencies if x >= 0)
        if missing or not good:
            faults.append(f"{len(missing)} of {len(latencies)} latency plays were not heard")
        else:
            p95 = good[min(len(good) - 1, int(round(0.95 * (len(good) - 1))))]
            print(f"latency play to first sample over {len(good)} plays: median {statistics.median(good):.1f} ms,"
                  f" 95th percentile {p95:.1f} ms, max {good[-1]:.1f} ms")
            if p95 >= LATENCY_LIMIT_MS:
                faults.append(f"latency 95th percentile {p95:.1f} ms is not under {LATENCY_LIMIT_MS:.0f} ms")
    for f in faults:
        print("FAULT:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
