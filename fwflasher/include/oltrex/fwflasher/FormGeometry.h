#pragma once
// The places and sizes of the two forms' controls in pixels, and their fonts:
// one set of numbers for every view of the forms (Qt on Linux, Win32 dialogs).
#include <algorithm>

namespace oltrex::fwflasher {

struct PixelPoint {
    int left = 0;
    int top = 0;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return left + width; }  // first pixel outside
    constexpr int bottom() const { return top + height; }
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct FontSpec {
    const char* family;
    int points;
};

namespace mainform {

inline constexpr FontSpec kFont{"MS Sans Serif", 8};
inline constexpr int kClientWidth = 366;
inline constexpr int kClientHeight = 397;
// Height without the memo: the window ends below the status line.
inline constexpr int kShortHeight = 190;

// Labels size themselves to their text; only their top-left corner is fixed.
inline constexpr PixelPoint kLabel1{16, 16};
inline constexpr PixelPoint kLabelStickSnr{168, 16};
inline constexpr PixelPoint kLabel3{16, 40};
inline constexpr PixelPoint kLabelStickFw{168, 40};
inline constexpr PixelPoint kLabel2{16, 64};
inline constexpr PixelPoint kLabelFw{168, 64};
inline constexpr PixelPoint kLabel5{16, 144};
inline constexpr PixelPoint kLabel4{56, 144};

inline constexpr PixelRect kImage1{296, 8, 57, 57};
inline constexpr int kPictureSize = 50;  // the key picture, centred in Image1
inline constexpr PixelRect kButtonUpgrade{32, 88, 75, 25};
inline constexpr PixelRect kButtonCancel{264, 88, 75, 25};
inline constexpr PixelRect kProgressBar{16, 120, 337, 16};
inline constexpr PixelRect kMemo1{16, 168, 337, 217};

// Pixels between "Status:" and the status text.
inline constexpr int kLabelGap = 6;

// "/d" keeps the memo and the full height.
constexpr bool memoShown(bool debugView) { return debugView; }
constexpr int clientHeight(bool debugView) { return debugView ? kClientHeight : kShortHeight; }
// Left edge of the status text: 56, or a gap behind "Status:" when the font
// found here makes that label reach further. `statusLabelRight` is the first
// pixel right of "Status:".
constexpr int statusLeft(int statusLabelRight) {
    return std::max(kLabel4.left, statusLabelRight + kLabelGap);
}

}  // namespace mainform

namespace infoform {

inline constexpr FontSpec kFont{"MS Sans Serif", 8};
inline constexpr FontSpec kAddressFont{"Arial", 10};
inline constexpr FontSpec kSerNbrFont{"Arial", 8};
inline constexpr int kClientWidth = 369;
inline constexpr int kClientHeight = 192;
inline constexpr PixelRect kPanel1{8, 8, 353, 137};
// Inside the panel: the picture and the four address lines.
inline constexpr PixelRect kImage1{8, 16, 129, 105};
constexpr PixelPoint addressLine(int index) { return {152, 24 + 24 * index}; }
inline constexpr PixelPoint kSerNbr{16, 162};
inline constexpr PixelRect kButtonBack{280, 156, 75, 25};

}  // namespace infoform

}  // namespace oltrex::fwflasher
