"""The message sound: it loops while the text is typed and stops with the tick after the
text is complete, while the window stays open. (PlaySound=0 is in test_message_window.)

What the program plays is recorded by ALSA's file plugin (the HOME's default device) in a
file whose name tells the stream's format (the plugin expands %r %c %b %f to rate,
channels, bits and format). Wine's DirectSound mixer writes the stream all the time while
the program has a sound device, silence as zero bytes. The file sink over the null device
is not paced by a clock (here the file grows several times faster than the stream's
nominal byte rate, and not evenly), so the test does not turn bytes into seconds by the
format: it samples the file's size against the wall clock while the program runs, and so
knows when each byte was written.
"""

import io
import threading
import time
import wave

import rig
from test_message_window import BOX_CLASS, BOX_TITLE, CLASS, TITLE, SIZE, MessageTestCase, key_to, \
    message_ini, watch_typing

# The built-in message sound: 6168 bytes of 16-bit mono samples at 44.1 kHz, about 70 ms,
# a soft tick: its largest sample is well below half of full scale.
SOUND_FRAMES, SOUND_RATE = 6168 // 2, 44100
SOFT = 0.5


def loud_wave():
    """A wave file unlike the built-in sound: a square wave near full scale, 0.3 s of 16-bit
    mono at 22.05 kHz."""
    out = io.BytesIO()
    with wave.open(out, "wb") as sound:
        sound.setnchannels(1)
        sound.setsampwidth(2)
        sound.setframerate(22050)
        sound.writeframes(b"".join((24000 if (i // 50) % 2 else -24000).to_bytes(2, "little", signed=True)
                                   for i in range(6615)))
    return out.getvalue()


class PlayedOutput:
    """The output of the programs of a folder, with the times its bytes were written.
    Made before the programs start: it gives the folder's HOME its ALSA configuration.
    Every set-up of a program opens a new sound device; with "truncate false" the plugin
    then writes a new file instead of emptying the last one."""

    SAMPLE_INTERVAL = 0.01

    def __init__(self, folder):
        self.home = folder.home
        (folder.home / ".asoundrc").write_text(
            'pcm.!default { type file slave.pcm "null" '
            f'file "{folder.home}/played-%r-%c-%b-%f.raw" format "raw" truncate false }}\n')
        self.sizes = [(time.monotonic(), 0)]  # (monotonic time, file size then), in time order
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._sample, daemon=True)
        self._thread.start()

    def _files(self):
        """The recording files in the order they were made: played-….raw, then the plugin
        numbers each further one (….raw.0001, ….raw.0002…)."""
        return sorted(self.home.glob("played-*.raw*"), key=lambda path: (len(path.name), path.name))

    def _sample(self):
        while not self._stop.is_set():
            size = 0
            for path in self._files():
                try:
                    size += path.stat().st_size
                except OSError:
                    pass
            self.sizes.append((time.monotonic(), size))
            self._stop.wait(self.SAMPLE_INTERVAL)

    def stop(self):
        self._stop.set()
        self._thread.join()

    def size(self):
        """Bytes written so far, as last sampled."""
        return self.sizes[-1][1]

    def data(self):
        """Everything written so far, the files one after the other."""
        return b"".join(path.read_bytes() for path in self._files())

    def stream_format(self):
        """(frames per second, bytes per frame) from the file's name."""
        rate, channels, bits = self._files()[0].name.split("-")[1:4]
        return int(rate), int(channels) * int(bits) // 8

    def peak(self, data):
        """The largest sample of the output, as a part of full scale (0 to 1)."""
        kind = self._files()[0].name.split("-")[4].split(".")[0]
        if kind == "FLOAT_LE":
            samples, scale = memoryview(data[:len(data) // 4 * 4]).cast("f"), 1.0
        elif kind == "S16_LE":
            samples, scale = memoryview(data[:len(data) // 2 * 2]).cast("h"), 32768.0
        else:
            raise ValueError(f"no reader for samples of {kind}")
        return max((abs(value) for value in samples), default=0.0) / scale

    def time_of(self, offset):
        """When the byte at offset had been written: the first sample that saw it."""
        for when, size in self.sizes:
            if size > offset:
                return when
        raise ValueError(f"byte {offset} was not written while the output was sampled")

    def offset_at(self, moment):
        """How many bytes had been written at the moment (the last sample before it)."""
        written = 0
        for when, size in self.sizes:
            if when > moment:
                break
            written = size
        return written


def sounding(data):
    """(first, end) offsets of the part of the output that is not silence, or None."""
    end = len(data.rstrip(b"\0"))
    if not end:
        return None
    return len(data) - len(data.lstrip(b"\0")), end


class MessageSoundTest(MessageTestCase):
    def test_sound_loops_while_the_text_is_typed_and_stops_after(self):
        folder = self.make_folder(programs=("vantelmsg.exe",))
        text = "The sound plays in a loop while this text is being typed, and stops after"
        date = "07.12.2026 21:00:00"
        cps = 25
        # A window saved partly off the screen's bottom right corner.
        folder.write("vantelmsg.ini", message_ini(text, date, settings={"CharactersPerSecond": cps,
                                                                        "WindowPos": "900,700"}))
        output = PlayedOutput(folder)
        self.addCleanup(output.stop)
        program, window = self.start_message(folder)
        screen = rig.session()
        self.assertEqual(window.rect, rig.Rect(screen.width - SIZE[0], screen.height - SIZE[1],
                                               screen.width, screen.height),
                         "moved the least distance into the screen")

        samples, _ = watch_typing(window, timeout=rig.ACTION_TIMEOUT + 10)
        final = samples[-1][1]
        seen = next(i for i, (_, shown) in enumerate(samples) if shown)
        typing_started = samples[seen][0]
        # A sample's time is taken once its capture is done, and a capture can take a few
        # tenths of a second on a busy machine: the typing began after the capture before
        # the last blank one had finished.
        typing_began_after = samples[seen - 2][0] if seen >= 2 else samples[0][0] - 1.0
        done = next(i for i in range(len(samples)) if all(later == final for _, later in samples[i:]))
        typing_ended = samples[done][0]
        # Likewise the text was not yet complete when the capture before the first complete
        # one began, after the one before that had finished.
        typing_ended_after = samples[done - 2][0] if done >= 2 else samples[0][0] - 1.0

        # The window stays open with the text complete; the output goes on, silent.
        rig.wait_until(lambda: output.sizes[-1][0] >= typing_ended + 1.0, what="a second of output after the typing")
        self.assertIsNotNone(rig.find_window(CLASS, TITLE), "the window is still open")
        open_until = output.size()
        rig.key(window, "Escape")
        self.assertEqual(program.wait_exit(), 0)
        output.stop()

        data = output.data()[:open_until]
        found = sounding(data)
        self.assertIsNotNone(found, "the sound was played")
        first, end = found
        started, ended = output.time_of(first), output.time_of(end - 1)
        rate, frame = output.stream_format()
        typing = (len(date) + 1 + len(text)) / cps
        # The sound starts with the first tick and stops with the tick after the last one.
        self.assertTrue(typing_began_after - 0.3 <= started <= typing_started + 0.3,
                        f"the sound starts as the typing does ({started:.2f} s, typing seen at {typing_started:.2f} s, "
                        f"not yet at {typing_began_after:.2f} s)")
        self.assertTrue(typing_ended_after - 0.3 <= ended <= typing_ended + 0.3,
                        f"the sound stops as the text is complete ({ended:.2f} s, text complete at "
                        f"{typing_ended:.2f} s, not yet at {typing_ended_after:.2f} s)")
        self.assertGreater(ended - started, 0.75 * typing, f"the sound lasts about the typing's {typing:.2f} s")
        loops = (end - first) / frame / (SOUND_FRAMES * rate / SOUND_RATE)
        self.assertGreater(loops, 10, "the sound is played over and over, not once")
        # No gap: the sound is heard all the time the text is being typed.
        moment = started
        while moment + 0.25 < ended:
            part = data[output.offset_at(moment):output.offset_at(moment + 0.25)]
            self.assertTrue(sounding(part), f"sound {moment - started:.2f} s after its start")
            moment += 0.25
        self.assertGreater(output.time_of(len(data) - 1) - ended, 0.8, "silence after the typing, window open")

    def test_wave_file_beside_the_program_plays_else_the_built_in_sound_and_nothing_for_no_text(self):
        # Four programs at once, each in its own folder (its own output), at its own place.
        cases = {
            "wave file": ({"vantelmsg.wav": loud_wave()}, "A wave file of its own", "20,20"),
            "folder": ({"vantelmsg.wav/inside.txt": "a folder named like the sound\n"}, "A folder", "20,400"),
            "not a wave": ({"vantelmsg.wav": "RIFF but no wave at all\n"}, "A file that is no wave", "560,20"),
            "no text": ({}, "", "560,400"),
        }
        started = {}
        for name, (files, text, place) in cases.items():
            folder = self.make_folder(programs=("vantelmsg.exe",), files=files)
            settings = {"CharactersPerSecond": "50", "WindowPos": place}
            if not text:
                settings["DisplayDate"] = "0"  # nothing at all to type
            folder.write("vantelmsg.ini", message_ini(text, "07.12.2026 21:00:00", settings=settings))
            output = PlayedOutput(folder)
            self.addCleanup(output.stop)
            program, window = self.start_message(folder)
            started[name] = folder, output, program, window
        self.assertIsNone(rig.find_window(BOX_CLASS, BOX_TITLE), "no warning: each has a sound")
        for name, (folder, output, program, window) in started.items():
            if name != "no text":
                watch_typing(window)
        # A second of output with the text complete, and of the window without text.
        shown = time.monotonic()
        for name, (folder, output, program, window) in started.items():
            rig.wait_until(lambda: output.sizes[-1][0] >= shown + 1.0 and output.size(),
                           what=f"a second of output ({name})")
        for name, (folder, output, program, window) in started.items():
            with self.subTest(name):
                key_to(window, "Escape")
                self.assert_closes(program, window)
                output.stop()
                data = output.data()
                if name == "no text":
                    self.assertIsNone(sounding(data), "nothing to type: the sound is never started")
                else:
                    self.assertTrue(sounding(data), "a sound was played")
                    peak = output.peak(data)
                    if name == "wave file":
                        self.assertGreater(peak, SOFT, "the loud wave file, not the built-in tick")
                    else:
                        self.assertLess(peak, SOFT, "the built-in tick instead of what cannot be played")
                self.assertEqual(folder.read_ini("vantelmsg.ini").get("Settings", "PlaySound"), "1")
