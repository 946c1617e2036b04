// Gives the heap's free pages back to the system.
#pragma once

#include "Ports.h"

class TMemoryTrim : public IMemoryTrim {
  public:
    void TrimWorkingSet() override;
};
