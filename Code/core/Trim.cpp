// The trim strip's arithmetic and model, the trim handlers, and the cut
// length of a source row.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <exception>

#include "TextConvert.h"
#include "TrimLogic.h"
#include "UnitCustomProc.h"
#include "Unit_CommonLib.h"

// --- Arithmetic ---------------------------------------------------------

int NudgeStep(TMouseButton button, TShiftState shift) {
    const unsigned pressed = button == TMouseButton::Left    ? ssLeft
                             : button == TMouseButton::Right ? ssRight
                                                             : ssMiddle;
    const unsigned others = shift & ~(pressed | ssDouble);
    if (others == ssCtrl) return 1;
    if (others == ssShift) return 10;
    return 5;
}

int64_t RoundHalfEven(int64_t numerator, int64_t denominator) {
    int64_t quotient = numerator / denominator;
    int64_t remainder = numerator % denominator;
    if (remainder < 0) {  // floor division, so the remainder lies in [0, denominator)
        --quotient;
        remainder += denominator;
    }
    const int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
    return quotient;
}

int64_t MarkerPositionToSeconds(int position, int stripWidth, int64_t duration) {
    const int64_t percent = int64_t{position} * 121 / stripWidth;
    return percent * duration / 100;
}

int64_t StartImageWidthFor(int64_t start, int64_t duration, int travel) {
    return RoundHalfEven(start * travel, duration) + 1;
}

int64_t EndImageWidthFor(int64_t end, int64_t duration, int travel) {
    return travel - RoundHalfEven(end * travel, duration) + 1;
}

namespace {

// Each piece is held within this many units, so that the sum and the
// products of the marker arithmetic cannot overflow.
constexpr double kPieceLimit = 1e9;

int64_t WholePiece(const std::string& piece) {
    const double value = std::trunc(TCommonLib::TextToNumber(piece));
    if (std::isnan(value)) return 0;
    return static_cast<int64_t>(std::clamp(value, -kPieceLimit, kPieceLimit));
}

int64_t ClampToInt(int64_t value) {
    return std::clamp<int64_t>(value, INT_MIN, INT_MAX);
}

// A time text read as decimal integers; a piece that is not one throws.
int64_t StrictSeconds(const std::vector<std::string>& pieces) {
    return int64_t{StrToInt(pieces[0])} * 3600 + int64_t{StrToInt(pieces[1])} * 60 +
           StrToInt(pieces[2]);
}

}  // namespace

bool ReadTimeTextLenient(const std::string& text, int64_t& seconds) {
    const std::vector<std::string> pieces = TCommonLib::SplitText(text, ':');
    if (pieces.size() < 3) return false;
    const int64_t h = WholePiece(pieces[0]);
    const int64_t m = WholePiece(pieces[1]);
    const int64_t s = WholePiece(pieces[2]);
    seconds = ClampToInt(h * 3600 + m * 60 + s);
    return true;
}

// --- The strip model ----------------------------------------------------

void TTrimStrip::SetPanel1Width(int width) {
    panel1_ = std::max(width, 2 * kBevel + 2 * kMarkerWidth + 3 * kMinImageWidth);
    Fit(panel2_, panel3_);
}

void TTrimStrip::SetPanel2Width(int width) {
    const int widest = SideRoom() - panel3_;
    const int next = std::clamp(width, kMinImageWidth, widest);
    if (next == panel2_) return;
    panel2_ = next;
    if (onChanged_) onChanged_();
}

void TTrimStrip::SetPanel3Width(int width) {
    const int widest = SideRoom() - panel2_;
    const int next = std::clamp(width, kMinImageWidth, widest);
    if (next == panel3_) return;
    panel3_ = next;
    if (onChanged_) onChanged_();
}

void TTrimStrip::SetImageWidths(int64_t panel2, int64_t panel3) {
    Fit(panel2, panel3);
}

void TTrimStrip::Fit(int64_t panel2, int64_t panel3) {
    // The end marker is placed first; the start marker takes what is left.
    const int64_t right = std::clamp<int64_t>(panel3, kMinImageWidth, SideRoom() - kMinImageWidth);
    const int64_t left = std::clamp<int64_t>(panel2, kMinImageWidth, SideRoom() - right);
    if (left == panel2_ && right == panel3_) return;
    panel2_ = static_cast<int>(left);
    panel3_ = static_cast<int>(right);
    if (onChanged_) onChanged_();
}

// --- Cut length -----------------------------------------------------------

int TCustomProc::GetCutLength(const std::string& path) {
    const TSourceList& list = forms_.FrmMainForm.dxTreeSourceFileInfo;
    int64_t start = 0;
    int64_t end = 0;
    int64_t result = 0;
    for (int row = 0; row < list.RowCount(); ++row) {
        // Linux names differ by letter case, so the path is compared exactly.
        if (list.Text(row, colFileName) != path) continue;
        const auto startPieces = TCommonLib::SplitText(list.Text(row, colStartTime), ':');
        const auto endPieces = TCommonLib::SplitText(list.Text(row, colEndTime), ':');
        if (startPieces.size() == 3) start = StrictSeconds(startPieces);
        if (endPieces.size() == 3) end = StrictSeconds(endPieces);
        result = end - start;
    }
    return static_cast<int>(ClampToInt(result));
}

// --- Handlers -------------------------------------------------------------

void TTrimLogic::actDxTreeListOnClickExecute() {
    TTrimStrip& strip = Strip();
    TSourceList& list = List();
    strip.SetPanel1Width(TTrimStrip::kStripWidth);
    // A text too short to read keeps the value of an earlier row of this click.
    int64_t duration = 0;
    int64_t start = 0;
    int64_t end = 0;
    for (int row = 0; row < list.RowCount(); ++row) {
        if (!list.IsSelected(row)) continue;
        if (list.Text(row, colFileName) == proc_.Lib().PlayFileName) continue;
        proc_.StopVideo();
        ReadTimeTextLenient(list.Text(row, colDuration), duration);
        ReadTimeTextLenient(list.Text(row, colStartTime), start);
        ReadTimeTextLenient(list.Text(row, colEndTime), end);
        proc_.SelFileDuration = static_cast<int>(duration);
        proc_.MarkersLoaded = false;
        // A row always lasts a second or more; one that claims less has no
        // scale to place markers on, so they stay where they are.
        if (duration > 0) {
            int64_t left = strip.Panel2Width();
            int64_t right = strip.Panel3Width();
            const int64_t l = StartImageWidthFor(start, duration, strip.StartTravel());
            if (std::llabs(l - left) > 1) left = l;
            const int64_t r = EndImageWidthFor(end, duration, strip.EndTravel());
            if (std::llabs(r - right) > 2) right = r;
            strip.SetImageWidths(left, right);
        }
        proc_.MarkersLoaded = true;
    }
}

void TTrimLogic::Splitter1Moved() {
    TTrimStrip& strip = Strip();
    TSourceList& list = List();
    strip.SetPanel1Width(TTrimStrip::kStripWidth);
    const int64_t seconds =
        MarkerPositionToSeconds(strip.StartPosition(), strip.Panel1Width(), proc_.SelFileDuration);
    for (int k = 0, row; (row = list.SelectedRow(k)) >= 0; ++k) {
        list.SetText(row, colStartTime, TCommonLib::SecondsToTimeText(seconds));
        list.SetText(
            row, colCutTime,
            TCommonLib::SecondsToTimeText(proc_.GetCutLength(list.Text(row, colFileName))));
        if (proc_.MarkersLoaded) {
            try {
                proc_.Lib().SeekVideo(seconds * 1000);
            } catch (const std::exception&) {
                // A player that refuses the position keeps its own.
            }
        }
        list.Refresh();
    }
}

void TTrimLogic::Splitter2Moved() {
    TTrimStrip& strip = Strip();
    TSourceList& list = List();
    strip.SetPanel1Width(TTrimStrip::kStripWidth);
    const int64_t seconds =
        MarkerPositionToSeconds(strip.EndPosition(), strip.Panel1Width(), proc_.SelFileDuration);
    for (int k = 0, row; (row = list.SelectedRow(k)) >= 0; ++k) {
        const std::string text = TCommonLib::SecondsToTimeText(seconds);
        list.SetText(row, colEndTime, text);
        proc_.EndTimeText = text;
        list.SetText(
            row, colCutTime,
            TCommonLib::SecondsToTimeText(proc_.GetCutLength(list.Text(row, colFileName))));
        list.Refresh();
    }
}

void TTrimLogic::Panel2MouseDown(TMouseButton button, TShiftState shift) {
    TTrimStrip& strip = Strip();
    const int step = NudgeStep(button, shift);
    if (button == TMouseButton::Left && strip.Panel4Width() > step) {
        strip.SetPanel2Width(strip.Panel2Width() + step);
        Splitter1Moved();
    } else if (button == TMouseButton::Right && strip.Panel2Width() > step) {
        strip.SetPanel2Width(strip.Panel2Width() - step);
        Splitter1Moved();
    }
}

void TTrimLogic::Panel4MouseDown(TMouseButton button, TShiftState shift) {
    TTrimStrip& strip = Strip();
    const int step = NudgeStep(button, shift);
    if (strip.Panel4Width() <= step) return;
    if (button == TMouseButton::Left) {
        strip.SetPanel2Width(strip.Panel2Width() + step);
        Splitter1Moved();
    } else if (button == TMouseButton::Right) {
        strip.SetPanel3Width(strip.Panel3Width() + step);
        Splitter2Moved();
    }
}

void TTrimLogic::Panel3MouseDown(TMouseButton button, TShiftState shift) {
    TTrimStrip& strip = Strip();
    const int step = NudgeStep(button, shift);
    if (button == TMouseButton::Right && strip.Panel4Width() > step) {
        strip.SetPanel3Width(strip.Panel3Width() + step);
        Splitter2Moved();
    } else if (button == TMouseButton::Left && strip.Panel3Width() > step) {
        strip.SetPanel3Width(strip.Panel3Width() - step);
        Splitter2Moved();
    }
}
