#include "picture_file.h"

#include <png.h>

#include <csetjmp>
#include <new>

namespace gllib {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

void put16(std::vector<uint8_t> &out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t> &out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool valid(const Picture &p) {
    return p.width > 0 && p.height > 0 &&
           p.rgb.size() == size_t(p.width) * size_t(p.height) * 3;
}

}  // namespace

std::vector<uint8_t> bmp_bytes(const Picture &picture) {
    std::vector<uint8_t> out;
    if (!valid(picture)) return out;
    const uint64_t row = (uint64_t(picture.width) * 3 + 3) / 4 * 4;
    const uint64_t image = row * uint64_t(picture.height);
    const uint64_t total = kFileHeaderSize + kInfoHeaderSize + image;
    if (total > 0x7FFFFFFF) return out;
    out.reserve(size_t(total));
    out.push_back('B');
    out.push_back('M');
    put32(out, uint32_t(total));
    put16(out, 0);
    put16(out, 0);
    put32(out, kFileHeaderSize + kInfoHeaderSize);
    put32(out, kInfoHeaderSize);
    put32(out, uint32_t(picture.width));
    put32(out, uint32_t(picture.height));
    put16(out, 1);   // planes
    put16(out, 24);  // bits per pixel
    put32(out, 0);   // no compression
    put32(out, uint32_t(image));
    for (int i = 0; i < 16; ++i) out.push_back(0);
    const size_t padding = size_t(row - uint64_t(picture.width) * 3);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t *p = picture.rgb.data() + size_t(y) * size_t(picture.width) * 3;
        for (int x = 0; x < picture.width; ++x, p += 3) {
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
        }
        out.insert(out.end(), padding, 0);
    }
    return out;
}

bool write_bmp(std::FILE *file, const Picture &picture) {
    std::vector<uint8_t> bytes = bmp_bytes(picture);
    if (bytes.empty()) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// libpng reports errors by longjmp; nothing with a destructor lives between
// setjmp and the calls that may jump.
bool write_png(std::FILE *file, const Picture &picture) {
    if (!valid(picture)) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // PNG stores the top row first.
    const size_t stride = size_t(picture.width) * 3;
    for (int y = picture.height - 1; y >= 0; --y) {
        png_write_row(png, const_cast<png_bytep>(picture.rgb.data() + size_t(y) * stride));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool is_png_name(const std::string &name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char &c : tail) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return tail == ".png";
}

SaveResult save_picture(const std::string &name, const Picture &picture) {
    std::FILE *file = std::fopen(name.c_str(), "wb");
    if (!file) return SaveResult::CannotCreate;
    bool ok = false;
    try {
        ok = is_png_name(name) ? write_png(file, picture) : write_bmp(file, picture);
    } catch (const std::bad_alloc &) {
        std::fclose(file);
        return SaveResult::NoMemory;
    }
    if (std::fclose(file) != 0) ok = false;
    return ok ? SaveResult::Saved : SaveResult::CannotWrite;
}

}  // namespace gllib
