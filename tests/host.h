#pragma once
// What the tests need of the system under them, beyond standard C++: one
// source file for each kind of system.
#include <string>

// Makes a folder (its parent must exist); false if it could not.
bool makeFolder(const std::string& path);
// A new, empty folder for the files of this test process.
std::string freshFolder();
// Peak memory of this process since the last resetPeak(), in kB.
long peakKb();
// Brings the peak down to what the process holds now; false if the system
// would not, which would make every comparison of peaks say nothing.
bool resetPeak();
// A piece of what the loaders say of a folder where a picture should be:
// the system's own words for it.
const char* folderRefusal();
// Whether the SDL the game runs on decodes run-length packed (RLE4, RLE8)
// BMP files: the SDL 1.2 built for Windows does not.
bool unpacksRunLength();
// The bytes a file holds now, even while another handle writes it (SDL
// 1.2 on Windows opens its disk audio file sharing nothing, so it cannot be
// opened for a look); 0 if there is no such file.
long fileBytes(const std::string& path);
// What makes SDL's disk audio driver write the 512 samples of a buffer in
// the time a device would play them, as an SDL_DISKAUDIODELAY setting: SDL
// 1.2 waits 150 ms by default, SDL2 under sdl12-compat the buffer's own time
// (null: nothing to set).
const char* diskAudioPace();
