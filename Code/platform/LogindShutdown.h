// The request to switch the computer off, made to logind on the system bus.
#pragma once

#include "Ports.h"

class TLogindShutdown : public IShutdown {
  public:
    // Interactive, so the desktop may ask the user to authorise it. Blocks
    // until logind answers, since logind checks the permission against the
    // caller's connection, which must still be there.
    bool PowerOff() override;
};
