#include "common/picture.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>

// libpng reports errors by longjmp. Every function here that calls into libpng
// after a setjmp keeps only trivially destructible locals, so a longjmp never
// skips a destructor; the buffers the decode fills are owned further up, by
// DecodePng, which itself holds no jmp_buf.

namespace quib {
namespace {

// Ancillary chunks (text, ICC profiles) are skipped by the decode anyway;
// these bounds only stop a hostile file from making libpng store or inflate
// large amounts of them.
constexpr png_uint_32 kMaxCachedChunks = 64;
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{1} << 20;

// The largest file worth reading for pictures up to `maxSide`: one at that
// side stored without compression as 16-bit RGBA, with room for chunk
// overhead. A bigger file is no such picture, so it is refused before being
// read into memory.
std::uintmax_t MaxFileBytes(int maxSide) {
    const auto side = static_cast<std::uintmax_t>(std::clamp(maxSide, 1, kMaxPictureSide));
    return side * side * 8 + (std::uintmax_t{64} << 20);
}

constexpr int kBytesPerPixel = 4;

// Where libpng's error text lands; a fixed buffer, because the error handler
// must not allocate and its caller must not own anything with a destructor.
struct ErrorText {
    char text[160] = {};
};

// The unread rest of the PNG in memory.
struct ReadCursor {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t offset = 0;
};

struct DecodedLayout {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<ErrorText*>(png_get_error_ptr(png));
    const bool has_text = message != nullptr && message[0] != '\0';
    std::snprintf(sink->text, sizeof sink->text, "%s", has_text ? message : "invalid PNG");
    png_longjmp(png, 1);
}

// Warnings (a bad ancillary chunk, an odd gamma value) do not stop a usable
// picture; both programs decode on network threads with no one reading stderr.
void IgnorePngWarning(png_structp, png_const_charp) {}

void ReadFromCursor(png_structp png, png_bytep destination, png_size_t length) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (length > cursor->size - cursor->offset) {
        png_error(png, "file is truncated");
    }
    if (length == 0) {
        return;
    }
    std::memcpy(destination, cursor->data + cursor->offset, length);
    cursor->offset += length;
}

// Owns libpng's read state; kept out of every frame that holds a jmp_buf.
class PngReadState {
  public:
    explicit PngReadState(ErrorText* errors)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, errors, OnPngError, IgnorePngWarning)),
          info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
    ~PngReadState() { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngReadState(const PngReadState&) = delete;
    PngReadState& operator=(const PngReadState&) = delete;

    bool valid() const { return png_ != nullptr && info_ != nullptr; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    png_structp png_;
    png_infop info_;
};

void LimitResources(png_structp png, int maxSide) {
    const auto side = static_cast<png_uint_32>(std::clamp(maxSide, 1, kMaxPictureSide));
    png_set_user_limits(png, side, side);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
}

// Every colour type and depth ends as 8-bit RGBA. No gamma or sRGB handling is
// requested: the pictures are drawn with the sample values as stored.
void RequestRgba8(png_structp png) {
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
}

void CheckRgba8Layout(png_structp png, png_infop info) {
    const png_uint_32 width = png_get_image_width(png, info);
    if (png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != kBytesPerPixel ||
        png_get_rowbytes(png, info) != png_size_t{width} * kBytesPerPixel) {
        png_error(png, "unexpected pixel layout after conversion");
    }
}

bool ReadHeader(png_structp png, png_infop info, DecodedLayout* layout) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    RequestRgba8(png);
    png_read_update_info(png, info);
    CheckRgba8Layout(png, info);
    layout->width = png_get_image_width(png, info);
    layout->height = png_get_image_height(png, info);
    return true;
}

// Reading on to IEND makes a file cut after its image data fail too.
bool ReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

bool Fail(std::string* error, const char* reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

bool Fail(std::string* error, const std::string& reason) {
    return Fail(error, reason.c_str());
}

// Finds the size of a file worth reading, or why it is not one.
bool SizeOfPictureFile(const std::filesystem::path& path, int maxSide, std::uintmax_t* size,
                       std::string* error) {
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (status.type() == std::filesystem::file_type::not_found) {
        return Fail(error, "file not found");
    }
    if (code) {
        return Fail(error, "cannot read file: " + code.message());
    }
    if (std::filesystem::is_directory(status)) {
        return Fail(error, "is a directory");
    }
    if (!std::filesystem::is_regular_file(status)) {
        return Fail(error, "not a regular file");
    }
    *size = std::filesystem::file_size(path, code);
    if (code) {
        return Fail(error, "cannot read file: " + code.message());
    }
    if (*size > MaxFileBytes(maxSide)) {
        return Fail(error, "file too large for a picture");
    }
    return true;
}

bool ReadWholeFile(const std::filesystem::path& path, int maxSide, std::vector<std::uint8_t>* bytes,
                   std::string* error) {
    std::uintmax_t size = 0;
    if (!SizeOfPictureFile(path, maxSide, &size, error)) {
        return false;
    }
    errno = 0;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        const int cause = errno;
        return Fail(error, cause != 0
                               ? "cannot open file: " + std::generic_category().message(cause)
                               : std::string("cannot open file"));
    }
    try {
        bytes->resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return Fail(error, "not enough memory to read the file");
    }
    stream.read(reinterpret_cast<char*>(bytes->data()), static_cast<std::streamsize>(size));
    if (stream.gcount() != static_cast<std::streamsize>(size)) {
        return Fail(error, "cannot read file");
    }
    return true;
}

}  // namespace

bool DecodePng(std::span<const std::uint8_t> bytes, RgbaImage* out, std::string* error,
               int maxSide) {
    *out = RgbaImage{};
    ErrorText errors;
    PngReadState state(&errors);
    if (!state.valid()) {
        return Fail(error, "cannot set up the PNG decoder");
    }
    ReadCursor cursor{bytes.data(), bytes.size(), 0};
    png_set_read_fn(state.png(), &cursor, ReadFromCursor);
    LimitResources(state.png(), maxSide);

    DecodedLayout layout;
    if (!ReadHeader(state.png(), state.info(), &layout)) {
        return Fail(error, errors.text);
    }

    // At most kMaxPictureSide squared pixels, so neither product overflows.
    const std::size_t row_bytes = std::size_t{layout.width} * kBytesPerPixel;
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows;
    try {
        pixels.resize(row_bytes * layout.height);
        rows.resize(layout.height);
    } catch (const std::bad_alloc&) {
        return Fail(error, "not enough memory for the picture");
    }
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = pixels.data() + y * row_bytes;
    }

    if (!ReadRows(state.png(), rows.data())) {
        return Fail(error, errors.text);
    }
    out->width = static_cast<int>(layout.width);
    out->height = static_cast<int>(layout.height);
    out->pixels = std::move(pixels);
    return true;
}

bool LoadPngFile(const std::filesystem::path& path, RgbaImage* out, std::string* error,
                 int maxSide) {
    *out = RgbaImage{};
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, maxSide, &bytes, error)) {
        return false;
    }
    return DecodePng(bytes, out, error, maxSide);
}

}  // namespace quib
