#include "common/visible_text.h"

namespace quib {
namespace {

bool IsControl(unsigned char byte) {
    switch (byte) {
        case 0x7F:
        case 0x81:
        case 0x8D:
        case 0x8F:
        case 0x90:
        case 0x9D:
            return true;
        default:
            return byte < 0x20;
    }
}

}  // namespace

std::string BlankControls(std::string_view cp1252) {
    std::string visible(cp1252);
    for (char& c : visible) {
        if (IsControl(static_cast<unsigned char>(c))) {
            c = ' ';
        }
    }
    return visible;
}

}  // namespace quib
