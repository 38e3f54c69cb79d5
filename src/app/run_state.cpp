// The run state, the error messages and the progress line.
#include "app/run_state.h"

#include "app/console.h"

namespace tavorin {

RunState g_run;

void ResetRunState() {
    g_run = RunState{};
    RunConsole().progressPercent = 0;
}

}  // namespace tavorin
