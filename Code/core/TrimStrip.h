// The trim strip under the preview: a bar with a start marker and an end
// marker between three images, and the arithmetic that turns a marker's
// position into a time and a time into a marker's position. The strip
// widget is a view over TTrimStrip; the handlers live in TTrimLogic.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The mouse button of a press on the strip.
enum class TMouseButton { Left, Right, Middle };

// The keys and mouse buttons held during a press, as a set of flags.
// Keys outside this set are not reported.
enum TShiftFlag : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,  // the press is the second click of a double click
};
using TShiftState = unsigned;

// Pixels a click on the strip moves a marker: 1 with Ctrl alone, 10 with
// Shift alone, 5 otherwise. The pressed button itself and the double-click
// mark do not count as "another" key or button.
int NudgeStep(TMouseButton button, TShiftState shift);

// Nearest integer to numerator / denominator, halves to the even neighbour.
// Exact, so that a time lying halfway between two pixels always goes the
// same way. denominator > 0.
int64_t RoundHalfEven(int64_t numerator, int64_t denominator);

// Seconds a marker position stands for: p := position * 121 div stripWidth
// (0 to 100 over a marker's travel on the 260-pixel strip), then
// p * duration div 100. Integer division throughout.
int64_t MarkerPositionToSeconds(int position, int stripWidth, int64_t duration);

// Width of the left image for a start time: 1 + S / D * travel, rounded.
int64_t StartImageWidthFor(int64_t start, int64_t duration, int travel);
// Width of the right image for an end time: travel - E / D * travel, rounded, + 1.
int64_t EndImageWidthFor(int64_t end, int64_t duration, int travel);

// Reads a time text the lenient way: split at ":", and when there are at
// least three pieces read the first three as numbers, each cut to a whole
// number, as hours, minutes and seconds. False (seconds untouched) when
// there are fewer pieces. Throws EConvertError for a piece with no digit
// at all, like the number reader it uses. Huge values are held within the
// range of an int.
bool ReadTimeTextLenient(const std::string& text, int64_t& seconds);

// The widths of the strip's parts, left to right: Panel2 (left image),
// Splitter1 (start marker), Panel4 (middle image, takes what is left),
// Splitter2 (end marker), Panel3 (right image), inside Panel1 with a bevel
// of 1 pixel on each side. Every image keeps at least 1 pixel, so the
// markers can neither leave the strip nor pass each other.
class TTrimStrip {
  public:
    static constexpr int kStripWidth = 260;
    static constexpr int kStripHeight = 21;
    static constexpr int kBevel = 1;
    static constexpr int kMarkerWidth = 20;
    static constexpr int kMinImageWidth = 1;
    // A marker's right edge minus this is its position.
    static constexpr int kPositionOffset = 22;

    int Panel1Width() const { return panel1_; }
    // Never narrower than the two markers and three 1-pixel images; the
    // images are fitted again afterwards.
    void SetPanel1Width(int width);

    int Panel2Width() const { return panel2_; }
    int Splitter1Width() const { return kMarkerWidth; }
    int Panel4Width() const { return InnerWidth() - panel2_ - panel3_ - 2 * kMarkerWidth; }
    int Splitter2Width() const { return kMarkerWidth; }
    int Panel3Width() const { return panel3_; }

    // Left edges, measured from Panel1's outer left edge.
    int Panel2Left() const { return kBevel; }
    int Splitter1Left() const { return Panel2Left() + panel2_; }
    int Panel4Left() const { return Splitter1Left() + kMarkerWidth; }
    int Panel3Left() const { return panel1_ - kBevel - panel3_; }
    int Splitter2Left() const { return Panel3Left() - kMarkerWidth; }

    // Each keeps every image at least 1 pixel wide; a drag calls them live.
    void SetPanel2Width(int width);
    void SetPanel3Width(int width);
    // Both at once, as when a row's times are loaded. When they do not fit
    // side by side the end marker keeps its place and the start marker
    // stops just before it.
    void SetImageWidths(int64_t panel2, int64_t panel3);

    // The start marker's position: 0 at the far left.
    int StartPosition() const { return Splitter1Left() + kMarkerWidth - kPositionOffset; }
    // The end marker's position, on the same scale as the start marker's.
    int EndPosition() const {
        return Splitter2Left() + kMarkerWidth - kMarkerWidth - kPositionOffset;
    }
    // The width a marker's time scale spans for the start marker (both
    // markers taken off) and for the end marker.
    int StartTravel() const { return panel1_ - 2 * kBevel - 2 * kMarkerWidth; }
    int EndTravel() const { return panel1_ - 2 * kBevel - kMarkerWidth - kMarkerWidth; }

    // One view listens; it is told after every change of a width.
    void SetOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

  private:
    int InnerWidth() const { return panel1_ - 2 * kBevel; }
    // The widest the two side images may be together.
    int SideRoom() const { return InnerWidth() - 2 * kMarkerWidth - kMinImageWidth; }
    void Fit(int64_t panel2, int64_t panel3);
    int panel1_ = kStripWidth;
    int panel2_ = kMinImageWidth;
    int panel3_ = kMinImageWidth;
    std::function<void()> onChanged_;
};
