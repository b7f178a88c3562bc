#pragma once
// Real media for the player tests, made by ffmpeg once per test run in a folder that goes
// when the run ends, and a way to wait for the player while the event loop runs.

#include <QString>
#include <functional>

namespace velkar::playback::test {

// 10 seconds, 320 x 240, 25 fps, MPEG-4 video with PCM sound, in an AVI. The picture of frame
// k is flat grey of level 16 + (3k mod 220) (full range), so a picture tells its frame apart
// from its neighbours.
QString Clip320();
// 5 seconds, 640 x 480, 25 fps, the ffmpeg test pattern.
QString Clip640();
// 1 second, `width` x `height`, 5 fps, the test pattern at a low bit rate, no sound (MKV).
QString ClipOfSize(int width, int height);
// 5 seconds of a sine tone, MP3, no picture.
QString ToneMp3();
// The same tone with a 64 x 64 cover picture, as music files often carry.
QString ToneWithCoverMp3();
// A file mpv cannot play (plain text).
QString NotMedia();

// Runs the event loop until `done` holds or `timeoutMs` passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);
// Runs the event loop for `ms` milliseconds.
void Pump(int ms);

} // namespace velkar::playback::test
