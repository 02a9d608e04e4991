// Pictures as files: 24-bit BMP (the format scenes are saved in) and PNG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace gllib {

// A picture as glReadPixels gives it with a pack alignment of 1: RGB bytes,
// tightly packed, bottom row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The whole BMP file for a picture: a 14-byte file header, a 40-byte
// information header, then the rows bottom-up as BGR, each padded with zero
// bytes to a multiple of 4.  Empty when the size does not fit the format's
// 32-bit fields.
std::vector<uint8_t> bmp_bytes(const Picture &picture);

// Writes the BMP or PNG file to an open stream; false when writing failed.
bool write_bmp(std::FILE *file, const Picture &picture);
bool write_png(std::FILE *file, const Picture &picture);

// ".png" at the end of a name, in any case.
bool is_png_name(const std::string &name);

enum class SaveResult { Saved, CannotCreate, CannotWrite, NoMemory };

// Creates (or replaces) the file and writes the picture in the format its
// name asks for.
SaveResult save_picture(const std::string &name, const Picture &picture);

}  // namespace gllib
