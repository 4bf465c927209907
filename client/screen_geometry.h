#pragma once

// Where the player's window puts its four fields, and how large it is.
//
// The screen is laid out for a design height of 600 and a design width of
// 1024 pixels and scaled by F = baseHight / 600. The picture fields are
// U = round(480 F) pixels square; U is also the unit of every coordinate in
// the drawing messages. The text fields follow the font size, not F.
// Every rounding is to the nearest integer with halves to even.

namespace quib::client {

struct FieldRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const FieldRect&) const = default;
};

struct ScreenGeometry {
    float scale = 0;      // F
    int unit = 0;         // U: side of a picture field, pixels per drawing unit
    int windowWidth = 0;  // inner size of the window before it opens
    int windowHeight = 0;
    FieldRect leftPicture;
    FieldRect rightPicture;
    FieldRect leftText;  // the status line
    FieldRect rightText;
};

// baseHight and baseFontSize come from the settings, within the ranges of
// setting_ranges.h (so no size below overflows an int). The scale,
// the unit and the window size depend on them alone, so before the window
// opens any inner size will do for reading those. The fields are placed from
// innerWidth and innerHeight, the window's actual inner size once it is open:
// a maximised window is larger than the computed size, and the fields are
// then centred in it.
ScreenGeometry ComputeScreenGeometry(int baseHight, int baseFontSize, int innerWidth,
                                     int innerHeight);

}  // namespace quib::client
