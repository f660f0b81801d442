// The step tables of the clean-up passes, for the passes themselves and for
// tests that check the engine against the plain one.
#pragma once

#include <vector>

#include "reader/stored_cleanup.h"
#include "reader/stored_steps.h"

namespace rivolet {

const StepTable& TagSteps();
const StepTable& EntitySteps(TextForm form);
const StepTable& MonthSteps();

// Every table above, in every form: what the engine checks run over.
std::vector<const StepTable*> AllStepTables();

}  // namespace rivolet
