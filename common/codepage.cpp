#include "common/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quib {
namespace {

// One iconv conversion. Descriptors carry conversion state and must not be
// shared between threads, so each call opens its own.
class Converter {
  public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen()) {
            iconv_close(handle_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in` onto the end of `out` until the input is used up (true)
    // or a sequence cannot be converted (false, with `in` starting at it).
    bool ConvertSome(std::string_view& in, std::string& out) const {
        // Without a descriptor nothing converts; the callers then fall back
        // to their byte-wise handling instead of losing the text.
        if (!IsOpen()) {
            return in.empty();
        }
        while (true) {
            const std::size_t done = out.size();
            const std::size_t room = in.size() * 4 + 16;
            out.resize(done + room);
            char* inNext = const_cast<char*>(in.data());  // iconv never writes to its input
            std::size_t inLeft = in.size();
            char* outNext = out.data() + done;
            std::size_t outLeft = room;
            const std::size_t result = iconv(handle_, &inNext, &inLeft, &outNext, &outLeft);
            const int error = errno;
            out.resize(done + room - outLeft);
            in.remove_prefix(in.size() - inLeft);
            if (result != static_cast<std::size_t>(-1)) {
                return true;
            }
            if (error != E2BIG) {
                return false;
            }
        }
    }

    // Decodes the one character at the start of `in` into a 4-byte buffer
    // and removes it from `in`; nothing when it is not valid UTF-8.
    std::optional<char32_t> TakeCharacter(std::string_view& in) const {
        if (!IsOpen()) {
            return std::nullopt;
        }
        unsigned char unit[4] = {};
        char* inNext = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outNext = reinterpret_cast<char*>(unit);
        std::size_t outLeft = sizeof unit;
        iconv(handle_, &inNext, &inLeft, &outNext, &outLeft);
        if (outLeft != 0) {
            return std::nullopt;  // invalid or cut-off sequence: nothing decoded
        }
        in.remove_prefix(in.size() - inLeft);
        return static_cast<char32_t>(unit[0] | unit[1] << 8 | unit[2] << 16 |
                                     static_cast<std::uint32_t>(unit[3]) << 24);
    }

  private:
    bool IsOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    iconv_t handle_;
};

// The bytes Windows-1252 leaves undefined travel as the C1 controls of the
// same number, which is how Latin-1 reads them.
bool IsUndefinedInCp1252(char32_t character) {
    return character == 0x81 || character == 0x8D || character == 0x8F || character == 0x90 ||
           character == 0x9D;
}

void AppendLatin1AsUtf8(unsigned char byte, std::string& out) {
    if (byte < 0x80) {
        out += static_cast<char>(byte);
        return;
    }
    out += static_cast<char>(0xC0 | byte >> 6);
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

// The Windows-1252 stand-in for the character or invalid byte at the start of
// `utf8`, which the bulk conversion stopped at; removes what it stands for.
char ReplaceUnconvertible(const Converter& decoder, std::string_view& utf8) {
    const std::optional<char32_t> character = decoder.TakeCharacter(utf8);
    if (!character) {
        utf8.remove_prefix(1);  // each byte of a broken sequence counts on its own
        return '?';
    }
    return IsUndefinedInCp1252(*character) ? static_cast<char>(*character) : '?';
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view cp1252) {
    // ASCII is the same in both; most texts are, and opening a converter
    // costs more than the text.
    if (std::all_of(cp1252.begin(), cp1252.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(cp1252);
    }
    const Converter toUtf8("UTF-8", "WINDOWS-1252");
    std::string out;
    out.reserve(cp1252.size() * 3);
    while (!toUtf8.ConvertSome(cp1252, out)) {
        AppendLatin1AsUtf8(static_cast<unsigned char>(cp1252.front()), out);
        cp1252.remove_prefix(1);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    const Converter toCp1252("WINDOWS-1252", "UTF-8");
    // UTF-32 takes only real characters (no surrogates, nothing above
    // U+10FFFF), so it tells an unmappable character from broken bytes.
    const Converter decoder("UTF-32LE", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!toCp1252.ConvertSome(utf8, out)) {
        out += ReplaceUnconvertible(decoder, utf8);
    }
    return out;
}

}  // namespace quib
