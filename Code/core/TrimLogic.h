// What the main window's trim strip and source list clicks do to the
// markers and to the rows' start, end and cut times. The strip widget calls
// these handlers and shows FrmMainForm.Panel1; it holds no logic itself.
#pragma once

#include "TrimStrip.h"
#include "UnitCustomProc.h"

class TTrimLogic {
  public:
    explicit TTrimLogic(TCustomProc& proc) : proc_(proc) {}

    // A click in the source list: loads the selected rows' times into the
    // markers (the last such row stays), leaving the loaded file's row alone.
    void actDxTreeListOnClickExecute();
    // A marker's drag ended (or a click nudged it): writes its time into
    // every selected row.
    void Splitter1Moved();
    void Splitter2Moved();
    // A mouse press on the left, middle or right image nudges a marker.
    void Panel2MouseDown(TMouseButton button, TShiftState shift);
    void Panel4MouseDown(TMouseButton button, TShiftState shift);
    void Panel3MouseDown(TMouseButton button, TShiftState shift);

  private:
    TTrimStrip& Strip() { return proc_.Forms().FrmMainForm.Panel1; }
    TSourceList& List() { return proc_.Forms().FrmMainForm.dxTreeSourceFileInfo; }
    TCustomProc& proc_;
};
